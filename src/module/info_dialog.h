#pragma once

#include "module/resource_ids.h"
#include "platform/windows_types.h"

namespace tamrilo::module {

inline constexpr int kInfoDialog = TAMRILO_INFO_DIALOG;

INT_PTR CALLBACK info_dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace tamrilo::module
