#include "sim_client.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "library.h"

namespace tamrilo::engine {

bool SimClient::load() {
#ifdef _WIN32
    HMODULE module = LoadLibraryA("dinput.dll");
    auto find = [&](const char* name) { return reinterpret_cast<void*>(GetProcAddress(module, name)); };
#else
    void* module = dlopen((program_folder() + "/libtamrilo_sim.so").c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (module == nullptr) module = dlopen("libtamrilo_sim.so", RTLD_NOW | RTLD_GLOBAL);
    auto find = [&](const char* name) { return dlsym(module, name); };
#endif
    if (module == nullptr) return false;
    bool complete = true;
#define TAMRILO_SIM_FUNCTION(name)                        \
    name = reinterpret_cast<decltype(name)>(find(#name)); \
    complete = complete && name != nullptr;
#include "sim_functions.inc"
#undef TAMRILO_SIM_FUNCTION
    if (!complete) *this = SimClient{};
    return complete;
}

const char* op_name(int op) {
    static const char* const names[SIM_OP_COUNT] = {
        "DirectInputCreateA",
        "EnumDevices",
        "CreateDevice",
        "QueryInterface",
        "AddRef",
        "Release",
        "SetDataFormat",
        "SetCooperativeLevel",
        "GetProperty",
        "SetProperty",
        "Acquire",
        "Unacquire",
        "GetDeviceState",
        "Poll",
        "GetCapabilities",
        "CreateEffect",
        "SetParameters",
        "Start",
        "Stop",
        "Unload",
        "(a method the library does not use)",
    };
    return op >= 0 && op < SIM_OP_COUNT ? names[op] : "?";
}

}  // namespace tamrilo::engine
