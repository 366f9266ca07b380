// What every effect family shares: the effect slots, each owning its whole DirectInput record,
// and the guard, create, start, update and stop steps on the selected joystick's device2.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "host/status.h"
#include "input/joystick.h"
#include "platform/dinput.h"

namespace tamrilo::effects {

// The type-specific block of a slot's record; each slot uses one member, always the same.
union Block {
    DICONSTANTFORCE constant_force;
    DICONDITION conditions[2];  // x axis, then y axis
    DIPERIODIC periodic;
};

// One effect the library can play. The slot is empty while `object` is null. The record points
// at the slot's own axis list, direction pair and block, and keeps the values of the last
// Define (or Change/Play) for the next step that hands it to DirectInput. A direction pair that
// no host variable feeds stays { 0, 0 }.
struct Slot {
    IDirectInputEffect* object;
    DIEFFECT record;
    DWORD axes[2];
    LONG direction[2];
    Block block;
};

// Every slot, one per effect and fixed at build time; the periodic slots follow in the order of
// their table.
inline constexpr int kConstantForceSlot = 0;
inline constexpr int kSpringSlot = 1;
inline constexpr int kFrictionSlot = 2;
inline constexpr int kDamperSlot = 3;
inline constexpr int kFirstPeriodicSlot = 4;
inline constexpr int kPeriodicSlotCount = 25;
inline constexpr int kSlotCount = kFirstPeriodicSlot + kPeriodicSlotCount;
extern Slot slots[kSlotCount];

// The order in which a record names the axes. DirectInput reads the axes only when it creates
// an effect (no update names DIEP_AXES), so the order of the Define that created it stays.
using AxisOrder = std::array<DWORD, 2>;
inline constexpr AxisOrder kAxesXY = {DIJOFS_X, DIJOFS_Y};
inline constexpr AxisOrder kAxesYX = {DIJOFS_Y, DIJOFS_X};

inline constexpr DWORD kPolarRecord = DIEFF_OBJECTOFFSETS | DIEFF_POLAR;                         // 0x22
inline constexpr DWORD kCartesianRecord = DIEFF_OBJECTOFFSETS | DIEFF_CARTESIAN;                 // 0x12
inline constexpr DWORD kUpdateAndStart = DIEP_DIRECTION | DIEP_TYPESPECIFICPARAMS | DIEP_START;  // 0x20000140
inline constexpr DWORD kUpdateWithoutDownload =
    DIEP_DIRECTION | DIEP_TYPESPECIFICPARAMS | DIEP_NODOWNLOAD;  // 0x80000140

// DirectInput's ranges: magnitudes, offsets and coefficients lie in -10000 … 10000, unsigned
// magnitudes, saturations and dead bands in 0 … 10000. Every value is clamped into its range
// before DirectInput sees it, as Windows' DirectInput truncates one beyond it; another
// DirectInput may hand the device an out-of-range value as nonsense (-1, next to no force).
inline constexpr LONG kFullScale = DI_FFNOMINALMAX;
inline LONG within_signed_range(LONG value) { return std::clamp(value, -kFullScale, kFullScale); }
inline LONG within_unsigned_range(LONG value) { return std::clamp(value, LONG{0}, kFullScale); }

// What sets one family's records apart; every other field is the same for all effects.
struct RecordShape {
    DWORD coordinates;  // kPolarRecord or kCartesianRecord
    AxisOrder axes;
    DWORD block_size;
    // The periodic effects are the only ones that set these.
    DWORD sample_period = 0;
    DWORD trigger_repeat_interval = 0;
};

// Writes every field of the slot's record and its axis list; the direction pair and the block
// keep their values.
inline void fill_record(Slot& slot, const RecordShape& shape) {
    slot.axes[0] = shape.axes[0];
    slot.axes[1] = shape.axes[1];
    DIEFFECT& record = slot.record;
    record.dwSize = sizeof(DIEFFECT);
    record.dwFlags = shape.coordinates;
    record.dwDuration = INFINITE;
    record.dwSamplePeriod = shape.sample_period;
    record.dwGain = DI_FFNOMINALMAX;
    record.dwTriggerButton = DIEB_NOTRIGGER;
    record.dwTriggerRepeatInterval = shape.trigger_repeat_interval;
    record.cAxes = 2;
    record.rgdwAxes = slot.axes;
    record.rglDirection = slot.direction;
    record.lpEnvelope = nullptr;
    record.cbTypeSpecificParams = shape.block_size;
    record.lpvTypeSpecificParams = &slot.block;
}

// The effect guard: effects live on the selected joystick's device2, so without one every effect
// export returns before it looks anything up, and again after its lookups (host::look_up_between).
inline bool guard() { return input::joystick_selected(); }

// What a step did. A step whose slot is empty is skipped and reports nothing.
enum class Outcome { skipped, done, failed };

// A step's two status codes.
struct Codes {
    host::Code done, failed;
};

// Stores the code that matches `outcome`; a skipped step stores nothing.
inline void report(Outcome outcome, const host::StatusVariables& status, const Codes& codes) {
    if (outcome == Outcome::done) store(status, codes.done);
    if (outcome == Outcome::failed) store(status, codes.failed);
}

// Creates the slot's effect object from its record, only while the slot is empty.
Outcome create(Slot& slot, const GUID& effect);
// Starts the slot's effect once, as it was last downloaded.
Outcome start(Slot& slot);

// Whether the stop step reports the Unload as well as the Stop; the periodic effects do not.
enum class UnloadReport { reported, unreported };

// A whole Stop export: guard, OV_info_5, then Stop and Unload on the slot's object, which stays
// in the slot.
std::int32_t stop_export(Slot& slot, UnloadReport unload);

// A DirectInput result that is not negative counts as success.
inline Outcome outcome_of(HRESULT result) { return result < 0 ? Outcome::failed : Outcome::done; }

// Hands the record's direction and type-specific block to the slot's effect object. Inline, as
// every Define, Change and Play ends with it.
inline Outcome update(Slot& slot, DWORD flags) {
    if (slot.object == nullptr) return Outcome::skipped;
    return outcome_of(slot.object->SetParameters(&slot.record, flags));
}

}  // namespace tamrilo::effects
