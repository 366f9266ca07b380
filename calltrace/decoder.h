// --trace: one DirectInput call from the simulated DirectInput's call log, decoded into text:
// the object, the method, the arguments by name and the result by name.
#pragma once

#include <string>

#include "engine/sim_client.h"

namespace tamrilo::calltrace {

std::string describe_call(const engine::SimClient& sim, const sim_call& c);

}  // namespace tamrilo::calltrace
