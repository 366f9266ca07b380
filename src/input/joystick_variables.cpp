#include "input/joystick_variables.h"

#include "host/status.h"

namespace tamrilo::input {

bool JoystickVariables::find() {
    static constexpr const char* names[kAxisVariables + 1 + kButtonVariables] = {
        "JOY_X_A",   "JOY_Y_A",   "JOY_RUD_A", "JOY_ROT_A", "JOY_VIEW",  "BUTTON_1",  "BUTTON_2",
        "BUTTON_3",  "BUTTON_4",  "BUTTON_5",  "BUTTON_6",  "BUTTON_7",  "BUTTON_8",  "BUTTON_9",
        "BUTTON_10", "BUTTON_11", "BUTTON_12", "BUTTON_13", "BUTTON_14", "BUTTON_15", "BUTTON_16",
    };
    host::Variable* vars[kAxisVariables + 1 + kButtonVariables];
    if (!host::find_host_vars(vars, names)) return false;
    for (int i = 0; i < kAxisVariables; ++i) axis[i] = vars[i];
    view = vars[kAxisVariables];
    for (int i = 0; i < kButtonVariables; ++i) button[i] = vars[kAxisVariables + 1 + i];
    return true;
}

}  // namespace tamrilo::input
