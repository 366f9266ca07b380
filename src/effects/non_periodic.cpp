// The four effects that are not periodic: the constant force, whose direction is the vector
// (FF_force_x, FF_force_y) and whose magnitude is that vector's length, and the three condition
// effects (placement spring, friction, damper), one DICONDITION per axis, x first. Each is a row
// of one table run by one procedure; the rows differ in which host variables feed which fields,
// the order of the lookups and the status codes.
#include <cmath>
#include <iterator>
#include <span>

#include "effects/steps.h"
#include "export.h"
#include "host/fixed_point.h"
#include "host/status.h"

namespace tamrilo::effects {
namespace {

using enum host::StatusVariable;

// Where a host variable's converted value goes: a field of the DICONDITION of one axis, or one
// component of the direction pair.
enum class Field { offset, positive, negative, dead_band, direction };

struct Input {
    const char* name;
    int axis;  // 0: x, 1: y
    Field field;
};

// Which status variables an export looks up, and whether before or after its inputs. An export
// that looks up all six clears them after its lookups.
enum class StatusLookup { all_first, all_last, error_first, info5_first, info5_last };

// How Define sets its effect going once created.
enum class Starting { by_start, by_update };

// What the type-specific block holds: a constant force, whose magnitude follows from the
// direction pair, or one condition per axis.
enum class BlockKind { constant_force, conditions };

struct Family {
    int slot;
    const GUID* effect;
    RecordShape shape;
    BlockKind block;
    std::span<const Input> define_inputs;  // in the order Define looks them up
    StatusLookup define_status;
    host::Code define_first;  // stored right after the six are cleared
    Codes create;
    Starting starting;
    Codes start;
    std::span<const Input> change_inputs;
    StatusLookup change_status;
    Codes change;
    UnloadReport stop;
};

constexpr Input kForceInputs[] = {{"FF_force_x", 0, Field::direction}, {"FF_force_y", 1, Field::direction}};
constexpr Input kSpringDefineInputs[] = {
    {"placement_middle_x", 0, Field::offset}, {"placement_dead_x", 0, Field::dead_band},
    {"placement_left_x", 0, Field::negative}, {"placement_right_x", 0, Field::positive},
    {"placement_middle_y", 1, Field::offset}, {"placement_dead_y", 1, Field::dead_band},
    {"placement_left_y", 1, Field::negative}, {"placement_right_y", 1, Field::positive},
};
constexpr Input kSpringChangeInputs[] = {
    {"placement_middle_x", 0, Field::offset},  {"placement_middle_y", 1, Field::offset},
    {"placement_dead_x", 0, Field::dead_band}, {"placement_dead_y", 1, Field::dead_band},
    {"placement_left_x", 0, Field::negative},  {"placement_left_y", 1, Field::negative},
    {"placement_right_x", 0, Field::positive}, {"placement_right_y", 1, Field::positive},
};
// On the y axis "up" is the positive direction.
constexpr Input kFrictionInputs[] = {
    {"friction_right_x", 0, Field::positive},
    {"friction_left_x", 0, Field::negative},
    {"friction_up_y", 1, Field::positive},
    {"friction_down_y", 1, Field::negative},
};
constexpr Input kDamperInputs[] = {
    {"damp_max_procent_right_x", 0, Field::positive}, {"damp_max_procent_left_x", 0, Field::negative},
    {"damp_null_procent_x", 0, Field::offset},        {"damp_max_procent_up_y", 1, Field::positive},
    {"damp_max_procent_down_y", 1, Field::negative},  {"damp_null_procent_y", 1, Field::offset},
};

// Fields no host variable feeds stay as Define leaves them: the friction's and damper's dead
// bands and offsets 0, both saturations at full scale.
constexpr RecordShape kConditionShape = {kPolarRecord, kAxesXY, sizeof(DICONDITION[2])};
// The create step of the condition effects, in OV_info_5
constexpr Codes kConditionCreate = {{kInfo5, 20}, {kInfo5, 3072}};

const Family kConstantForce = {
    .slot = kConstantForceSlot,
    .effect = &GUID_ConstantForce,
    .shape = {kCartesianRecord, kAxesXY, sizeof(DICONSTANTFORCE)},
    .block = BlockKind::constant_force,
    .define_inputs = kForceInputs,
    .define_status = StatusLookup::all_first,
    .define_first = {},
    .create = {{}, {kError, 101}},
    .starting = Starting::by_update,
    .start = {{kError, 102}, {kError, 101}},
    .change_inputs = kForceInputs,
    .change_status = StatusLookup::error_first,
    .change = {{kError, 102}, {kError, 101}},
    .stop = UnloadReport::reported,
};

const Family kSpring = {
    .slot = kSpringSlot,
    .effect = &GUID_Spring,
    .shape = kConditionShape,
    .block = BlockKind::conditions,
    .define_inputs = kSpringDefineInputs,
    .define_status = StatusLookup::all_last,
    .define_first = {kInfo5, 10},
    .create = kConditionCreate,
    .starting = Starting::by_start,
    .start = {{kInfo4, 30}, {kInfo4, 40962}},
    .change_inputs = kSpringChangeInputs,
    .change_status = StatusLookup::info5_last,
    .change = {{kInfo5, 4096}, {kInfo5, 5120}},
    .stop = UnloadReport::reported,
};

const Family kFriction = {
    .slot = kFrictionSlot,
    .effect = &GUID_Friction,
    .shape = kConditionShape,
    .block = BlockKind::conditions,
    .define_inputs = kFrictionInputs,
    .define_status = StatusLookup::info5_first,
    .define_first = {},
    .create = kConditionCreate,
    .starting = Starting::by_start,
    .start = {{kInfo5, 10}, {kInfo5, 60}},
    .change_inputs = kFrictionInputs,
    .change_status = StatusLookup::info5_last,
    .change = {{kInfo5, 7168}, {kInfo5, 8192}},
    .stop = UnloadReport::reported,
};

const Family kDamper = {
    .slot = kDamperSlot,
    .effect = &GUID_Damper,
    .shape = kConditionShape,
    .block = BlockKind::conditions,
    .define_inputs = kDamperInputs,
    .define_status = StatusLookup::info5_first,
    .define_first = {},
    .create = kConditionCreate,
    .starting = Starting::by_start,
    .start = {{kInfo5, 10}, {kInfo5, 60}},
    .change_inputs = kDamperInputs,
    .change_status = StatusLookup::info5_first,
    .change = {{kInfo5, 7168}, {kInfo5, 8192}},
    .stop = UnloadReport::reported,
};

constexpr std::size_t kMaxInputs = 8;
static_assert(std::size(kSpringDefineInputs) <= kMaxInputs && std::size(kSpringChangeInputs) <= kMaxInputs &&
              std::size(kFrictionInputs) <= kMaxInputs && std::size(kDamperInputs) <= kMaxInputs);

// The converted value, clamped into the field's range; the direction pair is not clamped, only its
// direction counts. Inlined into the unrolled reads, where the field is a constant.
[[gnu::always_inline]] inline LONG within_range(Field field, LONG value) {
    switch (field) {
        case Field::direction: return value;
        case Field::dead_band: return within_unsigned_range(value);
        case Field::offset:
        case Field::positive:
        case Field::negative: break;
    }
    return within_signed_range(value);
}

LONG& field_of(Slot& slot, const Input& input) {
    DICONDITION& condition = slot.block.conditions[input.axis];
    switch (input.field) {
        case Field::offset: return condition.lOffset;
        case Field::positive: return condition.lPositiveCoefficient;
        case Field::negative: return condition.lNegativeCoefficient;
        case Field::dead_band: return condition.lDeadBand;
        case Field::direction: break;
    }
    return slot.direction[input.axis];
}

bool find_status(StatusLookup lookup, host::StatusVariables& status) {
    switch (lookup) {
        case StatusLookup::all_first:
        case StatusLookup::all_last: return status.find();
        case StatusLookup::error_first: return (status.error = host::find_host_var("OV_error")) != nullptr;
        case StatusLookup::info5_first:
        case StatusLookup::info5_last: break;
    }
    return (status.info[4] = host::find_host_var("OV_info_5")) != nullptr;
}

bool status_first(StatusLookup lookup) {
    return lookup == StatusLookup::all_first || lookup == StatusLookup::error_first ||
           lookup == StatusLookup::info5_first;
}

// Looks up the inputs and the status variables in the family's order and stores the converted
// inputs into the slot's record; false when the host lacks one of them. Inlined into each
// export, where the family's row is a constant and the branches on it fold away.
[[gnu::always_inline]] inline bool read_inputs(const Family& family, std::span<const Input> inputs, StatusLookup lookup,
                                               host::StatusVariables& status) {
    if (status_first(lookup) && !find_status(lookup, status)) return false;
    host::Variable* vars[kMaxInputs];
#pragma GCC unroll 8
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        if ((vars[i] = host::find_host_var(inputs[i].name)) == nullptr) return false;
    }
    if (!status_first(lookup) && !find_status(lookup, status)) return false;
    Slot& slot = slots[family.slot];
#pragma GCC unroll 8
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        field_of(slot, inputs[i]) = within_range(inputs[i].field, host::device_units(*vars[i]));
    }
    if (family.block == BlockKind::constant_force) {
        // The squares are summed in double precision, where they cannot overflow. The force is
        // applied against its direction, so the magnitude is never positive.
        const double x = slot.direction[0];
        const double y = slot.direction[1];
        const LONG length = host::truncate_to_int32(std::sqrt(x * x + y * y));
        slot.block.constant_force.lMagnitude = -std::min(length, kFullScale);
    }
    return true;
}

template <const Family& family>
std::int32_t define() {
    host::StatusVariables status;
    const auto lookups = [&] { return read_inputs(family, family.define_inputs, family.define_status, status); };
    if (!host::look_up_between(guard, lookups)) return 0;
    if (family.define_status == StatusLookup::all_first || family.define_status == StatusLookup::all_last) {
        status.clear();
        store(status, family.define_first);
    }
    Slot& slot = slots[family.slot];
    fill_record(slot, family.shape);
    // A condition may push up to full scale on either side of both axes: a saturation of 0 would
    // allow no force at all.
    if (family.block == BlockKind::conditions) {
        for (DICONDITION& condition : slot.block.conditions) {
            condition.dwPositiveSaturation = condition.dwNegativeSaturation = DI_FFNOMINALMAX;
        }
    }
    report(create(slot, *family.effect), status, family.create);
    const Outcome started = family.starting == Starting::by_start ? start(slot) : update(slot, kUpdateAndStart);
    report(started, status, family.start);
    return 0;
}

template <const Family& family>
std::int32_t change() {
    host::StatusVariables status;
    const auto lookups = [&] { return read_inputs(family, family.change_inputs, family.change_status, status); };
    if (!host::look_up_between(guard, lookups)) return 0;
    report(update(slots[family.slot], kUpdateAndStart), status, family.change);
    return 0;
}

template <const Family& family>
std::int32_t stop() {
    return stop_export(slots[family.slot], family.stop);
}

}  // namespace
}  // namespace tamrilo::effects

using namespace tamrilo::effects;

TAMRILO_EXPORT std::int32_t Define_Const_Forces() { return define<kConstantForce>(); }
TAMRILO_EXPORT std::int32_t Change_Const_Forces() { return change<kConstantForce>(); }
TAMRILO_EXPORT std::int32_t Stop_Const_Forces() { return stop<kConstantForce>(); }
TAMRILO_EXPORT std::int32_t Define_Placement() { return define<kSpring>(); }
TAMRILO_EXPORT std::int32_t Change_Placement() { return change<kSpring>(); }
TAMRILO_EXPORT std::int32_t Stop_Placement() { return stop<kSpring>(); }
TAMRILO_EXPORT std::int32_t Define_Friction() { return define<kFriction>(); }
TAMRILO_EXPORT std::int32_t Change_Friction() { return change<kFriction>(); }
TAMRILO_EXPORT std::int32_t Stop_Friction() { return stop<kFriction>(); }
TAMRILO_EXPORT std::int32_t Define_Damp() { return define<kDamper>(); }
TAMRILO_EXPORT std::int32_t Change_Damp() { return change<kDamper>(); }
TAMRILO_EXPORT std::int32_t Stop_Damp() { return stop<kDamper>(); }
