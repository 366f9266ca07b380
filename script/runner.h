// The state of one script run and the steps that several commands share.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

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
    // "file:line: " for messages about the line being run.
    std::string where() const { return file + ":" + std::to_string(line) + ": "; }
    // What the joystick commands drive, made at the first of them; a ScriptError when there is
    // nothing to drive.
    JoystickBackend& joysticks();

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
};

}  // namespace tamrilo::script
