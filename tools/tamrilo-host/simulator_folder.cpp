#include "tools/tamrilo-host/simulator_folder.h"

#include <filesystem>
#include <stdexcept>

#include "engine/module_loader.h"
#include "platform/program_folder.h"

namespace tamrilo::tool {
namespace {

// Where the simulator is looked for: the simulator folder beside the program.
std::string simulator_path() {
#ifdef _WIN32
    return platform::program_folder() + "\\simulator\\dinput.dll";
#else
    // The Linux library links the simulator, which sits beside the program.
    return platform::program_folder() + "/libtamrilo_sim.so";
#endif
}

}  // namespace

void load_simulator_from_folder() {
    const std::string path = simulator_path();
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored)) {
        throw std::runtime_error("--simulator: the simulated DirectInput is not there: looked for " + path);
    }
    std::string error;
    void* module = engine::load_module(path, engine::ModuleScope::global, error);
    if (module == nullptr) throw std::runtime_error("--simulator: cannot load " + path + ": " + error);
    // Another DirectInput of the same name may have been loaded instead (the system's own).
    if (engine::module_symbol(module, "sim_reset") == nullptr) {
#ifdef _WIN32
        throw std::runtime_error("--simulator: " + path +
                                 " was not loaded as the simulated DirectInput (under Wine, which prefers its own, "
                                 "set WINEDLLOVERRIDES=dinput=n,b)");
#else
        throw std::runtime_error("--simulator: " + path + " is not the simulated DirectInput");
#endif
    }
}

}  // namespace tamrilo::tool
