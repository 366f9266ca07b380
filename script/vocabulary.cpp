#include "script/vocabulary.h"

#include <algorithm>
#include <cctype>

namespace tamrilo::engine {

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

bool is_status_name(const std::string& name) {
    const auto& names = status_names();
    return std::find(names.begin(), names.end(), name) != names.end();
}

namespace {

std::vector<std::string> numbered(const std::string& prefix, int first, int last) {
    std::vector<std::string> out;
    for (int i = first; i <= last; ++i) out.push_back(prefix + std::to_string(i));
    return out;
}

std::vector<VariableFamily> make_families() {
    std::vector<VariableFamily> families = {
        {"status", "OV_error and OV_info_1 to OV_info_5, the status codes every export leaves", status_names()},
        {"version",
         "FF_versionsnummer, the interface version Get_Versionsnummer writes and InitDirectInput checks",
         {"FF_versionsnummer"}},
        {"joystick", "the state Get_Joystick_State reads: axes, hat and 16 buttons", {}},
        {"capabilities",
         "what Show_Capabilities writes",
         {"NUMBER_OF_AXIS", "NUMBER_OF_VIEWS", "NUMBER_OF_BUTTONS", "FORCEFEEDBACK_ENABLE"}},
        {"axis",
         "the dead zone and saturation of the X and Y axes",
         {"Dead_Zone_X", "Dead_Zone_Y", "Saturation_Zone_X", "Saturation_Zone_Y"}},
        {"constant", "the constant force", {"FF_force_x", "FF_force_y"}},
        {"placement",
         "the placement spring",
         {"placement_middle_x", "placement_middle_y", "placement_dead_x", "placement_dead_y", "placement_left_x",
          "placement_left_y", "placement_right_x", "placement_right_y"}},
        {"friction", "friction", {"friction_right_x", "friction_left_x", "friction_up_y", "friction_down_y"}},
        {"damper",
         "the damper",
         {"damp_max_procent_right_x", "damp_max_procent_left_x", "damp_null_procent_x", "damp_max_procent_up_y",
          "damp_max_procent_down_y", "damp_null_procent_y"}},
    };
    families[2].variables = {"JOY_X_A", "JOY_Y_A", "JOY_RUD_A", "JOY_ROT_A", "JOY_VIEW"};
    for (const auto& button : numbered("BUTTON_", 1, 16)) families[2].variables.push_back(button);
    for (const char* wave : {"sine", "triangle", "quadrat", "periodic_cresc", "periodic_decresc"}) {
        for (int slot = 1; slot <= 5; ++slot) {
            const std::string family = std::string(wave) + "_" + std::to_string(slot);
            families.push_back({family,
                                "periodic slot: offset, magnitude and period",
                                {family + "_null", family + "_hight", family + "_time"}});
        }
    }
    return families;
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Edits (insert, delete, substitute) between two words, case ignored.
std::size_t distance(const std::string& a, const std::string& b) {
    const std::string x = lower(a), y = lower(b);
    std::vector<std::size_t> row(y.size() + 1);
    for (std::size_t j = 0; j <= y.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= x.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= y.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (x[i - 1] == y[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[y.size()];
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

std::string undeclared_variable(const std::string& name, std::vector<std::string> declared) {
    const std::string family = family_of(name);
    if (!family.empty()) return "'" + name + "' is not declared: add `declare " + family + "` or `var " + name + "`";
    const auto library_names = library_variable_names();
    declared.insert(declared.end(), library_names.begin(), library_names.end());
    return "unknown variable '" + name + "'" + did_you_mean(name, declared);
}

std::string did_you_mean(const std::string& name, const std::vector<std::string>& candidates) {
    const std::string close = closest_name(name, candidates);
    return close.empty() ? "" : " (did you mean '" + close + "'?)";
}

std::string closest_name(const std::string& name, const std::vector<std::string>& candidates) {
    std::string best;
    std::size_t best_distance = 0;
    for (const auto& candidate : candidates) {
        const std::size_t d = distance(name, candidate);
        if (best.empty() || d < best_distance) {
            best = candidate;
            best_distance = d;
        }
    }
    // A third of the name may differ: enough for typos and a wrong case, not for unrelated names.
    const std::size_t allowed = std::max<std::size_t>(2, name.size() / 3);
    return best_distance <= allowed ? best : std::string();
}

}  // namespace tamrilo::engine
