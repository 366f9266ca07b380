// The three condition effects (placement spring, friction, damper): one DICONDITION per axis,
// x first. They share one procedure; the families differ only in the data below: which host
// variables feed which fields, the order of the look-ups, and the status codes.
#include <iterator>
#include <span>

#include "effects/effect_slot.h"
#include "export.h"
#include "host/fixed_point.h"
#include "host/status.h"

namespace tamrilo::effects {
namespace {

// A host variable and the DICONDITION field it feeds, on axis 0 (x) or 1 (y).
struct Input {
    const char* name;
    int axis;
    LONG DICONDITION::*field;
};

constexpr auto kOffset = &DICONDITION::lOffset;
constexpr auto kPositive = &DICONDITION::lPositiveCoefficient;
constexpr auto kNegative = &DICONDITION::lNegativeCoefficient;
constexpr auto kDeadBand = &DICONDITION::lDeadBand;

// Which status variables an export looks up, and when.
enum class StatusLookup {
    info5_first,  // OV_info_5 before the inputs
    info5_last,   // OV_info_5 after the inputs
    clear_last,   // all six after the inputs, then OV_error..OV_info_4 = 0, OV_info_5 = its first code
};

struct Codes {
    host::Fixed done, failed;
};

struct Family {
    const GUID* effect;
    std::span<const Input> define_inputs;  // in the order Define looks them up
    StatusLookup define_status;
    std::span<const Input> change_inputs;
    StatusLookup change_status;
    host::Fixed define_first_code;  // clear_last only
    int start_status;               // OV_info_n that the start step in Define reports into
    Codes start;
    Codes change;
};

// Status codes of the create step, in OV_info_5
constexpr host::Fixed kCreated = 20;
constexpr host::Fixed kCreateFailed = 3072;
// The spring's other codes: Define's first code in OV_info_5, its start step in OV_info_4 and
// Change in OV_info_5
constexpr host::Fixed kSpringDefining = 10;
constexpr Codes kSpringStart = {30, 40962};
constexpr Codes kSpringChanged = {4096, 5120};
// Friction and damper, in OV_info_5
constexpr Codes kStarted = {10, 60};
constexpr Codes kChanged = {7168, 8192};

constexpr Input kSpringDefineInputs[] = {
    {"placement_middle_x", 0, kOffset},  {"placement_dead_x", 0, kDeadBand},  {"placement_left_x", 0, kNegative},
    {"placement_right_x", 0, kPositive}, {"placement_middle_y", 1, kOffset},  {"placement_dead_y", 1, kDeadBand},
    {"placement_left_y", 1, kNegative},  {"placement_right_y", 1, kPositive},
};
constexpr Input kSpringChangeInputs[] = {
    {"placement_middle_x", 0, kOffset},  {"placement_middle_y", 1, kOffset},  {"placement_dead_x", 0, kDeadBand},
    {"placement_dead_y", 1, kDeadBand},  {"placement_left_x", 0, kNegative},  {"placement_left_y", 1, kNegative},
    {"placement_right_x", 0, kPositive}, {"placement_right_y", 1, kPositive},
};
// On the y axis "up" is the positive direction.
constexpr Input kFrictionInputs[] = {
    {"friction_right_x", 0, kPositive},
    {"friction_left_x", 0, kNegative},
    {"friction_up_y", 1, kPositive},
    {"friction_down_y", 1, kNegative},
};
constexpr Input kDamperInputs[] = {
    {"damp_max_procent_right_x", 0, kPositive}, {"damp_max_procent_left_x", 0, kNegative},
    {"damp_null_procent_x", 0, kOffset},        {"damp_max_procent_up_y", 1, kPositive},
    {"damp_max_procent_down_y", 1, kNegative},  {"damp_null_procent_y", 1, kOffset},
};

enum FamilyIndex { kSpring, kFriction, kDamper };

const Family kFamilies[] = {
    {&GUID_Spring, kSpringDefineInputs, StatusLookup::clear_last, kSpringChangeInputs, StatusLookup::info5_last,
     kSpringDefining, 4, kSpringStart, kSpringChanged},
    {&GUID_Friction, kFrictionInputs, StatusLookup::info5_first, kFrictionInputs, StatusLookup::info5_last, 0, 5,
     kStarted, kChanged},
    {&GUID_Damper, kDamperInputs, StatusLookup::info5_first, kDamperInputs, StatusLookup::info5_first, 0, 5, kStarted,
     kChanged},
};
constexpr int kSlotOf[] = {kSpringSlot, kFrictionSlot, kDamperSlot};

// Each family's type-specific block: x axis, then y axis. Fields no variable feeds (both
// saturations, and the friction's and damper's dead bands and offsets) stay 0.
DICONDITION conditions[3][2];

constexpr std::size_t kMaxInputs = 8;
static_assert(std::size(kSpringDefineInputs) <= kMaxInputs && std::size(kSpringChangeInputs) <= kMaxInputs &&
              std::size(kFrictionInputs) <= kMaxInputs && std::size(kDamperInputs) <= kMaxInputs);

// Looks up the inputs and the status variables in the family's order and stores the converted
// inputs into the block; false when the host lacks one of them. `status` gets all six for
// clear_last, otherwise only OV_info_5.
bool read_inputs(std::span<const Input> inputs, StatusLookup lookup, DICONDITION (&block)[2],
                 host::StatusVariables& status) {
    if (lookup == StatusLookup::info5_first && (status.info[4] = host::find_host_var("OV_info_5")) == nullptr) {
        return false;
    }
    host::Fixed* vars[kMaxInputs];
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        if ((vars[i] = host::find_host_var(inputs[i].name)) == nullptr) return false;
    }
    if (lookup == StatusLookup::info5_last && (status.info[4] = host::find_host_var("OV_info_5")) == nullptr) {
        return false;
    }
    if (lookup == StatusLookup::clear_last && !status.find()) return false;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        block[inputs[i].axis].*inputs[i].field = host::device_units(*vars[i]);
    }
    return true;
}

std::int32_t define_condition(FamilyIndex index) {
    const Family& family = kFamilies[index];
    Slot& slot = slots[kSlotOf[index]];
    host::StatusVariables status;
    const auto lookups = [&] {
        return read_inputs(family.define_inputs, family.define_status, conditions[index], status);
    };
    if (!host::look_up_between(guard, lookups)) return 0;
    if (family.define_status == StatusLookup::clear_last) {
        status.clear();
        status.info_n(5) = family.define_first_code;
    }
    set_effect_axes(kAxesXY);
    fill_record(slot.record, kPolarRecord, effect_axes, zero_direction, sizeof conditions[index], conditions[index]);
    report(create(slot, *family.effect), status.info_n(5), kCreated, kCreateFailed);
    report(start(slot), status.info_n(family.start_status), family.start.done, family.start.failed);
    return 0;
}

std::int32_t change_condition(FamilyIndex index) {
    const Family& family = kFamilies[index];
    host::StatusVariables status;
    const auto lookups = [&] {
        return read_inputs(family.change_inputs, family.change_status, conditions[index], status);
    };
    if (!host::look_up_between(guard, lookups)) return 0;
    report(update(slots[kSlotOf[index]], kUpdateAndStart), status.info_n(5), family.change.done, family.change.failed);
    return 0;
}

}  // namespace
}  // namespace tamrilo::effects

using namespace tamrilo::effects;

TAMRILO_EXPORT std::int32_t Define_Placement() { return define_condition(kSpring); }
TAMRILO_EXPORT std::int32_t Change_Placement() { return change_condition(kSpring); }
TAMRILO_EXPORT std::int32_t Stop_Placement() { return stop_export(slots[kSpringSlot], true); }
TAMRILO_EXPORT std::int32_t Define_Friction() { return define_condition(kFriction); }
TAMRILO_EXPORT std::int32_t Change_Friction() { return change_condition(kFriction); }
TAMRILO_EXPORT std::int32_t Stop_Friction() { return stop_export(slots[kFrictionSlot], true); }
TAMRILO_EXPORT std::int32_t Define_Damp() { return define_condition(kDamper); }
TAMRILO_EXPORT std::int32_t Change_Damp() { return change_condition(kDamper); }
TAMRILO_EXPORT std::int32_t Stop_Damp() { return stop_export(slots[kDamperSlot], true); }
