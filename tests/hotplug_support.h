// What the hot-plug tests share: the codes the library documents for a game's frame, and the
// size of a run.
#pragma once

#include <cstdlib>

#include "harness.h"

namespace tamrilo::test {

// Get_Joystick_State and Change_Const_Forces
constexpr Fixed kRead = 97, kReadFailed = 14, kForceSent = 102, kForceFailed = 101;
constexpr Fixed kFailedReadX = 4078;  // JOY_X_A after a failed read; the others keep their values
constexpr Fixed kUntouched = 777;     // JOY_VIEW before reads that may fail

// TAMRILO_HOTPLUG_CYCLES, TAMRILO_HOTPLUG_SEED
inline int from_environment(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::atoi(text) : fallback;
}

}  // namespace tamrilo::test
