// The kinds of effect DirectInput 5 defines and this project plays, one row each: the simulated
// DirectInput, the force model, the call decoder and the virtual joystick's report decoder all
// read them from here.
#pragma once

#include <cstddef>

#include "platform/dinput.h"

namespace tamrilo {

enum class EffectFamily { constant_force, periodic, condition };

// KIND(kind, GUID, family, label, word): the label is what a script author reads (force
// pictures), the word what a virtual joystick's reports call it. The order is the one of the
// effect types in the virtual joystick's report descriptor.
#define TAMRILO_EFFECT_KINDS(KIND)                                                         \
    KIND(constant_force, GUID_ConstantForce, constant_force, "constant force", "constant") \
    KIND(square, GUID_Square, periodic, "square", "square")                                \
    KIND(sine, GUID_Sine, periodic, "sine", "sine")                                        \
    KIND(triangle, GUID_Triangle, periodic, "triangle", "triangle")                        \
    KIND(sawtooth_up, GUID_SawtoothUp, periodic, "sawtooth up", "sawtooth-up")             \
    KIND(sawtooth_down, GUID_SawtoothDown, periodic, "sawtooth down", "sawtooth-down")     \
    KIND(spring, GUID_Spring, condition, "spring", "spring")                               \
    KIND(damper, GUID_Damper, condition, "damper", "damper")                               \
    KIND(friction, GUID_Friction, condition, "friction", "friction")

enum class EffectKind {
#define TAMRILO_EFFECT_KIND(kind, guid, family, label, word) kind,
    TAMRILO_EFFECT_KINDS(TAMRILO_EFFECT_KIND)
#undef TAMRILO_EFFECT_KIND
};

struct EffectKindRow {
    EffectKind kind;
    const GUID* guid;
    EffectFamily family;
    const char* label;  // "sawtooth up"
    const char* name;   // "GUID_SawtoothUp"
    const char* word;   // "sawtooth-up"
};

inline constexpr EffectKindRow kEffectKinds[] = {
#define TAMRILO_EFFECT_KIND(kind, guid, family, label, word) \
    {EffectKind::kind, &guid, EffectFamily::family, label, #guid, word},
    TAMRILO_EFFECT_KINDS(TAMRILO_EFFECT_KIND)
#undef TAMRILO_EFFECT_KIND
};

inline const EffectKindRow& effect_kind(EffectKind kind) { return kEffectKinds[static_cast<std::size_t>(kind)]; }

// The row of an effect GUID, or null for a GUID that names no kind here.
inline const EffectKindRow* find_effect_kind(REFGUID guid) {
    for (const EffectKindRow& row : kEffectKinds) {
        if (IsEqualGUID(guid, *row.guid)) return &row;
    }
    return nullptr;
}

}  // namespace tamrilo
