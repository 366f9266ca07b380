// What the user-interface stand-ins show the tests: the window they hand out, and the last
// dialog ending they saw.
#pragma once

#include "platform/user_interface.h"

namespace tamrilo::platform {

inline HWND const kStandInWindow = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x00010EE0));
struct DialogEnding {
    int count = 0;
    HWND dialog = nullptr;
    INT_PTR result = 0;
};
const DialogEnding& recorded_dialog_ending();

}  // namespace tamrilo::platform
