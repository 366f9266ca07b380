#include "engine/host_engine.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace tamrilo::engine {
namespace {
HostEngine* current = nullptr;
}

Fixed to_fixed(double number) { return static_cast<Fixed>(std::llround(number * 1024.0)); }
double from_fixed(Fixed raw) { return raw / 1024.0; }

HostEngine::HostEngine() {
    function_table_[0] = reinterpret_cast<Word>(&HostEngine::lookup);
    interface_[0] = 0x5A5A;  // host data the library does not read
    interface_[1] = reinterpret_cast<Word>(function_table_);
    current = this;
}

HostEngine::~HostEngine() {
    if (current == this) current = nullptr;
}

Word* HostEngine::lookup(const char* name) {
    if (current == nullptr || name == nullptr) return nullptr;
    current->lookups_.emplace_back(name);
    if (current->on_lookup) current->on_lookup(name);
    auto it = current->variables_.find(name);
    return it == current->variables_.end() ? nullptr : it->second.object.get();
}

void HostEngine::place(Variable& v) const {
    const Word storage = reinterpret_cast<Word>(v.value.get());
    const bool second_word = v.type_code == 3 || v.type_code == 9;
    v.object[0] = second_word ? 0 : storage;
    v.object[1] = second_word ? storage : 0;
    v.object[2] = static_cast<Word>(static_cast<std::uint32_t>(v.type_code));
}

void HostEngine::declare(const std::string& name, int type_code, Fixed value) {
    Variable v;
    v.object = std::make_unique<Word[]>(3);
    v.value = std::make_unique<Fixed>(value);
    v.type_code = type_code;
    place(v);
    variables_[name] = std::move(v);
}

void HostEngine::declare_without_storage(const std::string& name, int type_code) {
    Variable v;
    v.object = std::make_unique<Word[]>(3);
    v.type_code = type_code;
    place(v);
    variables_[name] = std::move(v);
}

bool HostEngine::has(const std::string& name) const { return variables_.count(name) != 0; }

const Fixed* HostEngine::storage(const std::string& name) const {
    auto it = variables_.find(name);
    if (it == variables_.end()) throw std::out_of_range("no host variable " + name);
    return it->second.value.get();
}

Fixed HostEngine::get(const std::string& name) const {
    const Fixed* s = storage(name);
    if (s == nullptr) throw std::out_of_range("host variable " + name + " has no storage");
    return *s;
}

void HostEngine::set(const std::string& name, Fixed value) {
    auto it = variables_.find(name);
    if (it == variables_.end() || !it->second.value) {
        declare(name, 0, value);
        return;
    }
    *it->second.value = value;
}

void HostEngine::move_storage(const std::string& name) {
    auto& v = variables_.at(name);
    auto moved = std::make_unique<Fixed>(v.value ? *v.value : 0);
    // The old place is kept, marked, so that a test can see it is no longer written.
    if (v.value) *v.value = kRetiredMarker;
    retired_.push_back(std::move(v.value));
    v.value = std::move(moved);
    place(v);
}

std::vector<std::string> HostEngine::names() const {
    std::vector<std::string> out;
    for (const auto& [name, v] : variables_) out.push_back(name);
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace tamrilo::engine
