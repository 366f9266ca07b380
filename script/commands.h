// The script commands: one table gives each command's name, arguments, help line and handler,
// and --help, docs/scripting.md and "did you mean" all come from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "script/runner.h"
#include "script/types.h"

namespace tamrilo::script {

class Checker;

struct Command {
    const char* name;
    const char* arguments;  // as usage messages and --help show them
    const char* help;       // one line
    std::size_t min_arguments;
    std::size_t max_arguments;
    // Null for the block commands (repeat, while, if, else, end), which shape the script
    // rather than run.
    void (*run)(Runner& runner, const Words& words);
    // Checks the line before the script runs; null when the argument count says all.
    void (*check)(Checker& checker, const Words& words);
};

const std::vector<Command>& commands();

// The command of a line, with its argument count checked; a ScriptError (naming the closest
// command, or giving the usage) otherwise.
const Command& command_of(const Words& words);

// The count of a `repeat` line.
std::uint32_t repeat_count(const Words& words);

}  // namespace tamrilo::script
