#include "engine/module_loader.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace tamrilo::engine {

#ifdef _WIN32
std::string system_message(unsigned long code) {
    char* text = nullptr;
    const DWORD n =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message(text != nullptr ? text : "", n);
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return (message.empty() ? "error" : message) + " (error " + std::to_string(code) + ")";
}

void* load_module(const std::string& path, ModuleScope, std::string& error) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr) error = system_message(GetLastError());
    return reinterpret_cast<void*>(module);
}

void* module_symbol(void* module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void unload_module(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }

#else

void* load_module(const std::string& path, ModuleScope scope, std::string& error) {
    void* module = dlopen(path.c_str(), RTLD_NOW | (scope == ModuleScope::global ? RTLD_GLOBAL : RTLD_LOCAL));
    if (module == nullptr) error = dlerror();
    return module;
}

void* module_symbol(void* module, const char* name) { return dlsym(module, name); }

void unload_module(void* module) { dlclose(module); }

#endif

}  // namespace tamrilo::engine
