#include "input/joystick_variables.h"

#include "host/status.h"

namespace tamrilo::input {

bool JoystickVariables::find() {
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
