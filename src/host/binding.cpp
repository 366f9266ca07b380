#include "host/binding.h"

#include "binding_result.h"
#include "export.h"

namespace tamrilo::host {
namespace {

// The lookup of an unbound library.
Word* find_nothing(const char*) { return nullptr; }

}  // namespace

LookupFunction host_lookup = find_nothing;

}  // namespace tamrilo::host

using namespace tamrilo::host;

// Binds the library to the host: keeps the lookup function from entry 0 of the function table
// that the engine interface record's word 1 points to. Checks nothing.
// A null record or table leaves the library unbound rather than crashing the host.
TAMRILO_EXPORT std::int32_t A5_DLLAPI(const Word* engine) {
    const auto* table = engine ? reinterpret_cast<const Word*>(engine[kInterfaceFunctionTable]) : nullptr;
    const auto lookup = table ? reinterpret_cast<LookupFunction>(table[kTableLookup]) : nullptr;
    host_lookup = lookup ? lookup : find_nothing;
    return tamrilo::kBindingResult;
}
