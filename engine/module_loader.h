// Loading a module (a DLL, a shared object) at run time: the library, the simulated DirectInput.
// The one place that calls the system's loader, for the host stand-in and every tool.
#pragma once

#include <string>

namespace tamrilo::engine {

// Global: the module's symbols also serve modules loaded after it, as the simulated DirectInput's
// serve the Linux library that links it (Windows has no such difference).
enum class ModuleScope { local, global };

// The loaded module, or null with the system's reason in `error` (dlerror's text, or Windows'
// message for the error code with the code).
void* load_module(const std::string& path, ModuleScope scope, std::string& error);
// A symbol of a loaded module, or null.
void* module_symbol(void* module, const char* name);
void unload_module(void* module);

#ifdef _WIN32
// The system's own text for an error code, as Windows shows it, and the code.
std::string system_message(unsigned long code);
#endif

}  // namespace tamrilo::engine
