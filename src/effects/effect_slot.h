// What every effect family shares: the effect slots, the common effect record, and the guard,
// create, start, update and stop steps on the selected joystick's device2.
#pragma once

#include <cstdint>

#include "host/binding.h"
#include "platform/dinput.h"

namespace tamrilo::effects {

// One effect the library can play. The slot is empty while `object` is null; the record keeps
// the values of the last Define (or Change/Play) for the next step that hands it to DirectInput.
struct Slot {
    IDirectInputEffect* object;
    DIEFFECT record;
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

// The axis list and direction pair that all condition and periodic records point to.
// DirectInput reads the axes only when it creates an effect (no update names DIEP_AXES), so
// every Define writes its own order right before its create step and the object keeps it.
extern DWORD effect_axes[2];
extern LONG zero_direction[2];
inline constexpr DWORD kAxesXY[2] = {DIJOFS_X, DIJOFS_Y};
inline constexpr DWORD kAxesYX[2] = {DIJOFS_Y, DIJOFS_X};
void set_effect_axes(const DWORD (&order)[2]);

inline constexpr DWORD kPolarRecord = DIEFF_OBJECTOFFSETS | DIEFF_POLAR;                         // 0x22
inline constexpr DWORD kCartesianRecord = DIEFF_OBJECTOFFSETS | DIEFF_CARTESIAN;                 // 0x12
inline constexpr DWORD kUpdateAndStart = DIEP_DIRECTION | DIEP_TYPESPECIFICPARAMS | DIEP_START;  // 0x20000140
inline constexpr DWORD kUpdateWithoutDownload =
    DIEP_DIRECTION | DIEP_TYPESPECIFICPARAMS | DIEP_NODOWNLOAD;  // 0x80000140

// The timing fields that differ between families; the periodic effects are the only ones that
// set them.
struct Timing {
    DWORD sample_period = 0;
    DWORD trigger_repeat_interval = 0;
};

// Writes every field of the record: the values common to all effects plus the family's own.
void fill_record(DIEFFECT& record, DWORD coordinates, DWORD* axes, LONG* direction, DWORD block_size, void* block,
                 Timing timing = {});

// The effect guard: effects live on the selected joystick's device2, so without one every effect
// export returns before it looks anything up, and again after its lookups (host::look_up_between).
bool guard();

// What a step did. A step whose slot is empty is skipped and reports nothing.
enum class Outcome { skipped, done, failed };

// Stores `done` or `failed` into `status` according to `outcome`; a skipped step stores nothing.
void report(Outcome outcome, host::Fixed& status, host::Fixed done, host::Fixed failed);

// Creates the slot's effect object from its record, only while the slot is empty.
Outcome create(Slot& slot, const GUID& effect);
// Starts the slot's effect once, as it was last downloaded.
Outcome start(Slot& slot);
// Hands the record's direction and type-specific block to the slot's effect object.
Outcome update(Slot& slot, DWORD flags);
// Stops and unloads the slot's effect, reporting into `status`; the object stays in the slot.
// The periodic effects do not report the Unload.
void stop(Slot& slot, host::Fixed& status, bool report_unload);

// A whole Stop export: guard, OV_info_5, stop step.
std::int32_t stop_export(Slot& slot, bool report_unload);

// A DirectInput result that is not negative counts as success.
inline Outcome outcome_of(HRESULT result) { return result < 0 ? Outcome::failed : Outcome::done; }

}  // namespace tamrilo::effects
