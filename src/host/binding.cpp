#include "host/binding.h"

#include "export.h"

namespace tamrilo::host {
namespace {

// Written only by A5_DLLAPI; null until the host binds the library.
const Word* engine_interface = nullptr;
LookupFunction host_lookup = nullptr;

}  // namespace

Variable* find_host_var(const char* name) {
    if (host_lookup == nullptr) return nullptr;
    const Word* object = host_lookup(name);
    if (object == nullptr) return nullptr;
    const auto type_code = static_cast<std::int32_t>(object[kObjectTypeCode]);
    const Word storage = (type_code == 3 || type_code == 9) ? object[kObjectStorageAlt] : object[kObjectStorage];
    return reinterpret_cast<Variable*>(storage);
}

}  // namespace tamrilo::host

using namespace tamrilo::host;

// Binds the library to the host: keeps the engine interface record and the lookup function
// from entry 0 of the function table that its word 1 points to. Checks nothing.
// A null record or table leaves the library unbound rather than crashing the host.
TAMRILO_EXPORT std::int32_t A5_DLLAPI(const Word* engine) {
    engine_interface = engine;
    const auto* table = engine ? reinterpret_cast<const Word*>(engine[kInterfaceFunctionTable]) : nullptr;
    host_lookup = table ? reinterpret_cast<LookupFunction>(table[kTableLookup]) : nullptr;
    return 511;
}
