// The play history: stretches of effects playing, and the sticks' paths.
#include "sim/play_history.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace tamrilo::sim {

namespace {

// DIJOYSTATE begins with the eight axes, in axis-slot order.
static_assert(offsetof(DIJOYSTATE, rglSlider) == 6 * sizeof(LONG));

force::Positions axes_of(const DIJOYSTATE& state) {
    force::Positions axes;
    std::memcpy(axes.data(), &state, sizeof axes);
    return axes;
}

// What the model reads of the parameters the device holds: the type-specific record only as far
// as the copy kept it whole.
force::Parameters model_parameters(EffectKind kind, const sim_effect_params& p) {
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

force::Play* open_play(int effect) {
    auto& plays = play_history().plays;
    for (auto it = plays.rbegin(); it != plays.rend(); ++it) {
        if (it->effect == effect) return it->until_us == force::kOpen ? &*it : nullptr;
    }
    return nullptr;
}

}  // namespace

PlayHistory& play_history() {
    static PlayHistory history;
    return history;
}

void clear_play_history() { play_history() = PlayHistory{}; }

std::int64_t now_us() {
    const unsigned long long clock = world().clock_us;
    return clock > static_cast<unsigned long long>(INT64_MAX / 2) ? INT64_MAX / 2 : static_cast<std::int64_t>(clock);
}

void record_start(int effect, int device, EffectKind kind, const sim_effect_params& downloaded) {
    record_end(effect);
    // A stretch that ended the moment it began never pushed: the restart replaces it.
    auto& plays = play_history().plays;
    if (!plays.empty() && plays.back().effect == effect && plays.back().from_us == plays.back().until_us)
        plays.pop_back();
    force::Play play;
    play.effect = effect;
    play.device = device;
    play.kind = kind;
    play.params = model_parameters(kind, downloaded);
    play.started_us = play.from_us = now_us();
    play_history().plays.push_back(play);
}

void record_download(int effect, const sim_effect_params& downloaded) {
    force::Play* playing = open_play(effect);
    if (!playing) return;
    if (playing->from_us == now_us()) {
        playing->params = model_parameters(playing->kind, downloaded);
        return;
    }
    force::Play next = *playing;
    playing->until_us = now_us();
    next.params = model_parameters(next.kind, downloaded);
    next.from_us = now_us();
    play_history().plays.push_back(next);
}

void record_end(int effect) {
    if (force::Play* playing = open_play(effect)) playing->until_us = now_us();
}

DIJOYSTATE current_state(int device, const DIJOYSTATE& held) {
    DIJOYSTATE state = held;
    const auto& sticks = play_history().sticks;
    if (auto it = sticks.find(device); it != sticks.end()) {
        const force::Positions axes = it->second.at(now_us());
        std::memcpy(&state, axes.data(), sizeof axes);
    }
    return state;
}

void record_stick(int device, const DIJOYSTATE& target, std::int64_t duration_us) {
    play_history().sticks[device].move(now_us(), axes_of(target), duration_us);
}

}  // namespace tamrilo::sim
