// tamrilo-host --simulator: the simulated DirectInput lives in a folder of its own beside the
// program, so that it is used only when asked for. Loading it before the library makes the
// library's DirectInput import resolve to it.
#pragma once

#include <optional>
#include <string>

namespace tamrilo::tool {

// Where the simulator is looked for: the simulator folder beside the program.
std::string simulator_path();

// Under Wine, which loads its own DirectInput whatever file of that name is loaded first, runs
// this program again with the override that lets the simulator's be loaded, unless the user set
// one for DirectInput; returns its exit code. Nothing (and no run) elsewhere, or when the
// simulator is not there to load.
std::optional<int> run_again_with_wine_override();

// Loads the simulator from simulator_path() and keeps it loaded. Throws std::runtime_error,
// naming the path, when it is missing or is not the simulated DirectInput.
void load_simulator_from_folder();

}  // namespace tamrilo::tool
