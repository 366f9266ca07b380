// The status meanings tamrilo-host prints are the ones the reference gives a script author: the
// reference's status tables hold the script library's table row for row, and every meaning the
// docs show in an example of tamrilo-host's output is the table's.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <tuple>

#include "script/status_meanings.h"

namespace tamrilo::script {
namespace {

using Row = std::tuple<std::string, std::string, std::int32_t, std::string>;  // exports, variable, code, meaning

std::string shown(const Row& row) {
    return std::get<0>(row) + " | " + std::get<1>(row) + " | " + std::to_string(std::get<2>(row)) + " | " +
           std::get<3>(row);
}

// The rows of every table under the header `| Export | Variable | Code | Meaning |` (further columns
// are the reference's own), written as the code writes them: no backticks, export names apart by
// a space.
std::set<Row> reference_rows() {
    std::ifstream in(std::filesystem::path(TAMRILO_DOCS_DIR) / "reference.md");
    std::set<Row> rows;
    bool in_table = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("| Export | Variable | Code | Meaning |", 0) == 0) {
            in_table = true;
            std::getline(in, line);  // the header's rule
            continue;
        }
        in_table = in_table && line.rfind('|', 0) == 0;
        if (!in_table) continue;
        std::vector<std::string> cells;
        std::istringstream cut(std::regex_replace(line, std::regex("`"), ""));
        for (std::string cell; std::getline(cut, cell, '|');) {
            cells.push_back(std::regex_replace(cell, std::regex("^ +| +$"), ""));
        }
        if (cells.size() < 5) {
            ADD_FAILURE() << "a status row without its four cells: " << line;
            continue;
        }
        rows.insert({std::regex_replace(cells[1], std::regex(", "), " "), cells[2], std::stoi(cells[3]), cells[4]});
    }
    return rows;
}

TEST(StatusMeanings, TheReferenceTablesAreTheTable) {
    std::set<Row> table;
    for (const StatusMeaning& row : status_meanings()) {
        table.insert({row.exports, row.variable, row.code, meaning_text(row)});
    }
    const std::set<Row> reference = reference_rows();
    for (const Row& row : table) EXPECT_EQ(reference.count(row), 1u) << "docs/reference.md lacks " << shown(row);
    for (const Row& row : reference) EXPECT_EQ(table.count(row), 1u) << "the table lacks " << shown(row);
}

TEST(StatusMeanings, TheOutputTheDocsShowHasTheTablesMeanings) {
    const std::regex printed(R"((\w+) left (OV_\w+) (-?\d+): (.*))");
    int lines = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TAMRILO_DOCS_DIR)) {
        if (entry.path().extension() != ".md") continue;
        std::ifstream in(entry.path());
        for (std::string line; std::getline(in, line);) {
            std::smatch m;
            if (!std::regex_search(line, m, printed)) continue;
            ++lines;
            const StatusMeaning* row = status_meaning(m[1], m[2], std::stoi(m[3]));
            EXPECT_EQ(row ? meaning_text(*row) : "(none)", m[4].str()) << entry.path().filename() << ": " << line;
        }
    }
    EXPECT_GT(lines, 0);
}

}  // namespace
}  // namespace tamrilo::script
