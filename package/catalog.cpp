// tamrilo-catalog: asks the built library which host variables each export looks up and what
// each export leaves in the status variables when every step goes through, and writes both as
// Markdown for the reference. It also turns the table of host variable meanings into the
// declarations file, and refuses a table that misses a variable the library uses or names one
// it never looks up: the documents follow the library, not a second hand-kept list.
//
//   tamrilo-catalog [--library PATH] VARIABLES_TSV REFERENCE_MD DECLARATIONS_TXT
//
// It runs the library against the simulated DirectInput with one force-feedback joystick.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/host_engine.h"
#include "engine/library.h"
#include "engine/sim_client.h"
#include "package/variable_table.h"

namespace tamrilo::catalog {
namespace {

using engine::Fixed;

const char* const kExports[] = {
#include "export_names.inc"
};
// The status variables: the family the table calls status.
std::vector<std::string> status_variables(const std::vector<VariableEntry>& table) {
    std::vector<std::string> names;
    for (const auto& e : table) {
        if (e.family == "status") names.push_back(e.name);
    }
    return names;
}
// Stored into the status variables before the measured call; the library never writes it.
constexpr Fixed kUntouched = 0x5EED5EED;
// Every other variable holds 50.0 when a call begins: a plain value every export accepts.
constexpr Fixed kInputValue = 50 * 1024;

bool is_name_export(const std::string& name) { return name.rfind("Get_Joystick_Name_", 0) == 0; }

// The slot's Define, for the exports that work on an effect a Define made.
std::optional<std::string> defining_export(const std::string& name) {
    for (const char* verb : {"Change_", "Play_", "Stop_"}) {
        const std::string v = verb;
        if (name.rfind(v, 0) == 0) return "Define_" + name.substr(v.size());
    }
    return std::nullopt;
}

// What a script calls before the export so that it can go through.
std::vector<std::string> setup_for(const std::string& name) {
    if (name == "Get_Versionsnummer") return {};
    if (name == "InitDirectInput") return {"Get_Versionsnummer"};
    if (name == "FreeDirectInput" || name.rfind("InitJoystick_", 0) == 0)
        return {"Get_Versionsnummer", "InitDirectInput"};
    std::vector<std::string> steps = {"Get_Versionsnummer", "InitDirectInput", "InitJoystick_1"};
    if (auto define = defining_export(name)) steps.push_back(*define);
    return steps;
}

struct Measurement {
    std::vector<std::string> lookups;          // of the measured export
    std::optional<std::string> missing;        // the first name looked up, by it or its set-up, that was not declared
    std::vector<std::optional<Fixed>> status;  // per status variable; empty: not written
};

class Catalog {
public:
    Catalog(std::string library_path, std::vector<std::string> status)
        : library_path_(std::move(library_path)), status_(std::move(status)) {
        if (!sim_.load())
            throw std::runtime_error("the simulated DirectInput is not loaded; it is needed to measure the library");
    }

    // Runs every export, declaring each variable it asks for, until it asks for none missing.
    void measure_all() {
        for (const char* name : kExports) {
            if (std::string(name) == "A5_DLLAPI") continue;
            Measurement m;
            for (m = measure(name); m.missing; m = measure(name)) known_.insert(*m.missing);
            results_.emplace_back(name, std::move(m));
        }
    }

    const std::set<std::string>& variables() const { return known_; }

    void write_reference(std::ostream& out) const {
        std::map<std::string, std::vector<std::string>, ReadingOrder> users;
        for (const auto& [name, m] : results_) {
            for (const auto& v : m.lookups) {
                auto& list = users[v];
                if (std::find(list.begin(), list.end(), name) == list.end()) list.push_back(name);
            }
        }
        out << "## Host variable index\n\n"
               "Every host variable the library uses, with the exports that read or write it. The six\n"
               "status variables are left out: the next table tells what each export leaves in them.\n\n"
               "| Variable | Exports |\n|---|---|\n";
        for (const auto& [variable, exports] : users) {
            if (std::find(status_.begin(), status_.end(), variable) != status_.end()) continue;
            out << "| `" << variable << "` |";
            for (std::size_t i = 0; i < exports.size(); ++i) out << (i ? ", `" : " `") << exports[i] << "`";
            out << " |\n";
        }
        out << "\n## Status codes after success\n\n"
               "What each export leaves in the status variables when every step went through, as raw\n"
               "integers: measured with one force-feedback joystick selected by `InitJoystick_1`, each\n"
               "effect defined before its Change, Play or Stop. A dash: the export leaves that variable\n"
               "as it was. Compare a status variable with these values to know that a call went\n"
               "through; other values name the step that failed (see the export's section).\n\n"
               "| Export |";
        for (const auto& s : status_) out << " `" << s << "` |";
        out << "\n|---|";
        for (std::size_t i = 0; i < status_.size(); ++i) out << "---|";
        out << "\n";
        for (const auto& [name, m] : results_) {
            out << "| `" << name << "` |";
            for (const auto& s : m.status) {
                if (s) {
                    out << " " << *s << " |";
                } else {
                    out << " — |";
                }
            }
            out << "\n";
        }
    }

private:
    // BUTTON_2 before BUTTON_10, damp_… beside Dead_Zone_X: the order a reader looks in.
    struct ReadingOrder {
        bool operator()(const std::string& a, const std::string& b) const {
            std::size_t i = 0, j = 0;
            while (i < a.size() && j < b.size()) {
                if (std::isdigit(static_cast<unsigned char>(a[i])) && std::isdigit(static_cast<unsigned char>(b[j]))) {
                    std::size_t end_a = i, end_b = j;
                    while (end_a < a.size() && std::isdigit(static_cast<unsigned char>(a[end_a]))) ++end_a;
                    while (end_b < b.size() && std::isdigit(static_cast<unsigned char>(b[end_b]))) ++end_b;
                    const long x = std::stol(a.substr(i, end_a - i)), y = std::stol(b.substr(j, end_b - j));
                    if (x != y) return x < y;
                    i = end_a;
                    j = end_b;
                    continue;
                }
                const int x = std::tolower(static_cast<unsigned char>(a[i])),
                          y = std::tolower(static_cast<unsigned char>(b[j]));
                if (x != y) return x < y;
                ++i;
                ++j;
            }
            return a.size() - i < b.size() - j;
        }
    };

    void invoke(const engine::Library& library, const std::string& name) const {
        if (is_name_export(name)) {
            engine::HostString string;
            library.call_with_string(name, &string);
        } else {
            library.call(name);
        }
    }

    Measurement measure(const std::string& name) {
        sim_.sim_reset();
        sim_joystick stick{};
        const std::string product = "Catalog Stick";
        product.copy(stick.product_name, sizeof stick.product_name - 1);
        product.copy(stick.instance_name, sizeof stick.instance_name - 1);
        stick.force_feedback = 1;
        stick.axes = 4;
        stick.buttons = 16;
        stick.povs = 1;
        sim_.sim_attach(&stick);

        engine::HostEngine host;
        for (const auto& v : known_) host.declare(v, 0, kInputValue);
        engine::Library library(library_path_);
        library.bind(host);
        for (const auto& step : setup_for(name)) invoke(library, step);
        for (const auto& s : status_) {
            if (known_.count(s)) host.set(s, kUntouched);
        }
        const std::size_t from = host.lookups().size();
        invoke(library, name);

        Measurement m;
        const auto& all = host.lookups();
        m.lookups.assign(all.begin() + static_cast<std::ptrdiff_t>(from), all.end());
        auto missing = std::find_if(all.begin(), all.end(), [&](const std::string& v) { return known_.count(v) == 0; });
        if (missing != all.end()) m.missing = *missing;
        for (const auto& s : status_) {
            const bool written = known_.count(s) && host.get(s) != kUntouched;
            m.status.push_back(written ? std::optional<Fixed>(host.get(s)) : std::nullopt);
        }
        return m;
    }

    std::string library_path_;
    const std::vector<std::string> status_;
    engine::SimClient sim_;
    std::set<std::string> known_;
    std::vector<std::pair<std::string, Measurement>> results_;
};

int run(int argc, char** argv) {
    std::string library = engine::default_library_path();
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--library" && i + 1 < argc) {
            library = argv[++i];
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 3) {
        std::cerr << "usage: tamrilo-catalog [--library PATH] VARIABLES_TSV REFERENCE_MD DECLARATIONS_TXT\n";
        return 2;
    }
    std::ifstream table_in(files[0]);
    if (!table_in) throw std::runtime_error("cannot open " + files[0]);
    const auto table = read_variable_table(table_in);

    Catalog catalog(library, status_variables(table));
    catalog.measure_all();

    const auto problems = compare_variable_table(table, catalog.variables());
    for (const auto& p : problems) std::cerr << files[0] << ": " << p << "\n";
    if (!problems.empty()) return 1;

    std::ofstream reference(files[1], std::ios::binary);
    catalog.write_reference(reference);
    std::ofstream declarations(files[2], std::ios::binary);
    write_declarations(table, declarations);
    if (!reference || !declarations) throw std::runtime_error("cannot write the output files");
    return 0;
}

}  // namespace
}  // namespace tamrilo::catalog

int main(int argc, char** argv) {
    try {
        return tamrilo::catalog::run(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "tamrilo-catalog: " << e.what() << "\n";
        return 2;
    }
}
