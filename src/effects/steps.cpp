// The effect slots and the steps every effect family builds its exports from.
#include "effects/steps.h"

#include "input/joystick.h"
#include "platform/release.h"

namespace tamrilo::effects {

Slot slots[kSlotCount] = {};

namespace {

// Status codes of the stop step, in OV_info_5
constexpr Codes kStopCodes = {{host::kInfo5, 80}, {host::kInfo5, 90}};

}  // namespace

void fill_record(Slot& slot, const RecordShape& shape) {
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

bool guard() { return input::joystick_selected(); }

void report(Outcome outcome, const host::StatusVariables& status, const Codes& codes) {
    if (outcome == Outcome::done) store(status, codes.done);
    if (outcome == Outcome::failed) store(status, codes.failed);
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

std::int32_t stop_export(Slot& slot, UnloadReport unload) {
    host::StatusVariables status;
    const auto lookups = [&] { return (status.info[4] = host::find_host_var("OV_info_5")) != nullptr; };
    if (!host::look_up_between(guard, lookups) || slot.object == nullptr) return 0;
    report(outcome_of(slot.object->Stop()), status, kStopCodes);
    const Outcome unloaded = outcome_of(slot.object->Unload());
    if (unload == UnloadReport::reported) report(unloaded, status, kStopCodes);
    return 0;
}

}  // namespace tamrilo::effects
