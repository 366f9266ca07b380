// The effect slots and the out-of-line steps every effect family builds its exports from.
#include "effects/steps.h"

#include "input/joystick.h"
#include "platform/release.h"

namespace tamrilo::effects {

Slot slots[kSlotCount] = {};

namespace {

// Status codes of the stop step, in OV_info_5
constexpr host::Fixed kStopped = 80;
constexpr host::Fixed kStopFailed = 90;

host::Fixed stop_code(Outcome outcome) { return outcome == Outcome::done ? kStopped : kStopFailed; }

}  // namespace

Outcome create(Slot& slot, const GUID& effect) {
    if (slot.object != nullptr) return Outcome::skipped;
    IDirectInputEffect* created = nullptr;
    const HRESULT result = input::joystick_device2->CreateEffect(effect, &slot.record, &created, nullptr);
    // A failed creation leaves the slot empty whatever DirectInput handed back.
    slot.object = platform::take_created(result, created, platform::Creation::any_success);
    return slot.object != nullptr ? Outcome::done : Outcome::failed;
}

Outcome start(Slot& slot) {
    if (slot.object == nullptr) return Outcome::skipped;
    return outcome_of(slot.object->Start(1, 0));
}

std::int32_t stop_export(Slot& slot, UnloadReport unload) {
    host::Variable* status = nullptr;
    const auto lookups = [&] { return (status = host::find_host_var("OV_info_5")) != nullptr; };
    if (!host::look_up_between(guard, lookups) || slot.object == nullptr) return 0;
    *status = stop_code(outcome_of(slot.object->Stop()));
    const Outcome unloaded = outcome_of(slot.object->Unload());
    if (unload == UnloadReport::reported) *status = stop_code(unloaded);
    return 0;
}

}  // namespace tamrilo::effects
