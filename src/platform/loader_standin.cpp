// Off Windows no system loader calls DllMain: the library calls it itself when it is loaded,
// with its own base address as the instance handle.
#include <dlfcn.h>

#include "platform/windows_types.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE handle, DWORD reason, LPVOID reserved);

namespace {

__attribute__((constructor)) void library_loaded() {
    Dl_info info{};
    dladdr(reinterpret_cast<void*>(&library_loaded), &info);
    DllMain(static_cast<HINSTANCE>(info.dli_fbase), DLL_PROCESS_ATTACH, nullptr);
}

}  // namespace
