// The control API: joysticks, their state, and what tests read back about the objects.
#include <cstring>

#include "sim/device.h"
#include "sim/effect.h"
#include "sim/play_history.h"

using namespace tamrilo::sim;

namespace {

bool valid_device(int device) { return device >= 0 && static_cast<std::size_t>(device) < world().joysticks.size(); }

Joystick& joystick(int device) { return world().joysticks[static_cast<std::size_t>(device)]; }

}  // namespace

SIM_API void sim_reset(void) {
    World& w = world();
    w.devices.clear();
    w.effects.clear();
    w.objects.clear();
    w.joysticks.clear();
    w.log.clear();
    ++w.log_generation;
    w.released_object_calls = 0;
    w.clock_us = 0;
    w.released_while_acquired = 0;
    w.injected_faults = 0;
    w.has_last_state = false;
    clear_faults();
    clear_play_history();
}

SIM_API void sim_advance_clock(unsigned long long microseconds) {
    World& w = world();
    // Saturate rather than wrap: time never runs backwards.
    w.clock_us = microseconds > ~0ULL - w.clock_us ? ~0ULL : w.clock_us + microseconds;
}

SIM_API unsigned long long sim_clock(void) { return world().clock_us; }

SIM_API int sim_attach(const sim_joystick* description) {
    if (!description) return -1;
    int device = static_cast<int>(world().joysticks.size());
    Joystick joystick{};
    joystick.description = *description;
    // An instance GUID of our own making, unique per device.
    joystick.instance = {
        0x9E0B5A40u + static_cast<DWORD>(device), 0x3C1D, 0x11D2, {0x80, 0x01, 0x44, 0x45, 0x53, 0x54, 0, 0}};
    std::memset(joystick.state.rgdwPOV, 0xFF, sizeof joystick.state.rgdwPOV);
    joystick.driver_properties = default_axis_properties();
    world().joysticks.push_back(joystick);
    return device;
}

SIM_API void sim_set_attached(int device, int attached) {
    if (!valid_device(device)) return;
    joystick(device).attached = attached != 0;
    if (attached) return;
    for (DeviceObject* object : world().devices) {
        if (object->device == device) object->lose_input();
    }
}

SIM_API void sim_set_state(int device, const DIJOYSTATE* state) {
    if (!valid_device(device) || !state) return;
    joystick(device).state = *state;
    record_stick(device, *state, 0);
}

SIM_API void sim_set_axis_property(int device, sim_axis_property property, DWORD offset, DWORD value) {
    int axis = static_cast<int>(offset / 4);
    if (!valid_device(device) || (property != SIM_DEAD_ZONE && property != SIM_SATURATION) || offset % 4 != 0 ||
        axis >= tamrilo::kAxisSlots)
        return;
    AxisProperties& driver = joystick(device).driver_properties;
    (property == SIM_DEAD_ZONE ? driver.dead_zone : driver.saturation)[axis] = value;
    for (DeviceObject* object : world().devices) {
        if (object->device == device) object->set_driver_property(property, axis, value);
    }
}

SIM_API int sim_live_objects(int kind) {
    int live = 0;
    for (const auto& object : world().objects) {
        if (!object->released() && (kind == SIM_OBJECT_NONE || object->kind == kind)) ++live;
    }
    return live;
}

SIM_API int sim_released_while_acquired(void) { return world().released_while_acquired; }

SIM_API int sim_injected_faults(void) { return world().injected_faults; }

SIM_API int sim_last_state(DIJOYSTATE* state) {
    if (!state || !world().has_last_state) return 0;
    *state = world().last_state;
    return 1;
}

SIM_API int sim_get_device(int device, sim_device_info* info) {
    if (!valid_device(device) || !info) return 0;
    *info = sim_device_info{};
    const Joystick& j = joystick(device);
    info->attached = j.attached;
    const DeviceObject* newest = nullptr;
    for (const DeviceObject* object : world().devices) {
        if (object->device != device) continue;
        newest = object;
        if (!object->released()) ++info->objects;
    }
    if (newest) {
        newest->describe(*info);
    } else {
        describe_axis_properties(j.driver_properties, *info);
        info->autocenter = DIPROPAUTOCENTER_ON;
    }
    return 1;
}

SIM_API int sim_effect_count(void) { return static_cast<int>(world().effects.size()); }

SIM_API int sim_get_effect(int index, sim_effect_info* info) {
    const auto& effects = world().effects;
    if (!info || index < 0 || static_cast<std::size_t>(index) >= effects.size()) return 0;
    *info = sim_effect_info{};
    effects[static_cast<std::size_t>(index)]->describe(*info);
    return 1;
}
