// The play history: stretches of effects playing, and the sticks' paths.
#include "sim/play_history.h"

#include <cstring>

#include "sim/model_parameters.h"

namespace tamrilo::sim {

namespace {

// DIJOYSTATE begins with the eight axes, in axis-slot order.
static_assert(offsetof(DIJOYSTATE, rglSlider) == 6 * sizeof(LONG));

force::Positions axes_of(const DIJOYSTATE& state) {
    force::Positions axes;
    std::memcpy(axes.data(), &state, sizeof axes);
    return axes;
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
    if (!plays.empty() && plays.back().effect == effect && plays.back().from_us == plays.back().until_us) {
        plays.pop_back();
        play_history().sent.pop_back();
    }
    force::Play play;
    play.effect = effect;
    play.device = device;
    play.kind = kind;
    play.params = model_parameters(kind, downloaded);
    play.started_us = play.from_us = now_us();
    play_history().plays.push_back(play);
    play_history().sent.push_back(downloaded);
}

void record_download(int effect, const sim_effect_params& downloaded) {
    force::Play* playing = open_play(effect);
    if (!playing) return;
    if (playing->from_us == now_us()) {
        playing->params = model_parameters(playing->kind, downloaded);
        play_history().sent[static_cast<std::size_t>(playing - play_history().plays.data())] = downloaded;
        return;
    }
    force::Play next = *playing;
    playing->until_us = now_us();
    next.params = model_parameters(next.kind, downloaded);
    next.from_us = now_us();
    play_history().plays.push_back(next);
    play_history().sent.push_back(downloaded);
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
