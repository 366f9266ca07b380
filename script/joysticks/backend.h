// What a script's joystick commands drive: the simulated DirectInput's joysticks, or, when the
// loaded DirectInput is another one (Wine's own) and the virtual joysticks are installed, those.
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "engine/sim_client.h"
#include "force/preview/device.h"

namespace tamrilo::joysticks {

// What a backend cannot do as asked: a joystick it does not have, one it cannot attach or plug.
struct JoystickError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct JoystickSpec {
    std::string name;
    bool force_feedback = false;
    DWORD axes = 4, buttons = 16, povs = 1;
};

class JoystickBackend {
public:
    virtual ~JoystickBackend() = default;
    // Attaches a joystick; returns its device number (0, 1, … in attachment order).
    virtual int attach(const JoystickSpec& spec) = 0;
    virtual bool has(int device) const = 0;
    // What the next reads of the device return, in the units the library sets (axes
    // -10000..10000, the hat in hundredths of a degree).
    virtual void set_state(int device, const DIJOYSTATE& state) = 0;
    // Moves the axes in a straight line to the target's, arriving `duration_us` later.
    virtual void move(int device, const DIJOYSTATE& target, unsigned long long duration_us) = 0;
    // Unplugs the device, or plugs it in again.
    virtual void set_attached(int device, bool attached) = 0;
    // After each export call: a backend whose devices record what they are sent takes it now.
    virtual void exported(const std::string& /*export_name*/) {}
    // What the joystick that played effects was sent during the run, for the force preview; none
    // when the DirectInput keeps its own record (the simulated one does).
    virtual std::optional<force::preview::DeviceRecording> device_recording() { return std::nullopt; }
};

// The simulated joysticks when `sim` is available; else the virtual joysticks when they are
// installed; else null.
std::unique_ptr<JoystickBackend> make_joystick_backend(const engine::SimClient& sim);

// The virtual joysticks, or null when none is installed (virtual.cpp on Windows, none.cpp
// elsewhere).
std::unique_ptr<JoystickBackend> make_virtual_joysticks();

}  // namespace tamrilo::joysticks
