// The world every part shares, the call log, and the faults injected into calls.
#include <algorithm>

#include "sim/world.h"

namespace tamrilo::sim {

namespace {

struct Fault {
    int op;
    int device;
    HRESULT result;
    int remaining;  // < 0: every call
    bool hand_back;
    bool stale;
};

std::vector<Fault> faults;

std::vector<Fault>::iterator find_fault(int op, int device) {
    return std::find_if(faults.begin(), faults.end(), [&](const Fault& f) { return f.op == op && f.device == device; });
}

}  // namespace

World& world() {
    static World instance;
    return instance;
}

void clear_faults() { faults.clear(); }

std::optional<InjectedFault> take_fault(sim_op op, int device) {
    // A fault aimed at this device wins over one aimed at any device.
    auto fault = device >= 0 ? find_fault(op, device) : faults.end();
    if (fault == faults.end()) fault = find_fault(op, -1);
    if (fault == faults.end()) return std::nullopt;
    const InjectedFault injected{fault->result, fault->hand_back, fault->stale};
    if (fault->remaining > 0 && --fault->remaining == 0) faults.erase(fault);
    return injected;
}

Call::Call(sim_op op, const Object* object, int device) {
    record_.op = op;
    record_.object = object ? object->id : 0;
    record_.kind = object ? object->kind : SIM_OBJECT_NONE;
    record_.device = device != kObjectDevice ? device : object ? object->device : -1;
    record_.effect = object && object->kind == SIM_OBJECT_EFFECT ? object->id : -1;
    if (object && object->released()) {
        record_.on_released = 1;
        ++world().released_object_calls;
    } else {
        if (auto fault = take_fault(op, record_.device)) {
            ++world().injected_faults;
            ++world().injected_by_op[op];
            fault_ = fault->result;
            hand_back_ = fault->hand_back;
            stale_ = fault->stale;
        }
    }
    index_ = world().log.size();
    generation_ = world().log_generation;
    world().log.push_back(record_);
}

HRESULT Call::finish(HRESULT result) {
    if (hand_back_) result = *fault_;
    record_.result = result;
    World& w = world();
    if (generation_ == w.log_generation && index_ < w.log.size()) w.log[index_] = record_;
    return result;
}

HRESULT Call::finish() { return finish(on_released() ? DIERR_NOTINITIALIZED : fault_.value_or(DI_OK)); }

}  // namespace tamrilo::sim

using namespace tamrilo::sim;

namespace {

bool is_creating(int op) { return op == SIM_OP_CREATE || op == SIM_OP_CREATE_DEVICE || op == SIM_OP_CREATE_EFFECT; }

void inject(int op, int device, HRESULT result, int count, bool hand_back, bool stale = false) {
    if (device < 0) device = -1;
    auto fault = find_fault(op, device);
    if (fault != faults.end()) faults.erase(fault);
    if (count != 0) faults.push_back({op, device, result, count, hand_back, stale});
}

}  // namespace

SIM_API void sim_fail(int op, int device, HRESULT result, int count) {
    if (op < 0 || op >= SIM_OP_COUNT) return;
    inject(op, device, result, count, false);
}

SIM_API void sim_fail_handing_back(int op, int device, HRESULT result, int count) {
    if (!is_creating(op)) return;
    inject(op, device, result, count, true);
}

SIM_API void sim_fail_leaving_stale(int op, int device, HRESULT result, int count) {
    if (!is_creating(op)) return;
    inject(op, device, result, count, true, true);
}

SIM_API void sim_clear_faults(void) { clear_faults(); }

SIM_API int sim_call_count(void) { return static_cast<int>(world().log.size()); }

SIM_API int sim_get_call(int index, sim_call* call) {
    const auto& log = world().log;
    if (!call || index < 0 || static_cast<std::size_t>(index) >= log.size()) return 0;
    *call = log[static_cast<std::size_t>(index)];
    return 1;
}

SIM_API void sim_clear_log(void) {
    world().log.clear();
    ++world().log_generation;
}

SIM_API int sim_count_calls(int op) {
    const auto& log = world().log;
    return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const sim_call& c) { return c.op == op; }));
}

SIM_API int sim_released_object_calls(void) { return world().released_object_calls; }
