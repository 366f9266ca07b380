// The record the force model reads: when each effect played with which downloaded parameters,
// and where each stick was. Effects and the control API write it as things happen, stamped
// with the simulated clock; the parameters an effect object holds become the model's own.
#pragma once

#include <map>

#include "force/model.h"
#include "sim/world.h"

namespace tamrilo::sim {

struct PlayHistory {
    std::vector<force::Play> plays;            // in the order they began
    std::map<int, force::StickMotion> sticks;  // by device
    DWORD device_gain = DI_FFNOMINALMAX;       // DIPROP_FFGAIN is not settable here
};
PlayHistory& play_history();
void clear_play_history();
std::int64_t now_us();

// An effect (re)starts: its own time begins again at 0, with the parameters on the device.
void record_start(int effect, int device, EffectKind kind, const sim_effect_params& downloaded);
// New parameters reach the device of a playing effect: they play on from now, without a restart.
void record_download(int effect, const sim_effect_params& downloaded);
// The effect stops playing (Stop, Unload, release, Unacquire, unplugging).
void record_end(int effect);

// The joystick's state with its axes where the stick is now.
DIJOYSTATE current_state(int device, const DIJOYSTATE& held);
// The stick goes to the axis values of `target` over `duration_us` (0: at once).
void record_stick(int device, const DIJOYSTATE& target, std::int64_t duration_us);

}  // namespace tamrilo::sim
