#include "platform/user_interface_standin.h"

namespace tamrilo::platform {
namespace {
DialogEnding ending;
}

HWND foreground_window() { return kStandInWindow; }

BOOL end_dialog(HWND dialog, INT_PTR result) {
    ++ending.count;
    ending.dialog = dialog;
    ending.result = result;
    return TRUE;
}

const DialogEnding& recorded_dialog_ending() { return ending; }

}  // namespace tamrilo::platform
