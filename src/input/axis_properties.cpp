// The dead zone and saturation of the X and Y axes, read and set in percent of the axis range.
// The eight exports are rows of one table run by one procedure.
#include <algorithm>

#include "export.h"
#include "host/fixed_point.h"
#include "host/status.h"
#include "input/joystick.h"

namespace tamrilo::input {
namespace {

// The saturation host variable holds the saturation zone, the part of the range beyond the
// saturation point: 100 percent less the saturation.
enum Zone { kDeadZone, kSaturationZone };
enum Access { kGet, kSet };

constexpr std::int64_t kDeviceMax = 10000;  // hundredths of a percent

struct AxisProperty {
    const char* variable;
    DWORD axis;
    Zone zone;
    Access access;
};

host::Fixed to_host(Zone zone, DWORD device) {
    return host::device_to_percent(zone == kDeadZone ? std::int64_t{device} : kDeviceMax - device);
}

DWORD to_device(Zone zone, host::Fixed percent) {
    const std::int64_t d = host::percent_to_device(percent);
    return static_cast<DWORD>(std::clamp<std::int64_t>(zone == kDeadZone ? d : kDeviceMax - d, 0, kDeviceMax));
}

REFGUID property_of(Zone zone) { return zone == kDeadZone ? DIPROP_DEADZONE : DIPROP_SATURATION; }

std::int32_t run(const AxisProperty& p) {
    // The six status variables must be declared, as for every reporting export, but no step
    // here writes them.
    host::StatusVariables status;
    host::Variable* value = nullptr;
    const auto lookups = [&] { return status.find() && (value = host::find_host_var(p.variable)) != nullptr; };
    if (!host::look_up_between(joystick_selected, lookups)) return 0;

    DIPROPDWORD record{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), p.axis, DIPH_BYOFFSET}, 0};
    HRESULT result;
    if (p.access == kSet) {
        record.dwData = to_device(p.zone, *value);
        result = joystick_device2->SetProperty(property_of(p.zone), &record.diph);
    } else {
        result = joystick_device2->GetProperty(property_of(p.zone), &record.diph);
    }
    // On failure the variable keeps what was there: for a Set, the value the script asked for.
    if (SUCCEEDED(result)) *value = to_host(p.zone, record.dwData);
    return 0;
}

}  // namespace
}  // namespace tamrilo::input

using namespace tamrilo::input;

#define TAMRILO_AXIS_PROPERTIES(X)                                                 \
    X(Get_Dead_Zone_X, "Dead_Zone_X", DIJOFS_X, kDeadZone, kGet)                   \
    X(Get_Dead_Zone_Y, "Dead_Zone_Y", DIJOFS_Y, kDeadZone, kGet)                   \
    X(Set_Dead_Zone_X, "Dead_Zone_X", DIJOFS_X, kDeadZone, kSet)                   \
    X(Set_Dead_Zone_Y, "Dead_Zone_Y", DIJOFS_Y, kDeadZone, kSet)                   \
    X(Get_Saturation_Zone_X, "Saturation_Zone_X", DIJOFS_X, kSaturationZone, kGet) \
    X(Get_Saturation_Zone_Y, "Saturation_Zone_Y", DIJOFS_Y, kSaturationZone, kGet) \
    X(Set_Saturation_Zone_X, "Saturation_Zone_X", DIJOFS_X, kSaturationZone, kSet) \
    X(Set_Saturation_Zone_Y, "Saturation_Zone_Y", DIJOFS_Y, kSaturationZone, kSet)

#define TAMRILO_AXIS_PROPERTY_EXPORT(name, variable, axis, zone, access) \
    TAMRILO_EXPORT std::int32_t name() { return run({variable, axis, zone, access}); }
TAMRILO_AXIS_PROPERTIES(TAMRILO_AXIS_PROPERTY_EXPORT)
#undef TAMRILO_AXIS_PROPERTY_EXPORT
