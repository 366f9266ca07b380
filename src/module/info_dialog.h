#pragma once

#include "platform/windows_types.h"

namespace tamrilo::module {

// Dialog resource 106, the information dialog the module carries. No export opens it.
inline constexpr int kInfoDialog = 106;

INT_PTR CALLBACK info_dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace tamrilo::module
