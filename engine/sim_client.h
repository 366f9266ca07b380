// The simulated DirectInput's control API, found at run time in whatever DirectInput module the
// library loaded. Against a real DirectInput (Windows, or Wine's own) the functions are absent
// and available() is false.
#pragma once

#include "sim_control.h"

namespace tamrilo::engine {

#define TAMRILO_SIM_FUNCTIONS(X)   \
    X(sim_reset)                   \
    X(sim_attach)                  \
    X(sim_set_attached)            \
    X(sim_set_state)               \
    X(sim_set_axis_property)       \
    X(sim_fail)                    \
    X(sim_fail_handing_back)       \
    X(sim_fail_leaving_stale)      \
    X(sim_clear_faults)            \
    X(sim_call_count)              \
    X(sim_get_call)                \
    X(sim_clear_log)               \
    X(sim_count_calls)             \
    X(sim_live_objects)            \
    X(sim_released_object_calls)   \
    X(sim_released_while_acquired) \
    X(sim_injected_faults)         \
    X(sim_last_state)              \
    X(sim_get_device)              \
    X(sim_effect_count)            \
    X(sim_get_effect)              \
    X(sim_advance_clock)           \
    X(sim_clock)                   \
    X(sim_play_count)              \
    X(sim_get_play)                \
    X(sim_force_at)                \
    X(sim_move_stick)

struct SimClient {
#define TAMRILO_SIM_MEMBER(name) decltype(&::name) name = nullptr;
    TAMRILO_SIM_FUNCTIONS(TAMRILO_SIM_MEMBER)
#undef TAMRILO_SIM_MEMBER

    // Loads the simulator's module (pinning it, so that its state outlives a reload of the
    // library) and resolves every function; false when the module is not the simulator.
    bool load();
    bool available() const { return sim_reset != nullptr; }
};

}  // namespace tamrilo::engine
