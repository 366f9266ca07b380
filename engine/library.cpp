#include "engine/library.h"

#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#include <climits>
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
#endif

Library::Library(const std::string& path) {
#ifdef _WIN32
    handle_ = reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
    if (handle_ == nullptr) throw std::runtime_error("cannot load " + path + ": " + system_message(GetLastError()));
#else
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) throw std::runtime_error("cannot load " + path + ": " + dlerror());
#endif
}

Library::~Library() {
#ifdef _WIN32
    FreeLibrary(reinterpret_cast<HMODULE>(handle_));
#else
    dlclose(handle_);
#endif
}

void* Library::symbol(const std::string& name) const {
#ifdef _WIN32
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(handle_), name.c_str()));
#else
    return dlsym(handle_, name.c_str());
#endif
}

std::int32_t Library::bind(const HostEngine& engine) const { return bind_record(engine.interface_record()); }

std::int32_t Library::bind_record(const Word* record) const {
    auto* fn = reinterpret_cast<std::int32_t (*)(const Word*)>(symbol("A5_DLLAPI"));
    if (fn == nullptr) throw std::runtime_error("the library has no export A5_DLLAPI");
    return fn(record);
}

std::int32_t Library::call(const std::string& name) const {
    auto* fn = reinterpret_cast<std::int32_t (*)()>(symbol(name));
    if (fn == nullptr) throw std::runtime_error("the library has no export " + name);
    return fn();
}

HostString* Library::call_with_string(const std::string& name, HostString* string) const {
    // The library sees the host string object as an array of words.
    auto* fn = reinterpret_cast<Word* (*)(Word*)>(symbol(name));
    if (fn == nullptr) throw std::runtime_error("the library has no export " + name);
    return reinterpret_cast<HostString*>(fn(string != nullptr ? string->words : nullptr));
}

std::string program_folder() {
#ifdef _WIN32
    char buffer[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string path(buffer, n);
    return path.substr(0, path.find_last_of("\\/"));
#else
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    std::string path(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    return path.substr(0, path.find_last_of('/'));
#endif
}

std::string default_library_path() {
#ifdef _WIN32
    return program_folder() + "\\Tamrilo.dll";
#else
    return program_folder() + "/libtamrilo.so";
#endif
}

}  // namespace tamrilo::engine
