#include "script/vocabulary.h"

#include <algorithm>

namespace tamrilo::script {

const std::vector<std::string>& export_names() {
    static const std::vector<std::string> names = {
#include "export_names.inc"
    };
    return names;
}

bool takes_argument(const std::string& export_name) {
    return export_name == "A5_DLLAPI" || export_name == "Get_Joystick_Name_1" || export_name == "Get_Joystick_Name_2";
}

namespace {

// The families in the order the list of host variables first names them, each with its
// variables in the list's order.
std::vector<VariableFamily> make_families() {
    std::vector<VariableFamily> families;
    auto add = [&](const char* family, const char* name) {
        auto it = std::find_if(families.begin(), families.end(), [&](const auto& f) { return f.name == family; });
        if (it == families.end()) it = families.insert(families.end(), VariableFamily{family, {}});
        it->variables.push_back(name);
    };
#define TAMRILO_HOST_VARIABLE(family, name) add(family, name);
#include "host_variables.inc"
#undef TAMRILO_HOST_VARIABLE
    return families;
}

}  // namespace

const std::vector<VariableFamily>& variable_families() {
    static const std::vector<VariableFamily> families = make_families();
    return families;
}

const std::vector<std::string>& family_variables(const std::string& family) {
    static const std::vector<std::string> none;
    for (const auto& f : variable_families()) {
        if (f.name == family) return f.variables;
    }
    return none;
}

std::vector<std::string> library_variable_names() {
    std::vector<std::string> out;
    for (const auto& family : variable_families())
        out.insert(out.end(), family.variables.begin(), family.variables.end());
    return out;
}

std::string family_of(const std::string& variable) {
    for (const auto& family : variable_families()) {
        for (const auto& name : family.variables) {
            if (name == variable) return family.name;
        }
    }
    return "";
}

}  // namespace tamrilo::script
