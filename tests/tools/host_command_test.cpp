// tamrilo-host as a user runs it: options, the script language, and the message and exit code
// of every script it must refuse.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "harness.h"
#include "tools/tamrilo-host/command.h"

namespace tamrilo::test {
namespace {

namespace fs = std::filesystem;

struct HostRun {
    int code;
    std::string out, err;
};

class HostCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("tamrilo-host-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        fs::create_directories(folder);
        if (sim().available()) sim().sim_reset();
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder, ec);
        if (sim().available()) sim().sim_reset();
    }

    HostRun host(const std::vector<std::string>& arguments) {
        std::ostringstream out, err;
        const int code = tool::run_host(arguments, out, err);
        return {code, replace_path(out.str()), replace_path(err.str())};
    }

    // Writes the script as t.txt (bytes as they stand) and runs it; its path reads "t.txt" in
    // the output.
    HostRun script(const std::string& text, std::vector<std::string> options = {}) {
        std::ofstream(path(), std::ios::binary) << text;
        options.push_back(path());
        return host(options);
    }

    std::string path() const { return (folder / "t.txt").string(); }
    std::string replace_path(std::string text) const {
        for (std::size_t at; (at = text.find(path())) != std::string::npos;) text.replace(at, path().size(), "t.txt");
        return text;
    }

    fs::path folder;
};

constexpr int kHeld = 0, kFailed = 1, kError = 2;

// Every script the host must refuse or flag: what it prints on standard error, and its exit code.
TEST_F(HostCommandTest, BadScriptsAreNamedWithTheirLine) {
    const struct {
        std::string script;
        std::vector<std::string> options;
        int code;
        const char* message;  // the start of standard error; "" for none
    } cases[] = {
        {"declare version\ncall Get_Versionsnummer\ncall InitDirectInput\n",
         {},
         kHeld,
         "t.txt:3: InitDirectInput looked up 'OV_error', which the script has not declared; the export stopped there "
         "(declare it: var OV_error, or declare status)\n"},
        {"declare version\ncall Get_Versionsnummer\ncall InitDirectInput\n",
         {"--strict"},
         kFailed,
         "t.txt:3: InitDirectInput looked up 'OV_error', which the script has not declared"},
        {"call A5_DLLAPI\n",
         {},
         kError,
         "tamrilo-host: t.txt:1: A5_DLLAPI takes the engine record; tamrilo-host binds"},
        {"\ncall Get_Joystick_Name_1\n",
         {},
         kError,
         "tamrilo-host: t.txt:2: Get_Joystick_Name_1 takes a host string; use 'name Get_Joystick_Name_1'\n"},
        {"name InitDirectInput\n", {}, kError, "tamrilo-host: t.txt:1: 'name' calls Get_Joystick_Name_1 or"},
        {"set X nan\n", {}, kError, "tamrilo-host: t.txt:1: not a finite number 'nan'\n"},
        {"set X -inf\n", {}, kError, "tamrilo-host: t.txt:1: not a finite number '-inf'\n"},
        {"set X 2097152\n", {}, kError, "tamrilo-host: t.txt:1: number out of range '2097152'"},
        {"raw X 0x100000000\n", {}, kError, "tamrilo-host: t.txt:1: number out of range '0x100000000'\n"},
        {"raw X -2147483649\n", {}, kError, "tamrilo-host: t.txt:1: number out of range '-2147483649'\n"},
        {"raw X --5\n", {}, kError, "tamrilo-host: t.txt:1: bad number '--5'\n"},
        {"raw X 99999999999999999999999\n", {}, kError, "tamrilo-host: t.txt:1: number out of range"},
        {"call InitJoystik_1\n",
         {},
         kError,
         "tamrilo-host: t.txt:1: unknown export 'InitJoystik_1' (did you mean 'InitJoystick_1'?)\n"},
        {"print JOY_X_A\n",
         {},
         kError,
         "tamrilo-host: t.txt:1: 'JOY_X_A' is not declared: add `declare joystick` or `var JOY_X_A`\n"},
        {"set sine_1_height 5000\n",
         {},
         kHeld,
         "t.txt:1: warning: no export reads 'sine_1_height' (did you mean 'sine_1_hight'?); declare a variable of the "
         "script's own with `var sine_1_height` first\n"},
        {"set sine_1_height 5000\n", {"--strict"}, kError, "tamrilo-host: t.txt:1: no export reads 'sine_1_height'"},
        {"var speed\nset speed 3\nraw speed 4\n", {"--strict"}, kHeld, ""},
        {"declare status joystick\ncall InitJoystick_1\nexpect OV_error 7\n",
         {},
         kFailed,
         "t.txt:2: InitJoystick_1 left OV_error 2: no DirectInput object: call Get_Versionsnummer and InitDirectInput "
         "first\nt.txt:3: expected OV_error = 7 (script value 0.0068359375), got 2 (script value 0.001953125)\n"
         "t.txt:3:   InitJoystick_1 left OV_error 2: no DirectInput object: call"},
        {"declare all\ncall InitDirectInput\n",
         {},
         kHeld,
         "t.txt:2: InitDirectInput left OV_info_1 0: no DirectInput object was made: the version was refused, or "
         "creating it failed: FF_versionsnummer must hold 1.5: call Get_Versionsnummer first\n"},
        {"declare all\ncall Get_Joystick_State\n",
         {},
         kHeld,
         "t.txt:2: Get_Joystick_State did nothing: no joystick selected: call InitJoystick_1 or InitJoystick_2 "
         "first\n"},
        {"name Get_Joystick_Name_1\n",
         {},
         kHeld,
         "t.txt:1: Get_Joystick_Name_1 did nothing: no DirectInput object: call Get_Versionsnummer and InitDirectInput "
         "first\n"},
        // The whole script is checked first: nothing runs before a mistake far down.
        {"echo first\nwait 10\nframbulate\n", {}, kError, "tamrilo-host: t.txt:3: unknown command 'frambulate'\n"},
        {"echo {JOY_X_A}\n", {}, kError, "tamrilo-host: t.txt:1: 'JOY_X_A' is not declared"},
        {"set A 3,5\n", {}, kError, "tamrilo-host: t.txt:1: bad number '3,5' (the decimal mark is a dot: '3.5')\n"},
        {"var A\nif A = 1\nend\n", {}, kError, "tamrilo-host: t.txt:2: unknown comparison '=' (==, !=, <, <=, > or"},
        {"var A\nif A == 1 2\nend\n", {}, kError, "tamrilo-host: t.txt:2: usage: if NAME OP NUMBER | NAME OP raw"},
        {"var A\nif A == 1\nelse\nelse\nend\n", {}, kError, "tamrilo-host: t.txt:4: 'else' without 'if'\n"},
        {"var A\nwhile A == 0\n", {}, kError, "tamrilo-host: t.txt:2: 'while' without 'end'\n"},
        {"var A\nwhile A == 0\n  wait 100\nend\n",
         {"--max-time", "1"},
         kError,
         "tamrilo-host: t.txt:2: the loop still runs after --max-time 1 s of script time\n"},
        {"declare joystick\nprint JOY_X\n",
         {},
         kError,
         "tamrilo-host: t.txt:2: unknown variable 'JOY_X' (did you mean 'JOY_X_A'?)\n"},
        {"print FF_versionsnumer\n",
         {},
         kError,
         "tamrilo-host: t.txt:1: unknown variable 'FF_versionsnumer' (did you mean 'FF_versionsnummer'?)\n"},
        {"expcet A 1\n", {}, kError, "tamrilo-host: t.txt:1: unknown command 'expcet' (did you mean 'expect'?)\n"},
        {"declare joystik\n",
         {},
         kError,
         "tamrilo-host: t.txt:1: unknown variable family 'joystik' (did you mean 'joystick'?)\n"},
        {"var A\nrepeat 2\ncall Get_Versionsnummer\n", {}, kError, "tamrilo-host: t.txt:2: 'repeat' without 'end'\n"},
        {"var A\nend\n", {}, kError, "tamrilo-host: t.txt:2: 'end' without 'repeat', 'if' or 'while'\n"},
        {"repeat -1\nend\n", {}, kError, "tamrilo-host: t.txt:1: bad count '-1'"},
        {"wait 1.5\n", {}, kError, "tamrilo-host: t.txt:1: bad count '1.5'"},
        // The body of a block is checked before the block runs: nothing of it runs here.
        {"repeat 2\necho once\nfrobnicate\nend\n", {}, kError, "tamrilo-host: t.txt:3: unknown command 'frobnicate'\n"},
        {"set A 1 2\n", {}, kError, "tamrilo-host: t.txt:1: usage: set NAME NUMBER\n"},
        {"echo \"open\n", {}, kError, "tamrilo-host: t.txt:1: unterminated quotation\n"},
        {std::string("\xFF\xFEv\0a\0r\0", 8),
         {},
         kError,
         "tamrilo-host: t.txt:1: the script is UTF-16 text; save it as UTF-8\n"},
        {std::string("v\0a\0r\0 \0A\0\n\0", 12),
         {},
         kError,
         "tamrilo-host: t.txt:1: the script holds zero bytes, as UTF-16 text does; save it as UTF-8\n"},
        {"var A\nexpect A value 1.5\n",
         {},
         kFailed,
         "t.txt:2: expected A = 1536 (script value 1.5), got 0 (script value 0)\n"},
        {"var A\nraw A -1\nexpect A raw 1\n",
         {},
         kFailed,
         "t.txt:3: expected A = 1 (script value 0.0009765625), got -1 (script value -0.0009765625)\n"},
        {"joystick state 3 0 0 0 0 0\n", {}, kError, "tamrilo-host: t.txt:1: no joystick 3 is attached\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        const HostRun run = script(c.script, c.options);
        EXPECT_EQ(run.code, c.code);
        if (*c.message == '\0') {
            EXPECT_EQ(run.err, "");
        }
        EXPECT_EQ(run.err.substr(0, std::strlen(c.message)), c.message);
        // A script error is found before the first line runs.
        if (c.code == kError) {
            EXPECT_EQ(run.out, "");
        }
    }
}

TEST_F(HostCommandTest, BadCommandLinesAndPaths) {
    const struct {
        std::vector<std::string> arguments;
        const char* message;
    } cases[] = {
        {{"--libary", "x.so", "t.txt"}, "tamrilo-host: unknown option '--libary' (did you mean '--library'?)\n"},
        {{"--strcit", "t.txt"}, "tamrilo-host: unknown option '--strcit' (did you mean '--strict'?)\n"},
        {{}, "usage: tamrilo-host [OPTIONS] SCRIPT"},
        {{"a.txt", "b.txt"}, "tamrilo-host: one script at a time; 'b.txt' is a second one\n"},
        // An absolute path is a path, on Windows too, not a Windows-style option.
        {{"/no/such/script.txt"}, "tamrilo-host: cannot open /no/such/script.txt: "},
        {{"no-such-script.txt"}, "tamrilo-host: cannot open no-such-script.txt: "},
        {{"--library"}, "tamrilo-host: --library"},
        {{"--designer", "t.txt"}, "tamrilo-host: --designer runs no script and no watch; give one of them\n"},
        {{"--designer", "--watch"}, "tamrilo-host: --designer runs no script and no watch; give one of them\n"},
        {{"--port", "8080", "t.txt"}, "tamrilo-host: --port and --system-directinput go with --designer\n"},
        {{"--designer", "--port", "70000"}, "tamrilo-host: --port"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const HostRun run = host(c.arguments);
        EXPECT_EQ(run.code, kError);
        EXPECT_EQ(run.err.substr(0, std::strlen(c.message)), c.message);
        EXPECT_EQ(run.out, "");
    }
    const HostRun directory = host({folder.string()});
    EXPECT_EQ(directory.code, kError);
    EXPECT_EQ(directory.err, "tamrilo-host: cannot read " + folder.string() + ": it is a directory\n");
}

// A library that cannot be loaded is named with the loader's own reason.
TEST_F(HostCommandTest, UnloadableLibraryIsNamedWithTheReason) {
    const std::string missing = (folder / "missing-library.dll").string();
    const HostRun run = script("var A\n", {"--library", missing});
    EXPECT_EQ(run.code, kError);
    EXPECT_NE(run.err.find("cannot load " + missing + ": "), std::string::npos) << run.err;
#ifdef _WIN32
    // The system's text for ERROR_MOD_NOT_FOUND (Windows and Wine word it differently), then its number.
    const std::size_t reason = run.err.find(missing + ": ") + missing.size() + 2;
    const std::size_t number = run.err.find(" (error 126)\n");
    ASSERT_NE(number, std::string::npos) << run.err;
    EXPECT_GT(number, reason) << run.err;
#else
    EXPECT_NE(run.err.find("No such file or directory"), std::string::npos) << run.err;
#endif
}

TEST_F(HostCommandTest, HelpAndVersion) {
    const HostRun help = host({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.err, "");
    for (const char* part :
         {"--library PATH", "--strict", "--trace", "repeat N", "expect NAME [raw] INTEGER", "declare FAMILY"}) {
        EXPECT_NE(help.out.find(part), std::string::npos) << part;
    }
    const HostRun version = host({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out.rfind("tamrilo-host ", 0), 0u);
}

// Text as editors write it: a byte-order mark, CRLF endings, comments after commands.
TEST_F(HostCommandTest, ScriptTextAsEditorsWriteIt) {
    const HostRun run = script(
        "\xEF\xBB\xBF"
        "declare version # the handshake\r\n"
        "call Get_Versionsnummer   # 1.5\r\n"
        "expect FF_versionsnummer value 1.5 # as a script value\r\n"
        "expect FF_versionsnummer 1536\r\n"
        "echo \"# not a comment\"   spaced    out # a comment\r\n");
    EXPECT_EQ(run.code, kHeld) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "# not a comment spaced out\ntamrilo-host: 1 export call, 2 expectations held, 0 failed\n");
}

TEST_F(HostCommandTest, RepeatBlocksNestAndWaitMovesTheSimulatedClock) {
    if (!sim().available()) GTEST_SKIP() << "needs the simulated DirectInput";
    const HostRun run = script(
        "declare version\n"
        "repeat 3\n"
        "  wait 10\n"
        "  repeat 4\n"
        "    call Get_Versionsnummer\n"
        "    wait 1\n"
        "  end\n"
        "  repeat 0\n"
        "    call Get_Versionsnummer\n"
        "  end\n"
        "end\n"
        "wait 250\n");
    EXPECT_EQ(run.code, kHeld) << run.err;
    EXPECT_EQ(run.out, "tamrilo-host: 12 export calls, 0 expectations held, 0 failed\n");
    EXPECT_EQ(sim().sim_clock(), (3u * (10 + 4) + 250) * 1000u);
}

TEST_F(HostCommandTest, DeclareAllGivesEveryVariableTheLibraryUses) {
    std::string expected = "status";
    for (const auto& name : kStatusNames) expected += " " + name + "=0";
    std::string text = "declare all\nstatus\n";
    for (const auto& name : all_variable_names()) text += "expect " + name + " 0\n";
    const HostRun run = script(text);
    EXPECT_EQ(run.code, kHeld) << run.err;
    EXPECT_EQ(run.out, expected + "\ntamrilo-host: 0 export calls, " + std::to_string(all_variable_names().size()) +
                           " expectations held, 0 failed\n");
    // A family declares its own variables and no others.
    const HostRun constant = script("declare constant status\nprint FF_force_y OV_info_5\n");
    EXPECT_EQ(constant.code, kHeld);
    EXPECT_EQ(constant.out,
              "FF_force_y = 0 (raw 0), OV_info_5 = 0 (status code)\ntamrilo-host: 0 export calls, 0 "
              "expectations held, 0 failed\n");
    EXPECT_EQ(script("declare constant status\nprint sine_1_null\n").code, kError);
}

// What scripts print: values on one line, values in text, what the status codes mean, and the
// lines a condition chooses.
TEST_F(HostCommandTest, ScriptsPrintWhatTheyRead) {
    const struct {
        const char* script;
        const char* out;  // standard output before the summary
    } cases[] = {
        {"var A\nset A 1.5\nvar B\nprint A B\necho a={A},b={B} {A}\n",
         "A = 1.5 (raw 1536), B = 0 (raw 0)\na=1.5,b=0 1.5\n"},
        {"declare status joystick\ncall InitJoystick_1\nstatus\n",
         "status OV_error=2 OV_info_1=0 OV_info_2=0 OV_info_3=0 OV_info_4=0 OV_info_5=0\n  InitJoystick_1 left "
         "OV_error 2: no DirectInput object: call Get_Versionsnummer and InitDirectInput first\n"},
        {"var A\nset A 2\nif A > 1\n  echo big\nelse\n  echo small\nend\nif A != raw 2048\n  echo not\nend\n"
         "if A <= 2\n  if A >= 2.001\n    echo no\n  else\n    echo nested\n  end\nend\n",
         "big\nnested\n"},
        {"declare status\nraw OV_error 97\nif OV_error == 97\n  echo raw code\nend\n", "raw code\n"},
        {"var A\nwhile A < 1\n  echo {A}\n  set A 1\nend\nwhile A < 1\n  echo never\nend\n", "0\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        const HostRun run = script(c.script);
        EXPECT_EQ(run.code, kHeld) << run.err;
        EXPECT_EQ(run.out.substr(0, run.out.find("tamrilo-host: ")), c.out);
    }
}

// The trace decodes what reached DirectInput: flags, GUIDs, records and results by name.
TEST_F(HostCommandTest, TraceDecodesTheDirectInputCalls) {
    if (!sim().available()) GTEST_SKIP() << "needs the simulated DirectInput";
    const HostRun run = script(
        "declare all\njoystick attach \"S\" ff\ncall Get_Versionsnummer\ncall InitDirectInput\ncall InitJoystick_1\n"
        "set FF_force_x 3000\nset FF_force_y 4000\ncall Define_Const_Forces\nset Dead_Zone_X 5\ncall Set_Dead_Zone_X\n",
        {"--trace"});
    EXPECT_EQ(run.code, kHeld) << run.err;
    for (const char* line : {
             "  line 3: Get_Versionsnummer looked up: FF_versionsnummer = 0 -> 1.5\n",
             "  line 8: Define_Const_Forces looked up: OV_error = 7 -> 102",
             " FF_force_x = 3000 FF_force_y = 4000\n  Define_Const_Forces left OV_error 102: sent and started\n",
             "  -> DirectInputCreateA(version 0x500, instance ",
             "  -> DirectInput #1 EnumDevices(DIDEVTYPE_JOYSTICK, DIEDFL_ATTACHEDONLY) -> DI_OK\n",
             "  -> DirectInput #1 CreateDevice(instance of joystick 0) -> DI_OK\n",
             "QueryInterface(IID_IDirectInputDevice2A) -> DI_OK\n",
             "SetCooperativeLevel(window 0x",
             ", DISCL_EXCLUSIVE|DISCL_FOREGROUND) -> DI_OK\n",
             "SetProperty(DIPROP_RANGE, {diph{dwSize 24, dwHeaderSize 16, dwObj DIJOFS_RZ, dwHow DIPH_BYOFFSET}, lMin "
             "-10000, lMax 10000}) -> DI_OK\n",
             "dwData DIPROPAUTOCENTER_OFF}) -> DI_OK\n",
             "SetProperty(DIPROP_DEADZONE, {diph{dwSize 20, dwHeaderSize 16, dwObj DIJOFS_X, dwHow DIPH_BYOFFSET}, "
             "dwData "
             "499}) -> DI_OK\n",
             "CreateEffect(GUID_ConstantForce, DIEFFECT{dwSize ",
             "dwDuration INFINITE",
             "dwTriggerButton DIEB_NOTRIGGER",
             "rgdwAxes [DIJOFS_X, DIJOFS_Y]",
             "lpvTypeSpecificParams DICONSTANTFORCE{lMagnitude -4998}}) -> DI_OK, effect #3\n",
         }) {
        EXPECT_NE(run.out.find(line), std::string::npos) << line << "\nin:\n" << run.out;
    }
}

}  // namespace
}  // namespace tamrilo::test
