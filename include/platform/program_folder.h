// The folder of the running program: the tools find what ships beside them there (the library,
// the simulated DirectInput, the virtual joystick's driver).
#pragma once

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>

#include <climits>
#endif

namespace tamrilo::platform {

inline std::string program_folder() {
#ifdef _WIN32
    char buffer[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    const std::string path(buffer, n);
    return path.substr(0, path.find_last_of("\\/"));
#else
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    const std::string path(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
    return path.substr(0, path.find_last_of('/'));
#endif
}

}  // namespace tamrilo::platform
