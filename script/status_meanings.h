// What the status codes the exports leave mean: one row per group of exports, status variable
// and code, and for a code that means a set-up step was left out, the step. tamrilo-host shows
// them after a failed expectation, under `status` and under --trace, the designer after each call.
// The reference's status tables give these rows word for word, for the script author: a row
// changes in both places at once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamrilo::script {

struct StatusMeaning {
    const char* exports;   // export names, space-separated; a name ending in '*' is a prefix
    const char* variable;  // OV_error, OV_info_1 … OV_info_5
    std::int32_t code;
    const char* meaning;
    const char* missing_step;  // what to call first, or null for a code that is no set-up mistake
};

const std::vector<StatusMeaning>& status_meanings();

// The row for a code that `export_name` left in `variable`, or null when the code has none.
const StatusMeaning* status_meaning(const std::string& export_name, const std::string& variable, std::int32_t code);

// The row's meaning with the step that was left out after it, as tamrilo-host prints it, the
// designer shows it and the reference gives it.
std::string meaning_text(const StatusMeaning& row);

// For an export that returned at once, looking up nothing: the step that was left out, or
// null when the export always returns so.
const char* missing_step_without_lookups(const std::string& export_name);

// The steps that make the DirectInput object, which the name exports need.
const char* missing_directinput();

}  // namespace tamrilo::script
