// Loads the library by path, as the host engine does, binds it and calls its exports by name.
#pragma once

#include <cstdint>
#include <string>

#include "engine/host_engine.h"

namespace tamrilo::engine {

class Library {
public:
    // Loads the module afresh; throws std::runtime_error when it cannot be loaded.
    explicit Library(const std::string& path);
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // The export's address, or null when the module has no such export.
    void* symbol(const std::string& name) const;
    bool has(const std::string& name) const { return symbol(name) != nullptr; }

    // A5_DLLAPI with the engine's interface record.
    std::int32_t bind(const HostEngine& engine) const;
    std::int32_t bind_record(const Word* record) const;
    // An export without arguments; throws std::runtime_error for an unknown name.
    std::int32_t call(const std::string& name) const;
    // One of the name exports, with a host string object.
    HostString* call_with_string(const std::string& name, HostString* string) const;

private:
    void* handle_ = nullptr;
};

// Where the library is expected beside the running program: Tamrilo.dll or libtamrilo.so.
std::string default_library_path();

}  // namespace tamrilo::engine
