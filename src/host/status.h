// The six status variables through which every export reports its steps, and lookups of
// several host variables at once.
#pragma once

#include <cstddef>

#include "host/binding.h"

namespace tamrilo::host {

// Looks up each name in order into the matching slot; false at the first one the host cannot
// give, so that the export stops there.
template <std::size_t N>
bool find_host_vars(Fixed* (&vars)[N], const char* const (&names)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        vars[i] = find_host_var(names[i]);
        if (vars[i] == nullptr) return false;
    }
    return true;
}

// OV_error and OV_info_1 to OV_info_5. A status code is the exact integer stored; the library
// never reads them back.
struct StatusVariables {
    Fixed* error = nullptr;
    Fixed* info[5] = {};  // info[0] is OV_info_1

    // Looks up all six, OV_error first.
    bool find();
    // Sets all six to 0.
    void clear() const;
    Fixed& info_n(int n) const { return *info[n - 1]; }
};

}  // namespace tamrilo::host
