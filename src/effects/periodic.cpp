// The periodic effects: five waveforms in five slots each, all run by one procedure from one
// table. Each slot has a Define, a Play and a Stop export and three host variables: the offset
// (_null), the magnitude (_hight) and the period in milliseconds (_time).
#include <algorithm>
#include <iterator>

#include "effects/steps.h"
#include "export.h"
#include "host/fixed_point.h"
#include "host/status.h"

// Every periodic slot: export word, variable prefix, number, effect GUID, the axis order its
// Define writes, and the flags of its Define's update step. The square waves take their axes
// as Y, X; the last falling sawtooth downloads and starts on Define.
#define TAMRILO_PERIODIC_SLOTS(X)                                                                \
    X(Sine, sine, 1, GUID_Sine, kAxesXY, kUpdateWithoutDownload)                                 \
    X(Sine, sine, 2, GUID_Sine, kAxesXY, kUpdateWithoutDownload)                                 \
    X(Sine, sine, 3, GUID_Sine, kAxesXY, kUpdateWithoutDownload)                                 \
    X(Sine, sine, 4, GUID_Sine, kAxesXY, kUpdateWithoutDownload)                                 \
    X(Sine, sine, 5, GUID_Sine, kAxesXY, kUpdateWithoutDownload)                                 \
    X(Triangle, triangle, 1, GUID_Triangle, kAxesXY, kUpdateWithoutDownload)                     \
    X(Triangle, triangle, 2, GUID_Triangle, kAxesXY, kUpdateWithoutDownload)                     \
    X(Triangle, triangle, 3, GUID_Triangle, kAxesXY, kUpdateWithoutDownload)                     \
    X(Triangle, triangle, 4, GUID_Triangle, kAxesXY, kUpdateWithoutDownload)                     \
    X(Triangle, triangle, 5, GUID_Triangle, kAxesXY, kUpdateWithoutDownload)                     \
    X(Periodic_Cresc, periodic_cresc, 1, GUID_SawtoothUp, kAxesXY, kUpdateWithoutDownload)       \
    X(Periodic_Cresc, periodic_cresc, 2, GUID_SawtoothUp, kAxesXY, kUpdateWithoutDownload)       \
    X(Periodic_Cresc, periodic_cresc, 3, GUID_SawtoothUp, kAxesXY, kUpdateWithoutDownload)       \
    X(Periodic_Cresc, periodic_cresc, 4, GUID_SawtoothUp, kAxesXY, kUpdateWithoutDownload)       \
    X(Periodic_Cresc, periodic_cresc, 5, GUID_SawtoothUp, kAxesXY, kUpdateWithoutDownload)       \
    X(Periodic_Decresc, periodic_decresc, 1, GUID_SawtoothDown, kAxesXY, kUpdateWithoutDownload) \
    X(Periodic_Decresc, periodic_decresc, 2, GUID_SawtoothDown, kAxesXY, kUpdateWithoutDownload) \
    X(Periodic_Decresc, periodic_decresc, 3, GUID_SawtoothDown, kAxesXY, kUpdateWithoutDownload) \
    X(Periodic_Decresc, periodic_decresc, 4, GUID_SawtoothDown, kAxesXY, kUpdateWithoutDownload) \
    X(Periodic_Decresc, periodic_decresc, 5, GUID_SawtoothDown, kAxesXY, kUpdateAndStart)        \
    X(Quadrat, quadrat, 1, GUID_Square, kAxesYX, kUpdateWithoutDownload)                         \
    X(Quadrat, quadrat, 2, GUID_Square, kAxesYX, kUpdateWithoutDownload)                         \
    X(Quadrat, quadrat, 3, GUID_Square, kAxesYX, kUpdateWithoutDownload)                         \
    X(Quadrat, quadrat, 4, GUID_Square, kAxesYX, kUpdateWithoutDownload)                         \
    X(Quadrat, quadrat, 5, GUID_Square, kAxesYX, kUpdateWithoutDownload)

namespace tamrilo::effects {
namespace {

struct PeriodicSlot {
    const GUID* effect;
    AxisOrder axes;
    DWORD define_flags;
    const char* period;
    const char* magnitude;
    const char* offset;
};

#define TAMRILO_PERIODIC_ROW(word, prefix, n, guid, axes, flags) \
    {&guid, axes, flags, #prefix "_" #n "_time", #prefix "_" #n "_hight", #prefix "_" #n "_null"},
const PeriodicSlot kPeriodicSlots[] = {TAMRILO_PERIODIC_SLOTS(TAMRILO_PERIODIC_ROW)};
#undef TAMRILO_PERIODIC_ROW
static_assert(std::size(kPeriodicSlots) == kPeriodicSlotCount);

#define TAMRILO_PERIODIC_INDEX(word, prefix, n, guid, axes, flags) kPeriodic_##word##_##n,
enum PeriodicIndex { TAMRILO_PERIODIC_SLOTS(TAMRILO_PERIODIC_INDEX) };
#undef TAMRILO_PERIODIC_INDEX

using enum host::StatusVariable;

// Status codes, in OV_info_5
constexpr Codes kCreateCodes = {{kInfo5, 20}, {kInfo5, 3072}};
constexpr host::Fixed kNoEffect = 27649;
constexpr Codes kPlayCodes = {{kInfo5, 7168}, {kInfo5, 8192}};

// Microseconds between samples and between trigger repeats.
constexpr DWORD kSamplePeriod = 1000;
constexpr DWORD kTriggerRepeatInterval = 2000;

Slot& slot_of(PeriodicIndex index) { return slots[kFirstPeriodicSlot + index]; }

bool find_info5(host::StatusVariables& status) {
    return (status.info[4] = host::find_host_var("OV_info_5")) != nullptr;
}

// Looks up the period, magnitude and offset, in this order, and refills the slot's block;
// false when the host lacks one of them. The phase stays 0. Always inline in its two callers: a
// call here would cost a tenth of a Define's own instructions in saved registers alone.
[[gnu::always_inline]] inline bool read_periodic(PeriodicIndex index) {
    const PeriodicSlot& def = kPeriodicSlots[index];
    host::Variable* period = host::find_host_var(def.period);
    if (period == nullptr) return false;
    host::Variable* magnitude = host::find_host_var(def.magnitude);
    if (magnitude == nullptr) return false;
    host::Variable* offset = host::find_host_var(def.offset);
    if (offset == nullptr) return false;
    DIPERIODIC& block = slot_of(index).block.periodic;
    block.dwPeriod = static_cast<DWORD>(host::time_units(*period));
    // The magnitude is unsigned: a negative one is read as its two's complement, beyond full
    // scale, and so clamped to full scale as Windows' DirectInput would truncate it.
    block.dwMagnitude = std::min(static_cast<DWORD>(host::device_units(*magnitude)), DWORD{DI_FFNOMINALMAX});
    block.dwPhase = 0;
    block.lOffset = within_signed_range(host::device_units(*offset));
    return true;
}

std::int32_t define_periodic(PeriodicIndex index) {
    const PeriodicSlot& def = kPeriodicSlots[index];
    host::StatusVariables status;
    if (!host::look_up_between(guard, [&] { return find_info5(status) && read_periodic(index); })) return 0;
    Slot& slot = slot_of(index);
    fill_record(slot, {kPolarRecord, def.axes, sizeof(DIPERIODIC), kSamplePeriod, kTriggerRepeatInterval});
    report(create(slot, *def.effect), status, kCreateCodes);
    update(slot, def.define_flags);
    return 0;
}

std::int32_t play_periodic(PeriodicIndex index) {
    host::StatusVariables status;
    if (!host::look_up_between(guard, [&] { return find_info5(status); })) return 0;
    Slot& slot = slot_of(index);
    if (slot.object == nullptr) {
        status.info_n(5) = kNoEffect;
        return 0;
    }
    // The update step tests the slot again: a selection from inside these lookups empties it.
    if (!host::look_up_between(guard, [&] { return read_periodic(index); })) return 0;
    report(update(slot, kUpdateAndStart), status, kPlayCodes);
    return 0;
}

}  // namespace
}  // namespace tamrilo::effects

using namespace tamrilo::effects;

#define TAMRILO_PERIODIC_EXPORTS(word, prefix, n, guid, axes, flags)                                      \
    TAMRILO_EXPORT std::int32_t Define_##word##_##n() { return define_periodic(kPeriodic_##word##_##n); } \
    TAMRILO_EXPORT std::int32_t Play_##word##_##n() { return play_periodic(kPeriodic_##word##_##n); }     \
    TAMRILO_EXPORT std::int32_t Stop_##word##_##n() {                                                     \
        return stop_export(slot_of(kPeriodic_##word##_##n), UnloadReport::unreported);                    \
    }
TAMRILO_PERIODIC_SLOTS(TAMRILO_PERIODIC_EXPORTS)
#undef TAMRILO_PERIODIC_EXPORTS
