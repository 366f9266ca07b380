// What every part of the script language shares: its error, the options of a run, what a run
// counted, and a line as words.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "force/preview/device.h"
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
    force::preview::EffectLabels effect_labels;
    // On a DirectInput other than the simulated one: what the virtual joystick that played
    // effects was sent, for force pictures.
    std::optional<force::preview::DeviceRecording> device_recording;
    // Whether the run failed (exit code 1): an expectation failed, or under --strict a lookup
    // found an undeclared name.
    bool failed(const ScriptOptions& options) const {
        return failed_expectations != 0 || (options.strict && undeclared_lookups != 0);
    }
};

}  // namespace tamrilo::script
