// The force model's parameters of an effect, from the copy the simulated DirectInput keeps of
// them (its control API's sim_effect_params): the simulator's play history and the force
// preview, which reads that history through the control API, read them the same way.
#pragma once

#include <algorithm>
#include <cstring>
#include <iterator>

#include "force/model.h"
#include "sim/sim_control.h"

namespace tamrilo::sim {

// What the model reads of the parameters the device holds: the type-specific record only as far
// as the copy kept it whole.
inline force::Parameters model_parameters(EffectKind kind, const sim_effect_params& p) {
    force::Parameters out;
    out.flags = p.flags;
    out.duration = p.duration;
    out.gain = p.gain;
    out.axis_count = p.axis_count;
    std::copy(std::begin(p.axes), std::end(p.axes), out.axes.begin());
    std::copy(std::begin(p.direction), std::end(p.direction), out.direction.begin());
    out.has_envelope = p.has_envelope != 0;
    // The copy keeps the first bytes of the type-specific record: the records it holds whole count.
    const std::size_t held = std::min<std::size_t>(p.type_specific_size, sizeof p.type_specific);
    switch (effect_kind(kind).family) {
        case EffectFamily::constant_force:
            if (held >= sizeof(DICONSTANTFORCE))
                std::memcpy(&out.constant.emplace(), p.type_specific, sizeof(DICONSTANTFORCE));
            break;
        case EffectFamily::periodic:
            if (held >= sizeof(DIPERIODIC)) std::memcpy(&out.periodic.emplace(), p.type_specific, sizeof(DIPERIODIC));
            break;
        case EffectFamily::condition:
            out.conditions.resize(held / sizeof(DICONDITION));
            std::memcpy(out.conditions.data(), p.type_specific, out.conditions.size() * sizeof(DICONDITION));
            break;
    }
    return out;
}

}  // namespace tamrilo::sim
