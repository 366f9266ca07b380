// The effect slots and the steps every effect family builds its exports from.
#include "effects/slots.h"

#include "effects/effect_slot.h"
#include "host/status.h"
#include "input/joystick.h"
#include "platform/release.h"

namespace tamrilo::effects {

Slot slots[kSlotCount] = {};
DWORD effect_axes[2] = {};
LONG zero_direction[2] = {};

namespace {

// Status codes of the stop step, in OV_info_5
constexpr host::Fixed kStopped = 80;
constexpr host::Fixed kStopFailed = 90;

constexpr DWORD kRecordSize = sizeof(DIEFFECT);

}  // namespace

void set_effect_axes(const DWORD (&order)[2]) {
    effect_axes[0] = order[0];
    effect_axes[1] = order[1];
}

void fill_record(DIEFFECT& record, DWORD coordinates, DWORD* axes, LONG* direction, DWORD block_size, void* block,
                 Timing timing) {
    record.dwSize = kRecordSize;
    record.dwFlags = coordinates;
    record.dwDuration = INFINITE;
    record.dwSamplePeriod = timing.sample_period;
    record.dwGain = DI_FFNOMINALMAX;
    record.dwTriggerButton = DIEB_NOTRIGGER;
    record.dwTriggerRepeatInterval = timing.trigger_repeat_interval;
    record.cAxes = 2;
    record.rgdwAxes = axes;
    record.rglDirection = direction;
    record.lpEnvelope = nullptr;
    record.cbTypeSpecificParams = block_size;
    record.lpvTypeSpecificParams = block;
}

bool guard() { return input::joystick_selected(); }

void report(Outcome outcome, host::Fixed& status, host::Fixed done, host::Fixed failed) {
    if (outcome == Outcome::done) status = done;
    if (outcome == Outcome::failed) status = failed;
}

Outcome create(Slot& slot, const GUID& effect) {
    if (slot.object != nullptr) return Outcome::skipped;
    IDirectInputEffect* created = nullptr;
    const HRESULT result = input::joystick_device2->CreateEffect(effect, &slot.record, &created, nullptr);
    // A failed creation leaves the slot empty whatever DirectInput handed back.
    slot.object = platform::take_created(result, created);
    return slot.object != nullptr ? Outcome::done : Outcome::failed;
}

Outcome start(Slot& slot) {
    if (slot.object == nullptr) return Outcome::skipped;
    return outcome_of(slot.object->Start(1, 0));
}

Outcome update(Slot& slot, DWORD flags) {
    if (slot.object == nullptr) return Outcome::skipped;
    return outcome_of(slot.object->SetParameters(&slot.record, flags));
}

void stop(Slot& slot, host::Fixed& status, bool report_unload) {
    if (slot.object == nullptr) return;
    report(outcome_of(slot.object->Stop()), status, kStopped, kStopFailed);
    const Outcome unloaded = outcome_of(slot.object->Unload());
    if (report_unload) report(unloaded, status, kStopped, kStopFailed);
}

std::int32_t stop_export(Slot& slot, bool report_unload) {
    host::Fixed* status = nullptr;
    if (!host::look_up_between(guard, [&] { return (status = host::find_host_var("OV_info_5")) != nullptr; })) return 0;
    stop(slot, *status, report_unload);
    return 0;
}

bool drop_all_effect_objects() {
    bool dropped = false;
    for (Slot& slot : slots) dropped = platform::release(slot.object) || dropped;
    return dropped;
}

bool release_constant_force() { return platform::release(slots[kConstantForceSlot].object); }

}  // namespace tamrilo::effects
