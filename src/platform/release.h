// Each interface pointer holds one reference and has one owner. Dropping it is always the same
// step: a device is unacquired first, then the reference is released and the pointer emptied.
// Results are not looked at: the pointer is empty afterwards whatever DirectInput answers.
#pragma once

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

}  // namespace tamrilo::platform
