#include "module/info_dialog.h"

#include "platform/user_interface.h"

namespace tamrilo::module {

// Ends the dialog only for a command parameter of exactly IDOK or IDCANCEL: a notification in
// the high half keeps it open.
INT_PTR CALLBACK info_dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM /*lparam*/) {
    switch (message) {
        case WM_INITDIALOG: return TRUE;
        case WM_COMMAND:
            if (wparam == IDOK || wparam == IDCANCEL) platform::end_dialog(dialog, static_cast<INT_PTR>(wparam));
            return TRUE;
        default: return FALSE;
    }
}

}  // namespace tamrilo::module
