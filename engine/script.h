// The line-based scripts that tamrilo-host runs: declare and set host variables, call exports,
// print and check what they wrote, and drive the simulated DirectInput.
#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>

#include "force_trace.h"

namespace tamrilo::engine {

// A line the runner cannot carry out: unknown export or command, bad number, …
struct ScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct ScriptResult {
    int failed_expectations = 0;
    // The slot each effect object the script created belongs to, for force pictures.
    EffectLabels effect_labels;
};

// Runs the script read from `in` against the library at `library_path`. Prints to `out`;
// expectation failures go to `err`, naming the line. Throws ScriptError (message
// "file:line: problem") for a script error.
ScriptResult run_script(std::istream& in, const std::string& file_name, const std::string& library_path,
                        std::ostream& out, std::ostream& err);

}  // namespace tamrilo::engine
