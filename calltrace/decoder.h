// What --trace shows of a DirectInput call: one record of the simulated DirectInput's call log
// as text, made from that record alone.
#pragma once

#include <string>

#include "sim/sim_control.h"

namespace tamrilo::calltrace {

// The object called, the method, its arguments by name (GUIDs, flags, property and effect
// records field by field) and the result by name:
// "joystick 0 device #2 CreateEffect(GUID_Sine, DIEFFECT{…}) -> DI_OK, effect #3".
std::string describe_call(const sim_call& call);

}  // namespace tamrilo::calltrace
