// Counts the heap allocations that the library's own code asks for: every allocation function
// of this program notes whether its caller lies in the library's loaded image.
#pragma once

#include <cstdint>
#include <string>

namespace tamrilo::bench {

// Finds the loaded image whose file name ends with `file_name` (after each load of the library);
// false when none is loaded.
bool watch_image(const std::string& file_name);

// Allocations asked for from inside the watched image since the program started.
std::int64_t image_allocations();

}  // namespace tamrilo::bench
