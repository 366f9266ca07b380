// The script commands: one table gives each command's name, arguments, help line and handler,
// and --help, docs/scripting.md and "did you mean" all come from it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "script/runner.h"
#include "script/types.h"

namespace tamrilo::script {

struct Command {
    const char* name;
    const char* arguments;  // as usage messages and --help show them
    const char* help;       // one line
    std::size_t min_arguments;
    std::size_t max_arguments;
    // Null for `repeat` and `end`, which shape the script rather than run.
    void (*run)(Runner& runner, const Words& words);
};

const std::vector<Command>& commands();

// The command of a line, with its argument count checked; a ScriptError (naming the closest
// command, or giving the usage) otherwise.
const Command& command_of(const Words& words);

}  // namespace tamrilo::script
