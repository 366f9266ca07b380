// The condition of `if` and `while`: one variable compared with one number, nothing more.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamrilo::script {

struct Condition {
    std::string name;
    std::string comparison;  // ==, !=, <, <=, >, >=
    std::int32_t raw = 0;    // the number as it is stored
};

// From the words after the command: NAME OP NUMBER (a script value; for a status variable, the
// raw code as `print` shows it) or NAME OP raw INTEGER. Throws ScriptError.
Condition parse_condition(const std::vector<std::string>& words);

bool holds(const Condition& condition, std::int32_t value);

}  // namespace tamrilo::script
