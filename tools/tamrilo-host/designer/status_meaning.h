// What the status code an effect export left means, in words for the page.
#pragma once

#include <cstdint>
#include <string>

namespace tamrilo::designer {

// The meaning of `code` in `variable` after `export_name`, from the effect reference; "" when
// the reference gives none (0 in a variable the export does not write, for example).
std::string status_meaning(const std::string& export_name, const std::string& variable, std::int32_t code);

}  // namespace tamrilo::designer
