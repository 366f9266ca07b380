#include "module/module.h"

namespace tamrilo::module {
namespace {
HINSTANCE instance = nullptr;
}

HINSTANCE module_handle() { return instance; }

}  // namespace tamrilo::module

// The module entry point keeps the instance handle for every reason code and does nothing else:
// DirectInput is opened and released only by the exports.
extern "C" BOOL WINAPI DllMain(HINSTANCE handle, DWORD /*reason*/, LPVOID /*reserved*/) {
    tamrilo::module::instance = handle;
    return TRUE;
}
