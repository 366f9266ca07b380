#include "input/joystick.h"

namespace tamrilo::input {

IDirectInputDeviceA* joystick_device = nullptr;
IDirectInputDevice2A* joystick_device2 = nullptr;

}  // namespace tamrilo::input
