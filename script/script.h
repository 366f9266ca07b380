// The line-based scripts that tamrilo-host runs: declare and set host variables, call exports,
// print and check what they wrote, wait and repeat, and drive the simulated DirectInput. The
// language is described in docs/scripting.md; its commands are the table in commands.cpp.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <string>

#include "force/preview/recording.h"

namespace tamrilo::engine {

// A line the runner cannot carry out: unknown export or command, bad number, …
struct ScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct ScriptOptions {
    // A lookup of a name the script has not declared fails the run instead of only being reported.
    bool strict = false;
    // Under each export call, print the host lookups it made and the DirectInput calls it caused.
    bool trace = false;
    // How long a `while` loop may keep the run going, in seconds of script time.
    std::uint32_t max_time_seconds = 60;
    // Why the program has no foreground window, when it has none: DirectInput may then refuse
    // the joystick, so it is said before a run on a real DirectInput.
    std::string no_window_reason;
};

struct ScriptResult {
    long long export_calls = 0;
    long long expectations_held = 0;
    long long failed_expectations = 0;
    long long undeclared_lookups = 0;
    // The slot each effect object the script created belongs to, for force pictures.
    EffectLabels effect_labels;
    // Whether the run failed (exit code 1): an expectation failed, or under --strict a lookup
    // found an undeclared name.
    bool failed(const ScriptOptions& options) const {
        return failed_expectations != 0 || (options.strict && undeclared_lookups != 0);
    }
};

// Runs the script read from `in` against the library at `library_path`. Prints to `out`;
// expectation failures and undeclared lookups go to `err`, naming the line. Throws ScriptError
// (message "file:line: problem") for a script error, std::runtime_error when the library
// cannot be loaded.
ScriptResult run_script(std::istream& in, const std::string& file_name, const std::string& library_path,
                        std::ostream& out, std::ostream& err, const ScriptOptions& options = {});

}  // namespace tamrilo::engine
