#include "tools/tamrilo-host/simulator_folder.h"

#include <filesystem>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "engine/library.h"

namespace tamrilo::tool {

std::string simulator_path() {
#ifdef _WIN32
    return engine::program_folder() + "\\simulator\\dinput.dll";
#else
    // The Linux library links the simulator, which sits beside the program.
    return engine::program_folder() + "/libtamrilo_sim.so";
#endif
}

void load_simulator_from_folder() {
    const std::string path = simulator_path();
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored)) {
        throw std::runtime_error("--simulator: the simulated DirectInput is not there: looked for " + path);
    }
#ifdef _WIN32
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr) {
        throw std::runtime_error("--simulator: cannot load " + path + " (error " + std::to_string(GetLastError()) +
                                 ")");
    }
    // Another DirectInput of the same name may have been loaded instead (the system's own).
    if (GetProcAddress(module, "sim_reset") == nullptr) {
        throw std::runtime_error("--simulator: " + path +
                                 " was not loaded as the simulated DirectInput (under Wine, which prefers its own, "
                                 "set WINEDLLOVERRIDES=dinput=n,b)");
    }
#else
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (module == nullptr) throw std::runtime_error(std::string("--simulator: cannot load ") + dlerror());
    if (dlsym(module, "sim_reset") == nullptr) {
        throw std::runtime_error("--simulator: " + path + " is not the simulated DirectInput");
    }
#endif
}

}  // namespace tamrilo::tool
