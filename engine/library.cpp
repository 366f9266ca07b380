#include "engine/library.h"

#include <stdexcept>

#include "engine/module_loader.h"
#include "platform/program_folder.h"

namespace tamrilo::engine {

Library::Library(const std::string& path) {
    std::string error;
    handle_ = load_module(path, ModuleScope::local, error);
    if (handle_ == nullptr) throw std::runtime_error("cannot load " + path + ": " + error);
}

Library::~Library() { unload_module(handle_); }

void* Library::symbol(const std::string& name) const { return module_symbol(handle_, name.c_str()); }

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

std::string default_library_path() {
#ifdef _WIN32
    return platform::program_folder() + "\\Tamrilo.dll";
#else
    return platform::program_folder() + "/libtamrilo.so";
#endif
}

}  // namespace tamrilo::engine
