// The six status variables through which every export reports its steps, and lookups of
// several host variables at once.
#pragma once

#include <cstddef>

#include "host/binding.h"

namespace tamrilo::host {

// Looks up each name in order into the matching slot; false at the first one the host cannot
// give, so that the export stops there.
template <std::size_t N>
bool find_host_vars(Variable* (&vars)[N], const char* const (&names)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        vars[i] = find_host_var(names[i]);
        if (vars[i] == nullptr) return false;
    }
    return true;
}

// Runs an export's lookups between two runs of its precondition (a joystick selected, a usable
// DirectInput object). The host's lookup function may call back into the library, and a
// FreeDirectInput or InitJoystick_1 from inside a lookup releases what the first test saw: only
// the second test tells whether the export may go on. True when both tests pass and every lookup
// succeeded; the export then reads the tested global afresh, never a copy taken before.
template <class Test, class Lookups>
bool look_up_between(Test&& test, Lookups&& lookups) {
    return test() && lookups() && test();
}

// OV_error and OV_info_1 to OV_info_5. A status code is the exact integer stored; the library
// never reads them back.
struct StatusVariables {
    // Valid only once looked up: an export reports only into the variables it found.
    Variable* error;
    Variable* info[5];  // info[0] is OV_info_1

    // Looks up all six, OV_error first.
    bool find();
    // Sets all six to 0.
    void clear() const;
    Variable& info_n(int n) const { return *info[n - 1]; }
};

// Where a step reports: one of the six status variables, or none.
enum StatusVariable { kError, kInfo1, kInfo2, kInfo3, kInfo4, kInfo5, kNowhere };

// A step's status code and the variable it goes into.
struct Code {
    StatusVariable variable = kNowhere;
    Fixed value = 0;
};

// Stores the code into its variable, which the export must have looked up; kNowhere stores
// nothing.
inline void store(const StatusVariables& status, Code code) {
    if (code.variable == kNowhere) return;
    (code.variable == kError ? *status.error : status.info_n(code.variable)) = code.value;
}

}  // namespace tamrilo::host
