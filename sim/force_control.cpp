// The control API of the force model: the play history, the force at a moment, stick moves.
#include <algorithm>
#include <cstring>

#include "sim/play_history.h"

using namespace tamrilo::sim;
namespace force = tamrilo::force;

namespace {

bool valid_device(int device) { return device >= 0 && static_cast<std::size_t>(device) < world().joysticks.size(); }

// When a play stops pushing: the end of its stretch or of its duration, whichever comes first.
long long end_of(const force::Play& play) {
    std::int64_t end = play.until_us;
    if (play.params.duration != INFINITE) end = std::min<std::int64_t>(end, play.started_us + play.params.duration);
    return end == force::kOpen ? -1 : std::max(end, play.from_us);
}

}  // namespace

SIM_API int sim_play_count(void) { return static_cast<int>(play_history().plays.size()); }

SIM_API int sim_get_play(int index, sim_play* out) {
    const auto& plays = play_history().plays;
    if (!out || index < 0 || static_cast<std::size_t>(index) >= plays.size()) return 0;
    const force::Play& play = plays[static_cast<std::size_t>(index)];
    *out = sim_play{};
    out->effect = play.effect;
    out->device = play.device;
    out->guid = *tamrilo::effect_kind(play.kind).guid;
    out->started_us = play.started_us;
    out->from_us = play.from_us;
    out->until_us = play.until_us == force::kOpen ? -1 : play.until_us;
    out->end_us = end_of(play);
    std::string remarks;
    for (const std::string& remark : force::remarks(play)) remarks += (remarks.empty() ? "" : "; ") + remark;
    std::strncpy(out->remarks, remarks.c_str(), sizeof out->remarks - 1);
    return 1;
}

SIM_API int sim_force_at(int device, long long time_us, sim_force_sample* sample) {
    if (!valid_device(device) || !sample) return 0;
    *sample = sim_force_sample{};
    const PlayHistory& history = play_history();
    static const force::StickMotion kStill;
    const auto stick_entry = history.sticks.find(device);
    const force::StickMotion& stick = stick_entry == history.sticks.end() ? kStill : stick_entry->second;
    const force::Positions positions = stick.at(time_us);
    std::copy(positions.begin(), positions.end(), sample->position);
    std::vector<force::Forces> contributions;
    for (std::size_t i = 0; i < history.plays.size(); ++i) {
        const force::Play& play = history.plays[i];
        if (play.device != device || !play.playing_at(time_us)) continue;
        contributions.push_back(force::contribution(play, time_us, stick, history.device_gain));
        if (sample->contributions < SIM_MAX_CONTRIBUTIONS) {
            const int n = sample->contributions;
            sample->play[n] = static_cast<int>(i);
            const auto summed = force::total({contributions.back()});
            std::copy(summed.begin(), summed.end(), sample->contribution[n]);
        }
        ++sample->contributions;
    }
    const auto forces = force::total(contributions);
    std::copy(forces.begin(), forces.end(), sample->force);
    return 1;
}

SIM_API void sim_move_stick(int device, const DIJOYSTATE* target, unsigned long long duration_us) {
    if (!valid_device(device) || !target) return;
    // Only the axes move; buttons and POVs stay as they are.
    DIJOYSTATE& held = world().joysticks[static_cast<std::size_t>(device)].state;
    std::memcpy(&held, target, sizeof(LONG) * force::kAxes);
    const auto duration = static_cast<std::int64_t>(std::min<unsigned long long>(duration_us, INT64_MAX / 4));
    record_stick(device, *target, duration);
}
