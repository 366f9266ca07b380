// The call log: each call that reaches the simulator, logged as it starts and finished with its
// result.
#include <algorithm>

#include "sim/world.h"

namespace tamrilo::sim {

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
