#include "package/variable_table.h"

#include <istream>
#include <ostream>
#include <stdexcept>

namespace tamrilo::catalog {
namespace {

constexpr int kSlotsPerWaveform = 5;

std::vector<std::string> split_tabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

std::string replace_slot(std::string text, int n) {
    for (std::size_t at; (at = text.find("{n}")) != std::string::npos;) text.replace(at, 3, std::to_string(n));
    return text;
}

}  // namespace

std::vector<VariableEntry> read_variable_table(std::istream& in) {
    std::vector<VariableEntry> table;
    std::set<std::string> names;
    std::string section;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            continue;
        }
        const auto f = split_tabs(line);
        if (f.size() != 4 || f[0].empty() || f[1].empty() || f[2].empty() || f[3].empty()) {
            throw std::runtime_error("line " + std::to_string(number) +
                                     ": expected NAME<TAB>FAMILY<TAB>UNIT<TAB>MEANING");
        }
        const bool per_slot = f[0].find("{n}") != std::string::npos;
        for (int n = 1; n <= (per_slot ? kSlotsPerWaveform : 1); ++n) {
            VariableEntry e{section, replace_slot(f[0], n), replace_slot(f[1], n), f[2], replace_slot(f[3], n)};
            if (!names.insert(e.name).second)
                throw std::runtime_error("line " + std::to_string(number) + ": " + e.name + " named twice");
            table.push_back(std::move(e));
        }
    }
    return table;
}

std::vector<std::string> compare_variable_table(const std::vector<VariableEntry>& table,
                                                const std::set<std::string>& used) {
    std::vector<std::string> problems;
    std::set<std::string> listed;
    for (const auto& e : table) {
        listed.insert(e.name);
        if (used.count(e.name) == 0) problems.push_back(e.name + " is listed but the library never looks it up");
    }
    for (const auto& name : used) {
        if (listed.count(name) == 0) problems.push_back(name + " is used by the library but not listed");
    }
    return problems;
}

void write_declarations(const std::vector<VariableEntry>& table, std::ostream& out) {
    out << "# Every host variable Tamrilo.dll uses, with its meaning and unit. A script number v is\n"
           "# stored as v x 1024; the unit is that of v. The lines below are a tamrilo-host script:\n"
           "# copy the declarations a script needs, or run it to check that all of them are accepted.\n";
    std::string section;
    for (const auto& e : table) {
        if (e.section != section) {
            section = e.section;
            out << "\n# == " << section << " ==\n";
        }
        out << "# " << e.meaning << " [" << e.unit << "]\nvar " << e.name << "\n";
    }
}

}  // namespace tamrilo::catalog
