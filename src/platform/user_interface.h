// The Windows user-interface calls the library makes. On Windows they are the system's; the
// stand-ins elsewhere (user_interface_standin.h) give a fixed window and record the dialog
// endings.
#pragma once

#include "platform/windows_types.h"

namespace tamrilo::platform {

HWND foreground_window();
BOOL end_dialog(HWND dialog, INT_PTR result);

}  // namespace tamrilo::platform
