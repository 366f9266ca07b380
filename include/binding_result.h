// What A5_DLLAPI answers the host whatever record it is handed: the library and the tests that
// check the answer share this one value.
#pragma once

#include <cstdint>

namespace tamrilo {

inline constexpr std::int32_t kBindingResult = 511;

}  // namespace tamrilo
