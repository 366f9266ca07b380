// The state of one script run and the steps that several commands share.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "engine/host_engine.h"
#include "engine/library.h"
#include "engine/sim_client.h"
#include "script/joysticks/backend.h"
#include "script/types.h"

namespace tamrilo::script {

using engine::HostEngine;
using engine::Library;
using engine::SimClient;
using joysticks::JoystickBackend;

class Runner {
public:
    Runner(const std::string& library_path, const std::string& script_file, const ScriptOptions& script_options,
           std::ostream& output, std::ostream& errors);
    ~Runner();

    // An export without arguments, with the reports that follow it: undeclared lookups, the trace.
    void call_export(const std::string& name);
    // One of the name exports, with a fresh host string object.
    void call_name_export(const std::string& name);
    // The raw value of a declared variable; a ScriptError naming the closest name otherwise.
    std::int32_t value(const std::string& name) const;
    // Moves simulated time on, or sleeps against a real DirectInput.
    void wait(std::uint32_t milliseconds);
    // What `variable` holding `code` means after the last export called, with the step left
    // out when the code means one: "InitJoystick_1 left OV_error 2: no DirectInput object: …";
    // "" when the code has no meaning on record.
    std::string meaning(const std::string& variable, std::int32_t code) const;
    // Ends a loop that has run longer than --max-time, with a ScriptError.
    void check_time() const;
    // "file:line: " for messages about the line being run.
    std::string where() const { return file + ":" + std::to_string(line) + ": "; }
    // What the joystick commands drive, made at the first of them; a ScriptError when there is
    // nothing to drive.
    JoystickBackend& joysticks();
    // At the end of the run: takes what the joysticks recorded into the result.
    void finish();

    const std::string file;
    const ScriptOptions options;
    std::ostream& out;
    std::ostream& err;
    HostEngine engine;
    Library library;
    SimClient sim;
    ScriptResult result;
    int line = 0;

private:
    // Returns the number of effect objects so far, to label those the call creates.
    int before_export();
    // Reports undeclared lookups and, under --trace, what the call did.
    void after_export(const std::string& export_name);
    void trace(const std::string& export_name);

    std::unique_ptr<JoystickBackend> joysticks_;
    std::string last_export_;
    // The values of the declared variables before the call, for --trace.
    std::vector<std::pair<std::string, std::int32_t>> before_;
    // The time the script's waits passed, simulated or slept, and when the run began: a
    // loop's time is the greater of that and the time that went by.
    unsigned long long waited_ms_ = 0;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

// A variable as a script sees it: a status code as the raw integer, anything else as a script value.
std::string shown_value(const std::string& name, std::int32_t raw);

}  // namespace tamrilo::script
