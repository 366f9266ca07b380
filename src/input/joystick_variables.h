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

// Inline: Get_Joystick_State runs it on every call.
inline bool JoystickVariables::find() {
    static constexpr const char* axis_names[kAxisVariables] = {"JOY_X_A", "JOY_Y_A", "JOY_RUD_A", "JOY_ROT_A"};
    static constexpr const char* button_names[kButtonVariables] = {
        "BUTTON_1", "BUTTON_2",  "BUTTON_3",  "BUTTON_4",  "BUTTON_5",  "BUTTON_6",  "BUTTON_7",  "BUTTON_8",
        "BUTTON_9", "BUTTON_10", "BUTTON_11", "BUTTON_12", "BUTTON_13", "BUTTON_14", "BUTTON_15", "BUTTON_16",
    };
    // Unrolled: the names are constants, and each lookup is a handful of instructions.
#pragma GCC unroll 4
    for (int i = 0; i < kAxisVariables; ++i) {
        if ((axis[i] = host::find_host_var(axis_names[i])) == nullptr) return false;
    }
    if ((view = host::find_host_var("JOY_VIEW")) == nullptr) return false;
#pragma GCC unroll 16
    for (int i = 0; i < kButtonVariables; ++i) {
        if ((button[i] = host::find_host_var(button_names[i])) == nullptr) return false;
    }
    return true;
}

}  // namespace tamrilo::input
