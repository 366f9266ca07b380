// The DirectInput context: the DirectInput object and the window joysticks are bound to.
#pragma once

#include "platform/dinput.h"

namespace tamrilo::input {

// The DirectInput object that joystick discovery enumerates and creates devices through; owned
// here. Null before the first InitDirectInput, after a failed creation and after
// FreeDirectInput: joystick selection and the name exports refuse to run without it, since
// there is nothing to enumerate through and a released object must never be called.
extern IDirectInputA* directinput;
// The foreground window when InitDirectInput last ran; the joystick's cooperative window.
extern HWND cooperative_window;

// The usable DirectInput object, or null; a function, so that it can be asked again after host
// lookups that may have released it.
inline IDirectInputA* usable_directinput() { return directinput; }

}  // namespace tamrilo::input
