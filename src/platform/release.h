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

// Which results of a creating call count as a creation: DirectInputCreateA is taken only with
// DI_OK, CreateDevice and CreateEffect with any success (an effect created on a joystick that
// is not acquired comes back with DI_DOWNLOADSKIPPED and is as usable as any other).
enum class Creation { only_di_ok, any_success };

// What a creating call hands back, or null when it created nothing. After a negative result the
// output is not ours (a DirectInput may leave a stale or already released pointer there), so it
// is neither called nor released. A success that does not count as a creation may still have
// handed back an object holding a reference nobody would drop: it is released here.
template <class Interface>
Interface* take_created(HRESULT result, Interface* created, Creation counts) {
    if (result < 0) return nullptr;
    if (result == DI_OK || counts == Creation::any_success) return created;
    release(created);
    return nullptr;
}

}  // namespace tamrilo::platform
