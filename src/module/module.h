// What makes the library a loadable module: its instance handle and the interface version.
#pragma once

#include <cstdint>

#include "platform/windows_types.h"

namespace tamrilo::module {

// The library's own instance handle, kept by the module entry point; DirectInput receives it.
HINSTANCE module_handle();

// The interface version written to scripts: 1.5.
inline constexpr std::int32_t kInterfaceVersion = 1536;

// True when the script's version variable lies strictly between 1.4 and 1.6 (raw 1434..1638).
bool version_accepted(std::int32_t raw);

}  // namespace tamrilo::module
