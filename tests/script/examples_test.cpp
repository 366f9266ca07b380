// Every script in examples/ runs under the host stand-in and checks its own results.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "harness.h"
#include "script/script.h"

namespace tamrilo::test {
namespace {

TEST(Examples, EveryScriptHoldsItsExpectations) {
    int scripts = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TAMRILO_EXAMPLES_DIR)) {
        if (entry.path().extension() != ".txt") continue;
        ++scripts;
        SCOPED_TRACE(entry.path().filename().string());
        if (sim().available()) sim().sim_reset();
        std::ifstream in(entry.path());
        std::ostringstream out, err;
        script::ScriptResult result;
        EXPECT_NO_THROW(result = script::run_script(in, entry.path().filename().string(),
                                                    engine::default_library_path(), out, err));
        EXPECT_EQ(result.failed_expectations, 0) << err.str();
    }
    EXPECT_GT(scripts, 0);
}

// Script errors name the line and stop the run; failed expectations are counted, not thrown.
TEST(Examples, ScriptErrorsNameTheLine) {
    struct Case {
        const char* script;
        const char* message;
    };
    const Case cases[] = {
        {"var A\ncall No_Such_Export\n", "t.txt:2: unknown export 'No_Such_Export'"},
        {"frobnicate\n", "t.txt:1: unknown command 'frobnicate'"},
        {"# comment\n\nset A 1.5x\n", "t.txt:3: bad number '1.5x'"},
        {"print Undeclared\n", "t.txt:1: unknown variable 'Undeclared'"},
        {"wait -5\n", "t.txt:1: bad count '-5' (a whole number from 0 to 86400000)"},
        {"wait 86400001\n", "t.txt:1: count out of range '86400001' (at most 86400000)"},
        {"joystick move 0 1 2 3 4 -1\n", "t.txt:1: bad count '-1' (a whole number from 0 to 86400000)"},
        {"joystick move 0 1 2 3 4\n", "t.txt:1: usage: joystick move DEVICE X Y Z RZ MS"},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.script);
        std::ostringstream out, err;
        try {
            script::run_script(in, "t.txt", engine::default_library_path(), out, err);
            ADD_FAILURE() << "no error for " << c.script;
        } catch (const script::ScriptError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
    std::istringstream in("var FF_versionsnummer\ncall Get_Versionsnummer\nexpect FF_versionsnummer 1535\n");
    std::ostringstream out, err;
    EXPECT_EQ(script::run_script(in, "t.txt", engine::default_library_path(), out, err).failed_expectations, 1);
    EXPECT_EQ(err.str(),
              "t.txt:3: expected FF_versionsnummer = 1535 (script value 1.499023438), got 1536 (script value 1.5)\n");
}

}  // namespace
}  // namespace tamrilo::test
