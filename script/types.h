// What every part of the script language shares: its error, the options of a run, what a run
// counted, and a line as words.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "force/preview/recording.h"

namespace tamrilo::script {

using Words = std::vector<std::string>;

// A line the runner cannot carry out: unknown export or command, bad number, …
struct ScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct ScriptOptions {
    // A lookup of a name the script has not declared fails the run instead of only being reported.
    bool strict = false;
    // Under each export call, print the host lookups it made and the DirectInput calls it caused.
    bool trace = false;
};

struct ScriptResult {
    long long export_calls = 0;
    long long expectations_held = 0;
    long long failed_expectations = 0;
    long long undeclared_lookups = 0;
    // The slot each effect object the script created belongs to, for force pictures.
    force::preview::EffectLabels effect_labels;
    // Whether the run failed (exit code 1): an expectation failed, or under --strict a lookup
    // found an undeclared name.
    bool failed(const ScriptOptions& options) const {
        return failed_expectations != 0 || (options.strict && undeclared_lookups != 0);
    }
};

}  // namespace tamrilo::script
