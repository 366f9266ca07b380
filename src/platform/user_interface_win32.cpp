#include "platform/user_interface.h"

namespace tamrilo::platform {

HWND foreground_window() { return GetForegroundWindow(); }

BOOL end_dialog(HWND dialog, INT_PTR result) { return EndDialog(dialog, result); }

}  // namespace tamrilo::platform
