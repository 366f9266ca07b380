#include "host/status.h"

namespace tamrilo::host {

bool StatusVariables::find() {
    static constexpr const char* info_names[5] = {"OV_info_1", "OV_info_2", "OV_info_3", "OV_info_4", "OV_info_5"};
    if ((error = find_host_var("OV_error")) == nullptr) return false;
        // Unrolled, as every reporting export runs it.
#pragma GCC unroll 5
    for (int i = 0; i < 5; ++i) {
        if ((info[i] = find_host_var(info_names[i])) == nullptr) return false;
    }
    return true;
}

void StatusVariables::clear() const {
    *error = 0;
#pragma GCC unroll 5
    for (Variable* v : info) *v = 0;
}

}  // namespace tamrilo::host
