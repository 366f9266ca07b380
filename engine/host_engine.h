// A stand-in for the 3D engine host: it declares named host variables, hands the library the
// engine interface record with its lookup function, and answers lookups by name as a real engine
// does. Tests and tamrilo-host both run the library inside it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace tamrilo::engine {

using Word = std::uintptr_t;
using Fixed = std::int32_t;

// Number and fixed-point value: a script number v is stored as v × 1024.
Fixed to_fixed(double number);
double from_fixed(Fixed raw);

class HostEngine {
public:
    // Becomes the engine that the lookup function answers for; one at a time.
    HostEngine();
    ~HostEngine();
    HostEngine(const HostEngine&) = delete;
    HostEngine& operator=(const HostEngine&) = delete;

    // Declares (or redeclares) a variable. Type codes 3 and 9 keep the storage in word 1 of the
    // host object, every other code in word 0. Each value lives in an allocation of its own.
    void declare(const std::string& name, int type_code = 0, Fixed value = 0);
    // A host object that has no value storage.
    void declare_without_storage(const std::string& name, int type_code = 0);
    // Forgets the variable: its lookups find no object any more.
    void forget(const std::string& name) { variables_.erase(name); }
    bool has(const std::string& name) const;
    Fixed get(const std::string& name) const;
    void set(const std::string& name, Fixed value);
    // Gives the variable new storage (same value), as a host may between two calls.
    void move_storage(const std::string& name);
    static constexpr Fixed kRetiredMarker = 0x7EADBEEF;
    // The address where the variable's value lives now.
    const Fixed* storage(const std::string& name) const;

    // The engine interface record for A5_DLLAPI.
    const Word* interface_record() const { return interface_; }
    // Every name the library looked up, in order.
    const std::vector<std::string>& lookups() const { return lookups_; }
    void clear_lookups() { lookups_.clear(); }
    // Called with each name before it is answered, as a host that runs script code during a
    // lookup would; it may call the library again. Empty unless set.
    std::function<void(const std::string& name)> on_lookup;
    std::vector<std::string> names() const;

private:
    struct Variable {
        std::unique_ptr<Word[]> object;  // words 0..2: storage, storage (codes 3, 9), type code
        std::unique_ptr<Fixed> value;
        int type_code = 0;
    };
    static Word* lookup(const char* name);
    void place(Variable& v) const;

    std::unordered_map<std::string, Variable> variables_;
    std::vector<std::string> lookups_;
    std::vector<std::unique_ptr<Fixed>> retired_;
    Word function_table_[4] = {};
    Word interface_[4] = {};
};

// A host string object as the name exports fill it: words 3, 4 and 5 hold the characters, the
// length and a host field.
struct HostString {
    Word words[8] = {};
    const char* characters() const { return reinterpret_cast<const char*>(words[3]); }
    Word length() const { return words[4]; }
    Word host_field() const { return words[5]; }
};

}  // namespace tamrilo::engine
