// The line-based scripts that tamrilo-host runs: declare and set host variables, call exports,
// print and check what they wrote, wait and repeat, and drive the simulated DirectInput. The
// language is described in docs/scripting.md; its commands are the table in commands.cpp.
#pragma once

#include <iosfwd>
#include <string>

#include "script/types.h"

namespace tamrilo::script {

// Runs the script read from `in` against the library at `library_path`. Prints to `out`;
// expectation failures and undeclared lookups go to `err`, naming the line. Throws ScriptError
// (message "file:line: problem") for a script error, std::runtime_error when the library
// cannot be loaded.
ScriptResult run_script(std::istream& in, const std::string& file_name, const std::string& library_path,
                        std::ostream& out, std::ostream& err, const ScriptOptions& options = {});

}  // namespace tamrilo::script
