// What every part of the simulated DirectInput shares: the attached joysticks, the objects
// handed out and the call log (world.cpp), the pending faults (faults.cpp), the bookkeeping of
// one call (call_log.cpp), and the COM bookkeeping every object shares (object.cpp).
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "axis_slots.h"
#include "sim/sim_control.h"

namespace tamrilo::sim {

struct AxisProperties {
    LONG range_min[kAxisSlots], range_max[kAxisSlots];
    DWORD dead_zone[kAxisSlots], saturation[kAxisSlots];
};
AxisProperties default_axis_properties();
void describe_axis_properties(const AxisProperties& properties, sim_device_info& info);

struct Joystick {
    sim_joystick description;
    GUID instance;
    bool attached = true;
    DIJOYSTATE state;
    // What a new device object starts with: DirectInput's defaults, or what the driver set.
    AxisProperties driver_properties;
};

// The bookkeeping every COM object shares. Objects stay in memory after their last reference
// is gone, so that a late call on them is logged and answered instead of crashing the caller.
class Object {
public:
    Object(sim_object_kind object_kind, int device_number) : kind(object_kind), device(device_number) {}
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    // AddRef and Release as the caller sees them: logged, and open to fault injection.
    ULONG add_ref_call();
    ULONG release_call();
    // QueryInterface answering every identifier in `answers` with `self`.
    HRESULT query_call(REFIID iid, void** out, std::initializer_list<const IID*> answers, void* self);
    // A method the library never calls.
    HRESULT unsupported_call();

    // A reference the simulator itself takes or drops (an effect on its device).
    void add_ref() { ++refs; }
    void release();
    bool released() const { return refs == 0; }

    int id = 0;
    const sim_object_kind kind;
    const int device;
    int refs = 1;

protected:
    virtual void on_last_release() {}
};

class DeviceObject;
class EffectObject;

struct World {
    std::vector<Joystick> joysticks;
    std::vector<std::unique_ptr<Object>> objects;  // index = id - 1
    std::vector<DeviceObject*> devices;            // device objects, in creation order
    std::vector<EffectObject*> effects;            // effect objects, in creation order
    std::vector<sim_call> log;
    unsigned log_generation = 0;  // tells a call in progress that the log was cleared
    int released_object_calls = 0;
    // Simulated time in microseconds: it moves only when told, so every run is reproducible.
    unsigned long long clock_us = 0;
    int released_while_acquired = 0;  // device objects whose last reference went while acquired
    int injected_faults = 0;          // calls answered by an injected fault
    DIJOYSTATE last_state{};          // what the last successful GetDeviceState delivered
    bool has_last_state = false;
    // Calls answered by an injected fault, per operation.
    int injected_by_op[SIM_OP_COUNT] = {};
};
World& world();

// Creates and registers an object; the simulator owns it until sim_reset.
template <class T, class... Args>
T* make_object(Args&&... args) {
    auto object = std::make_unique<T>(std::forward<Args>(args)...);
    T* raw = object.get();
    world().objects.push_back(std::move(object));
    raw->id = static_cast<int>(world().objects.size());
    return raw;
}

void clear_faults();
struct InjectedFault {
    HRESULT result;
    bool hand_back;  // the creating call does its work and hands back its object all the same
    bool stale;      // … after dropping the object's only reference: the pointer left is stale
};
// The injected fault for this call of `op`, if one matches; consumes one use of it.
std::optional<InjectedFault> take_fault(sim_op op, int device);

// One call in progress. It takes its log entry on construction, so calls made from inside it
// (an enumeration callback) are logged after it, and writes the result when finished.
class Call {
public:
    static constexpr int kObjectDevice = -2;
    Call(sim_op op, const Object* object, int device = kObjectDevice);
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

    // The object was released, or a fault matched that does not let the call do its work.
    bool refused() const { return on_released() || (fault_.has_value() && !hand_back_); }
    bool on_released() const { return record_.on_released != 0; }
    // A creating call that must release the object it built before handing back the pointer.
    bool leaves_stale() const { return stale_; }
    const std::optional<HRESULT>& fault() const { return fault_; }
    sim_call& record() { return record_; }

    // Logs `result` and returns it, or the injected result of a fault that let the call work;
    // without an argument, the answer to a refused call.
    HRESULT finish(HRESULT result);
    HRESULT finish();

private:
    sim_call record_{};
    std::optional<HRESULT> fault_;
    bool hand_back_ = false;
    bool stale_ = false;
    std::size_t index_;
    unsigned generation_;
};

}  // namespace tamrilo::sim
