// The simulated DirectInput's joysticks, driven through its control API.
#include <cstring>

#include "script/joysticks/backend.h"

namespace tamrilo::joysticks {
namespace {

using engine::SimClient;

class SimulatedJoysticks : public JoystickBackend {
public:
    explicit SimulatedJoysticks(const SimClient& sim) : sim_(sim) {}

    int attach(const JoystickSpec& spec) override {
        sim_joystick j{};
        std::strncpy(j.product_name, spec.name.c_str(), sizeof j.product_name - 1);
        std::strncpy(j.instance_name, spec.name.c_str(), sizeof j.instance_name - 1);
        j.force_feedback = spec.force_feedback ? 1 : 0;
        j.axes = spec.axes;
        j.buttons = spec.buttons;
        j.povs = spec.povs;
        return sim_.sim_attach(&j);
    }
    bool has(int device) const override {
        sim_device_info info{};
        return sim_.sim_get_device(device, &info) != 0;
    }
    void set_state(int device, const DIJOYSTATE& state) override { sim_.sim_set_state(device, &state); }
    void move(int device, const DIJOYSTATE& target, unsigned long long duration_us) override {
        sim_.sim_move_stick(device, &target, duration_us);
    }
    void set_attached(int device, bool attached) override { sim_.sim_set_attached(device, attached ? 1 : 0); }

private:
    const SimClient& sim_;
};

}  // namespace

std::unique_ptr<JoystickBackend> make_joystick_backend(const SimClient& sim) {
    if (sim.available()) return std::make_unique<SimulatedJoysticks>(sim);
    return make_virtual_joysticks();
}

}  // namespace tamrilo::joysticks
