// The DirectInput context: the DirectInput object and the window joysticks are bound to.
#pragma once

#include "platform/dinput.h"

namespace tamrilo::input {

// The DirectInput object that joystick discovery enumerates and creates devices through.
extern IDirectInputA* directinput;
// Set when the DirectInput object is usable: null before the first InitDirectInput, after a
// failed creation and after FreeDirectInput. Joystick selection refuses to run without it.
extern IDirectInputA* directinput_marker;
// The foreground window when InitDirectInput last ran; the joystick's cooperative window.
extern HWND cooperative_window;

// The usable DirectInput object, or null. The name exports go through this so that they never
// enumerate through a released object.
inline IDirectInputA* usable_directinput() { return directinput_marker != nullptr ? directinput : nullptr; }

}  // namespace tamrilo::input
