// tamrilo-host --simulator: the simulated DirectInput lives in a folder of its own beside the
// program, so that it is used only when asked for. Loading it before the library makes the
// library's DirectInput import resolve to it.
#pragma once

#include <string>

namespace tamrilo::tool {

// Loads the simulator from the simulator folder beside the program and keeps it loaded. Throws std::runtime_error,
// naming the path, when it is missing or is not the simulated DirectInput.
void load_simulator_from_folder();

}  // namespace tamrilo::tool
