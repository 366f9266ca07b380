// The host variables that carry the joystick's readings: four axes, the first hat and sixteen
// buttons. Selecting a joystick presets them; reading its state overwrites them.
#pragma once

#include "host/binding.h"

namespace tamrilo::input {

inline constexpr int kAxisVariables = 4;
inline constexpr int kButtonVariables = 16;

struct JoystickVariables {
    host::Variable* axis[kAxisVariables];      // JOY_X_A, JOY_Y_A, JOY_RUD_A, JOY_ROT_A
    host::Variable* view;                      // JOY_VIEW
    host::Variable* button[kButtonVariables];  // BUTTON_1 to BUTTON_16

    // Looks up all 21 in that order; false at the first one the host cannot give. The members
    // are valid only after it succeeded.
    bool find();
};

}  // namespace tamrilo::input
