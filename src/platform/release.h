// Each interface pointer holds one reference and has one owner. Dropping it is always the same
// step: a device is unacquired first, then the reference is released and the pointer emptied.
// Results are not looked at: the pointer is empty afterwards whatever DirectInput answers.
#pragma once

#include "platform/dinput.h"

namespace tamrilo::platform {

// Releases and empties `p`; true when it held an interface.
template <class Interface>
bool release(Interface*& p) {
    if (p == nullptr) return false;
    Interface* held = p;
    p = nullptr;
    held->Release();
    return true;
}

// Unacquires, releases and empties a device interface; true when it held one.
template <class Device>
bool release_device(Device*& p) {
    if (p == nullptr) return false;
    p->Unacquire();
    return release(p);
}

// What a creating call (DirectInputCreateA, CreateDevice, CreateEffect) hands back, or null when
// the creation failed: only DI_OK counts as a creation. After a negative result the output is
// not ours (a DirectInput may leave a stale or already released pointer there), so it is neither
// called nor released. After any other success code an object handed back holds a reference
// nobody would drop: it is released here.
template <class Interface>
Interface* take_created(HRESULT result, Interface* created) {
    if (result == DI_OK) return created;
    if (result >= 0) release(created);
    return nullptr;
}

}  // namespace tamrilo::platform
