#include "script/status_meanings.h"

#include <cstring>

namespace tamrilo::script {
namespace {

constexpr const char* kNeedsDirectInput = "call Get_Versionsnummer and InitDirectInput first";
constexpr const char* kNeedsJoystick = "no joystick selected: call InitJoystick_1 or InitJoystick_2 first";

// Rows are tried in order; a group of exports comes before a prefix that also covers it.
const std::vector<StatusMeaning> kMeanings = {
    {"InitDirectInput", "OV_error", 1, "creating the DirectInput object failed", nullptr},
    {"InitDirectInput", "OV_info_1", 0,
     "no DirectInput object was made: the version was refused, or creating it failed",
     "FF_versionsnummer must hold 1.5: call Get_Versionsnummer first"},
    {"InitDirectInput", "OV_info_1", 1, "DirectInput object created", nullptr},
    {"InitDirectInput", "OV_info_2", 1, "an earlier DirectInput object was released", nullptr},
    {"InitDirectInput", "OV_info_3", 1, "the joystick's device interface was released", nullptr},
    {"InitDirectInput", "OV_info_3", 2, "the joystick's interfaces were released", nullptr},
    {"InitDirectInput", "OV_info_5", 1, "the constant force's effect object was released", nullptr},
    {"FreeDirectInput", "OV_info_1", 1, "the DirectInput object was released", nullptr},
    {"FreeDirectInput", "OV_info_2", 1, "the joystick's device interface was released", nullptr},
    {"FreeDirectInput", "OV_info_2", 2, "the joystick's interfaces were released", nullptr},
    {"InitJoystick_1 InitJoystick_2", "OV_error", 2, "no DirectInput object", kNeedsDirectInput},
    {"InitJoystick_1 InitJoystick_2", "OV_info_1", 1, "joystick selected", nullptr},
    {"InitJoystick_1 InitJoystick_2", "OV_info_2", 1, "joystick selected", nullptr},
    {"InitJoystick_1 InitJoystick_2", "OV_info_2", 2, "no joystick found", nullptr},
    {"InitJoystick_1 InitJoystick_2", "OV_info_4", 1, "effect objects dropped: effects must be defined again", nullptr},
    {"InitJoystick_1", "OV_info_3", 3, "data format refused", nullptr},
    {"InitJoystick_1", "OV_info_3", 4, "cooperative level tried", nullptr},
    {"InitJoystick_1", "OV_info_4", 4, "cooperative level refused", nullptr},
    {"InitJoystick_1", "OV_info_5", 6, "X range refused", nullptr},
    {"InitJoystick_1", "OV_error", 7, "cooperative level set (or, after it, the Z range refused)", nullptr},
    {"InitJoystick_2", "OV_error", 3, "data format refused", nullptr},
    {"InitJoystick_2", "OV_error", 4, "cooperative level refused", nullptr},
    {"InitJoystick_2", "OV_error", 5, "X range refused", nullptr},
    {"InitJoystick_2", "OV_error", 7, "Z range refused", nullptr},
    {"InitJoystick_1 InitJoystick_2", "OV_error", 6, "Y range refused", nullptr},
    {"InitJoystick_1 InitJoystick_2", "OV_error", 8, "RZ range refused", nullptr},
    {"InitJoystick_1 InitJoystick_2", "OV_error", 53, "auto-centre refused", nullptr},
    {"InitJoystick_1 InitJoystick_2", "OV_error", 9, "acquisition refused", nullptr},
    {"Get_Joystick_Name_2", "OV_error", 3, "ends every call that runs", nullptr},
    {"Get_Joystick_State", "OV_error", 97, "read", nullptr},
    {"Get_Joystick_State", "OV_error", 14, "the last read failed: JOY_X_A holds 4078", nullptr},
    {"Get_Joystick_State", "OV_error", 22,
     "input was lost, or the joystick was not acquired, and re-acquisition was tried", nullptr},
    {"Get_Joystick_State", "OV_error", 17, "reading begun", nullptr},
    {"Show_Capabilities", "OV_error", 14, "capabilities read", nullptr},
    {"Show_Capabilities", "OV_error", 13, "the capabilities could not be read", nullptr},
    {"Define_Const_Forces Change_Const_Forces", "OV_error", 102, "sent and started", nullptr},
    {"Define_Const_Forces", "OV_error", 101, "creating or sending failed", nullptr},
    {"Change_Const_Forces", "OV_error", 101, "sending failed", nullptr},
    {"Define_Placement", "OV_info_5", 10, "the spring existed already", nullptr},
    {"Define_Placement", "OV_info_4", 30, "started", nullptr},
    {"Define_Placement", "OV_info_4", 40962, "starting failed", nullptr},
    {"Change_Placement", "OV_info_5", 4096, "sent and started", nullptr},
    {"Change_Placement", "OV_info_5", 5120, "sending or starting failed", nullptr},
    {"Define_Friction Define_Damp", "OV_info_5", 10, "started", nullptr},
    {"Define_Friction Define_Damp", "OV_info_5", 60, "starting failed", nullptr},
    {"Define_*", "OV_info_5", 20, "effect object created", nullptr},
    {"Define_*", "OV_info_5", 3072, "creating the effect object failed", nullptr},
    {"Change_Friction Change_Damp Play_*", "OV_info_5", 7168, "sent and started", nullptr},
    {"Change_Friction Change_Damp Play_*", "OV_info_5", 8192, "sending or starting failed", nullptr},
    {"Play_*", "OV_info_5", 27649, "no effect defined in the slot", "call the slot's Define first"},
    {"Stop_*", "OV_info_5", 80, "stopped (or unloaded)", nullptr},
    {"Stop_*", "OV_info_5", 90, "stopping (or unloading) failed", nullptr},
};

// Whether `export_name` is one of the space-separated names or prefixes in `exports`.
bool names(const char* exports, const std::string& export_name) {
    for (const char* at = exports; *at != '\0';) {
        const std::size_t length = std::strcspn(at, " ");
        const bool prefix = length > 0 && at[length - 1] == '*';
        const std::size_t compared = prefix ? length - 1 : length;
        if ((prefix ? export_name.size() >= compared : export_name.size() == compared) &&
            export_name.compare(0, compared, at, compared) == 0) {
            return true;
        }
        at += length;
        while (*at == ' ') ++at;
    }
    return false;
}

}  // namespace

const std::vector<StatusMeaning>& status_meanings() { return kMeanings; }

const StatusMeaning* status_meaning(const std::string& export_name, const std::string& variable, std::int32_t code) {
    for (const auto& row : kMeanings) {
        if (row.code == code && variable == row.variable && names(row.exports, export_name)) return &row;
    }
    return nullptr;
}

std::string meaning_text(const StatusMeaning& row) {
    return row.missing_step ? std::string(row.meaning) + ": " + row.missing_step : row.meaning;
}

const char* missing_step_without_lookups(const std::string& export_name) {
    // Without a selected joystick every joystick and effect export returns before its first
    // lookup; the exports that make the DirectInput object and select the joystick always look
    // something up, and Get_Joystick_Name_1 never does.
    if (names("Get_Versionsnummer InitDirectInput FreeDirectInput InitJoystick_* Get_Joystick_Name_*", export_name)) {
        return nullptr;
    }
    return kNeedsJoystick;
}

const char* missing_directinput() { return kNeedsDirectInput; }

}  // namespace tamrilo::script
