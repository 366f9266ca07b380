#include "host/status.h"

namespace tamrilo::host {

bool StatusVariables::find() {
    static constexpr const char* names[6] = {"OV_error",  "OV_info_1", "OV_info_2",
                                             "OV_info_3", "OV_info_4", "OV_info_5"};
    Variable* vars[6];
    if (!find_host_vars(vars, names)) return false;
    error = vars[0];
    for (int i = 0; i < 5; ++i) info[i] = vars[i + 1];
    return true;
}

void StatusVariables::clear() const {
    *error = 0;
    for (Variable* v : info) *v = 0;
}

}  // namespace tamrilo::host
