// The Windows user-interface calls the library makes. On Windows they are the system's; the
// stand-ins elsewhere give a fixed window and record the dialog endings.
#pragma once

#include "platform/windows_types.h"

namespace tamrilo::platform {

HWND foreground_window();
BOOL end_dialog(HWND dialog, INT_PTR result);

// The stand-ins' side: the window they hand out, and the last dialog ending they saw.
inline HWND const kStandInWindow = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x00010EE0));
struct DialogEnding {
    int count = 0;
    HWND dialog = nullptr;
    INT_PTR result = 0;
};
const DialogEnding& recorded_dialog_ending();

}  // namespace tamrilo::platform
