// The selected joystick: two interfaces of one device object. A joystick is selected exactly
// when joystick_device2 is non-null; every joystick and effect export tests that first.
#pragma once

#include "platform/dinput.h"

namespace tamrilo::input {

extern IDirectInputDeviceA* joystick_device;
extern IDirectInputDevice2A* joystick_device2;

inline bool joystick_selected() { return joystick_device2 != nullptr; }

}  // namespace tamrilo::input
