// The table of host variable meanings that the package's declarations file is made from, and
// its comparison with the variables the library really looks up.
#include <gtest/gtest.h>

#include <sstream>

#include "package/variable_table.h"

namespace tamrilo::test {
namespace {

using catalog::VariableEntry;

std::vector<VariableEntry> read(const std::string& text) {
    std::istringstream in(text);
    return catalog::read_variable_table(in);
}

TEST(VariableTable, ExpandsSlotsAndKeepsSections) {
    const auto table = read(
        "# comment\n\n[Waves]\nsine_{n}_time\tsine_{n}\tmilliseconds\tperiod of slot {n}\r\n"
        "[Other]\nFF_force_x\tconstant\tunits\tx component\n");
    ASSERT_EQ(table.size(), 6u);
    EXPECT_EQ(table[0].name, "sine_1_time");
    EXPECT_EQ(table[0].meaning, "period of slot 1");
    EXPECT_EQ(table[0].family, "sine_1");
    EXPECT_EQ(table[4].name, "sine_5_time");
    EXPECT_EQ(table[4].section, "Waves");
    EXPECT_EQ(table[5].name, "FF_force_x");
    EXPECT_EQ(table[5].section, "Other");
    EXPECT_EQ(table[5].family, "constant");
    EXPECT_EQ(table[5].unit, "units");
}

TEST(VariableTable, RefusesBadLinesNamingThem) {
    const std::pair<const char*, const char*> cases[] = {
        {"A\tfamily\tunit\n", "line 1: expected NAME<TAB>FAMILY<TAB>UNIT<TAB>MEANING"},
        {"# c\nA\tfamily\tunit\tmeaning\textra\n", "line 2: expected NAME<TAB>FAMILY<TAB>UNIT<TAB>MEANING"},
        {"A\tfamily\t\tmeaning\n", "line 1: expected NAME<TAB>FAMILY<TAB>UNIT<TAB>MEANING"},
        {"sine_3_null\tf\tu\tm\nsine_{n}_null\tf\tu\tm\n", "line 2: sine_3_null named twice"},
    };
    for (const auto& [text, message] : cases) {
        try {
            read(text);
            ADD_FAILURE() << "accepted: " << text;
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
}

TEST(VariableTable, ComparisonNamesWhatIsMissingOnEitherSide) {
    const auto table = read("A\tf\tu\tm\nB\tf\tu\tm\n");
    EXPECT_TRUE(catalog::compare_variable_table(table, {"A", "B"}).empty());
    EXPECT_EQ(catalog::compare_variable_table(table, {"A", "C"}),
              (std::vector<std::string>{"B is listed but the library never looks it up",
                                        "C is used by the library but not listed"}));
}

TEST(VariableTable, DeclarationsAreAScriptWithCommentedVariables) {
    std::ostringstream out;
    catalog::write_declarations(
        read("[Force]\nFF_force_x\tconstant\tforce units\tx component\nFF_force_y\tconstant\tforce units\ty "
             "component\n"),
        out);
    const std::string text = out.str();
    EXPECT_NE(text.find("\n# == Force ==\n# x component [force units]\nvar FF_force_x\n# y component [force "
                        "units]\nvar FF_force_y\n"),
              std::string::npos)
        << text;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_TRUE(line.empty() || line[0] == '#' || line.rfind("var ", 0) == 0) << line;
    }
}

}  // namespace
}  // namespace tamrilo::test
