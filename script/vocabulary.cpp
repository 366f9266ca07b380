#include "script/vocabulary.h"

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

const std::vector<std::string>& status_names() {
    static const std::vector<std::string> names = {"OV_error",  "OV_info_1", "OV_info_2",
                                                   "OV_info_3", "OV_info_4", "OV_info_5"};
    return names;
}

namespace {

std::vector<std::string> numbered(const std::string& prefix, int first, int last) {
    std::vector<std::string> out;
    for (int i = first; i <= last; ++i) out.push_back(prefix + std::to_string(i));
    return out;
}

std::vector<VariableFamily> make_families() {
    std::vector<VariableFamily> families = {
        {"status", status_names()},
        {"version", {"FF_versionsnummer"}},
        {"joystick", {}},
        {"capabilities", {"NUMBER_OF_AXIS", "NUMBER_OF_VIEWS", "NUMBER_OF_BUTTONS", "FORCEFEEDBACK_ENABLE"}},
        {"axis", {"Dead_Zone_X", "Dead_Zone_Y", "Saturation_Zone_X", "Saturation_Zone_Y"}},
        {"constant", {"FF_force_x", "FF_force_y"}},
        {"placement",
         {"placement_middle_x", "placement_middle_y", "placement_dead_x", "placement_dead_y", "placement_left_x",
          "placement_left_y", "placement_right_x", "placement_right_y"}},
        {"friction", {"friction_right_x", "friction_left_x", "friction_up_y", "friction_down_y"}},
        {"damper",
         {"damp_max_procent_right_x", "damp_max_procent_left_x", "damp_null_procent_x", "damp_max_procent_up_y",
          "damp_max_procent_down_y", "damp_null_procent_y"}},
    };
    families[2].variables = {"JOY_X_A", "JOY_Y_A", "JOY_RUD_A", "JOY_ROT_A", "JOY_VIEW"};
    for (const auto& button : numbered("BUTTON_", 1, 16)) families[2].variables.push_back(button);
    for (const char* wave : {"sine", "triangle", "quadrat", "periodic_cresc", "periodic_decresc"}) {
        for (int slot = 1; slot <= 5; ++slot) {
            const std::string family = std::string(wave) + "_" + std::to_string(slot);
            families.push_back({family, {family + "_null", family + "_hight", family + "_time"}});
        }
    }
    return families;
}

}  // namespace

const std::vector<VariableFamily>& variable_families() {
    static const std::vector<VariableFamily> families = make_families();
    return families;
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
