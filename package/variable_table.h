// The table of host variables with their family, meaning and unit (src/module/host-variables.tsv),
// and the declarations file made from it.
#pragma once

#include <iosfwd>
#include <set>
#include <string>
#include <vector>

namespace tamrilo::catalog {

struct VariableEntry {
    std::string section;  // the heading the entry stands under
    std::string name;
    std::string family;  // what a script declares it with
    std::string unit;
    std::string meaning;
};

// Lines "NAME<TAB>FAMILY<TAB>UNIT<TAB>MEANING"; "[Heading]" starts a section; '#' lines and empty
// lines are skipped. A name holding "{n}" stands for five variables, n = 1 … 5 (in the family and
// the meaning as well). Throws std::runtime_error naming the line for a line without four fields
// or a repeated name.
std::vector<VariableEntry> read_variable_table(std::istream& in);

// What differs between the table and the names the library looked up, one sentence each.
std::vector<std::string> compare_variable_table(const std::vector<VariableEntry>& table,
                                                const std::set<std::string>& used);

// A tamrilo-host script that declares every variable, each under a comment with its meaning
// and unit.
void write_declarations(const std::vector<VariableEntry>& table, std::ostream& out);

}  // namespace tamrilo::catalog
