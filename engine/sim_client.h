// The simulated DirectInput's control API, found at run time in whatever DirectInput module the
// library loaded. Against a real DirectInput (Windows, or Wine's own) the functions are absent
// and available() is false.
#pragma once

#include "sim_control.h"

namespace tamrilo::engine {

struct SimClient {
#define TAMRILO_SIM_FUNCTION(name) decltype(&::name) name = nullptr;
#include "sim_functions.inc"
#undef TAMRILO_SIM_FUNCTION

    // Loads the simulator's module (pinning it, so that its state outlives a reload of the
    // library) and resolves every function; false when the module is not the simulator.
    bool load();
    bool available() const { return sim_reset != nullptr; }
};

// The DirectInput method a sim_op stands for.
const char* op_name(int op);

}  // namespace tamrilo::engine
