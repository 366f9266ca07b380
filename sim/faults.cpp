// Faults injected into calls: which operation, on which device, how often, and what the call
// does instead of its work.
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

bool is_creating(int op) { return op == SIM_OP_CREATE || op == SIM_OP_CREATE_DEVICE || op == SIM_OP_CREATE_EFFECT; }

void inject(int op, int device, HRESULT result, int count, bool hand_back, bool stale = false) {
    if (device < 0) device = -1;
    auto fault = find_fault(op, device);
    if (fault != faults.end()) faults.erase(fault);
    if (count != 0) faults.push_back({op, device, result, count, hand_back, stale});
}

}  // namespace

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

}  // namespace tamrilo::sim

using namespace tamrilo::sim;

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
