// The designer's page and the host variable table, carried in the program.
#pragma once

#include <string_view>

namespace tamrilo::designer {

// The embedded file of that name (index.html, designer.js, designer.css, host-variables.tsv),
// or an empty view when there is none.
std::string_view asset(std::string_view name);

}  // namespace tamrilo::designer
