// Reference counting and the COM bookkeeping every object shares: AddRef, Release and
// QueryInterface as the caller sees them, and the methods the library never calls.
#include "sim/world.h"

namespace tamrilo::sim {

void Object::release() {
    if (refs > 0 && --refs == 0) on_last_release();
}

// A faulted AddRef or Release still counts, so that an injected result never leaks an object
// or frees one early; only the returned number is the injected one.
ULONG Object::add_ref_call() {
    Call call(SIM_OP_ADD_REF, this);
    if (!call.on_released()) add_ref();
    call.record().a[0] = static_cast<DWORD>(refs);
    return static_cast<ULONG>(call.finish(call.fault().value_or(refs)));
}

ULONG Object::release_call() {
    Call call(SIM_OP_RELEASE, this);
    release();
    call.record().a[0] = static_cast<DWORD>(refs);
    return static_cast<ULONG>(call.finish(call.fault().value_or(refs)));
}

HRESULT Object::query_call(REFIID iid, void** out, std::initializer_list<const IID*> answers, void* self) {
    Call call(SIM_OP_QUERY_INTERFACE, this);
    call.record().guid = iid;
    if (out) *out = nullptr;
    if (call.refused()) return call.finish();
    if (!out) return call.finish(E_POINTER);
    for (const IID* answer : answers) {
        if (IsEqualGUID(iid, *answer)) {
            add_ref();
            *out = self;
            return call.finish(S_OK);
        }
    }
    return call.finish(E_NOINTERFACE);
}

HRESULT Object::unsupported_call() {
    Call call(SIM_OP_OTHER, this);
    return call.refused() ? call.finish() : call.finish(DIERR_UNSUPPORTED);
}

}  // namespace tamrilo::sim
