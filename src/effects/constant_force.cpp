// The constant force: one steady force whose direction is the vector (FF_force_x, FF_force_y)
// and whose magnitude is that vector's length.
#include <cmath>

#include "effects/effect_slot.h"
#include "export.h"
#include "host/fixed_point.h"
#include "host/status.h"

namespace tamrilo::effects {
namespace {

// Status codes, in OV_error
constexpr host::Fixed kCreateFailed = 101;
constexpr host::Fixed kUpdated = 102;
constexpr host::Fixed kUpdateFailed = 101;

constexpr DWORD kBlockSize = sizeof(DICONSTANTFORCE);

// The force components in device units, which are also the record's direction pair.
LONG force[2];
DICONSTANTFORCE constant_force;
// Unlike the shared list, this one is never rewritten.
DWORD constant_force_axes[2] = {DIJOFS_X, DIJOFS_Y};

Slot& slot() { return slots[kConstantForceSlot]; }

// Reads both components; false when the host lacks one of them.
bool read_force() {
    host::Fixed* vars[2];
    if (!host::find_host_vars(vars, {"FF_force_x", "FF_force_y"})) return false;
    force[0] = host::device_units(*vars[0]);
    force[1] = host::device_units(*vars[1]);
    // The squares are summed in double precision, where they cannot overflow. The force is
    // applied against its direction, so the magnitude is never positive.
    const double x = force[0];
    const double y = force[1];
    constant_force.lMagnitude = -host::truncate_to_int32(std::sqrt(x * x + y * y));
    return true;
}

// The fields a Change rewrites; the timing fields keep the values of the last Define.
void set_shape(DIEFFECT& record) {
    record.dwSize = sizeof(DIEFFECT);
    record.dwFlags = kCartesianRecord;
    record.cAxes = 2;
    record.rglDirection = force;
    record.lpEnvelope = nullptr;
    record.cbTypeSpecificParams = kBlockSize;
    record.lpvTypeSpecificParams = &constant_force;
}

}  // namespace
}  // namespace tamrilo::effects

using namespace tamrilo;
using namespace tamrilo::effects;

TAMRILO_EXPORT std::int32_t Define_Const_Forces() {
    host::StatusVariables status;
    // The force components are looked up with the status variables, before anything is cleared.
    if (!host::look_up_between(guard, [&] { return status.find() && read_force(); })) return 0;
    status.clear();
    fill_record(slot().record, kCartesianRecord, constant_force_axes, force, kBlockSize, &constant_force);
    if (create(slot(), GUID_ConstantForce) == Outcome::failed) *status.error = kCreateFailed;
    report(update(slot(), kUpdateAndStart), *status.error, kUpdated, kUpdateFailed);
    return 0;
}

TAMRILO_EXPORT std::int32_t Change_Const_Forces() {
    host::Fixed* error = nullptr;
    const auto lookups = [&] { return (error = host::find_host_var("OV_error")) != nullptr && read_force(); };
    if (!host::look_up_between(guard, lookups)) return 0;
    set_shape(slot().record);
    report(update(slot(), kUpdateAndStart), *error, kUpdated, kUpdateFailed);
    return 0;
}

TAMRILO_EXPORT std::int32_t Stop_Const_Forces() { return stop_export(slot(), true); }
