// The library's one channel to the host engine: the engine interface record handed to
// A5_DLLAPI, and the lookup of host variables by name through the host's lookup function.
#pragma once

#include <cstdint>
#include <cstring>

namespace tamrilo::host {

// Host records are arrays of machine words: 32-bit in the 32-bit product, pointer-sized in a
// 64-bit build.
using Word = std::uintptr_t;

// A host variable's value: a signed 32-bit fixed-point number, the script number times 1024.
using Fixed = std::int32_t;

// The host's lookup function: name in, host object out; called with the C calling convention.
using LookupFunction = Word* (*)(const char* name);

// Word offsets of the host records that the library reads.
inline constexpr int kInterfaceFunctionTable = 1;  // engine interface record → function table
inline constexpr int kTableLookup = 0;             // function table → lookup function
inline constexpr int kObjectStorage = 0;           // host object → value storage
inline constexpr int kObjectStorageAlt = 1;        // … for type codes 3 and 9
inline constexpr int kObjectTypeCode = 2;

// A host variable's value storage. The host does not promise that it is aligned, so the value
// is moved bytewise; on x86 that is one ordinary load or store.
class Variable {
public:
    Variable& operator=(Fixed value) {
        std::memcpy(bytes_, &value, sizeof value);
        return *this;
    }
    operator Fixed() const {
        Fixed value;
        std::memcpy(&value, bytes_, sizeof value);
        return value;
    }

private:
    unsigned char bytes_[sizeof(Fixed)];
};
static_assert(alignof(Variable) == 1 && sizeof(Variable) == sizeof(Fixed));

// The host's lookup function. Never null: until A5_DLLAPI binds the library to a record that
// has one, it is a function that finds nothing, so that a lookup need not test the binding.
extern LookupFunction host_lookup;

// The value storage of the named host variable, or null when the library is not bound yet or
// the host has no such object or no storage for it. Callers stop at a null result. Inline, as
// every export makes several lookups per call.
inline Variable* find_host_var(const char* name) {
    const Word* object = host_lookup(name);
    if (object == nullptr) return nullptr;
    const auto type_code = static_cast<std::int32_t>(object[kObjectTypeCode]);
    const Word storage = (type_code == 3 || type_code == 9) ? object[kObjectStorageAlt] : object[kObjectStorage];
    return reinterpret_cast<Variable*>(storage);
}

}  // namespace tamrilo::host
