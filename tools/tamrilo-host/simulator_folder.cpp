#include "tools/tamrilo-host/simulator_folder.h"

#include <filesystem>
#include <optional>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#endif

#include "engine/module_loader.h"
#include "platform/program_folder.h"

namespace tamrilo::tool {

#ifdef _WIN32
namespace {
// Wine loads a DirectInput file beside the program (or loaded by path) before its own.
constexpr const char* kSimulatorOverride = "dinput=n,b";
}  // namespace
#endif

std::string simulator_path() {
#ifdef _WIN32
    return platform::program_folder() + "\\simulator\\dinput.dll";
#else
    // The Linux library links the simulator, which sits beside the program.
    return platform::program_folder() + "/libtamrilo_sim.so";
#endif
}

std::optional<int> run_again_with_wine_override() {
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr) return std::nullopt;
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(simulator_path(), ignored)) return std::nullopt;
    constexpr const char* kVariable = "WINEDLLOVERRIDES";
    char set[1024] = "";
    const DWORD length = GetEnvironmentVariableA(kVariable, set, sizeof set);
    const std::string overrides = length < sizeof set ? set : "";
    if (overrides.find("dinput") != std::string::npos) return std::nullopt;
    SetEnvironmentVariableA(kVariable, (overrides.empty() ? "" : overrides + ";").append(kSimulatorOverride).c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, GetCommandLineW(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        throw std::runtime_error("--simulator: cannot start tamrilo-host again with " + std::string(kVariable) + "=" +
                                 kSimulatorOverride + ": " + engine::system_message(GetLastError()));
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
#else
    return std::nullopt;
#endif
}

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
                                 "set WINEDLLOVERRIDES=" +
                                 kSimulatorOverride + ")");
#else
        throw std::runtime_error("--simulator: " + path + " is not the simulated DirectInput");
#endif
    }
}

}  // namespace tamrilo::tool
