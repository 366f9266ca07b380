#include "engine/sim_client.h"

#include "engine/module_loader.h"
#include "platform/program_folder.h"

namespace tamrilo::engine {

bool SimClient::load() {
    // Whichever DirectInput module the library's import found: on Windows the one loaded by name;
    // on Linux the simulator the library links, beside the program or on the search path.
    std::string ignored;
#ifdef _WIN32
    void* module = load_module("dinput.dll", ModuleScope::global, ignored);
#else
    void* module = load_module(platform::program_folder() + "/libtamrilo_sim.so", ModuleScope::global, ignored);
    if (module == nullptr) module = load_module("libtamrilo_sim.so", ModuleScope::global, ignored);
#endif
    if (module == nullptr) return false;
    auto find = [&](const char* name) { return module_symbol(module, name); };
    bool complete = true;
#define TAMRILO_SIM_FUNCTION(name)                        \
    name = reinterpret_cast<decltype(name)>(find(#name)); \
    complete = complete && name != nullptr;
#include "sim_functions.inc"
#undef TAMRILO_SIM_FUNCTION
    if (!complete) *this = SimClient{};
    return complete;
}

}  // namespace tamrilo::engine
