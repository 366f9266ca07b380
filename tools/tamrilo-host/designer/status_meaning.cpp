#include "tools/tamrilo-host/designer/status_meaning.h"

namespace tamrilo::designer {
namespace {

// The first row whose export prefix, variable and code match gives the meaning.
struct Meaning {
    const char* export_prefix;
    const char* variable;
    std::int32_t code;
    const char* text;
};
constexpr Meaning kMeanings[] = {
    {"Define_Const_Forces", "OV_error", 102, "sent and started"},
    {"Change_Const_Forces", "OV_error", 102, "sent and started"},
    {"Define_Const_Forces", "OV_error", 101, "creating or sending failed"},
    {"Change_Const_Forces", "OV_error", 101, "sending failed, or no force defined"},
    {"Define_Placement", "OV_info_5", 10, "the spring existed already"},
    {"Define_Placement", "OV_info_4", 30, "started"},
    {"Define_Placement", "OV_info_4", 40962, "starting failed"},
    {"Define_Friction", "OV_info_5", 10, "started"},
    {"Define_Damp", "OV_info_5", 10, "started"},
    {"Define_Friction", "OV_info_5", 60, "starting failed"},
    {"Define_Damp", "OV_info_5", 60, "starting failed"},
    {"Define_", "OV_info_5", 20, "effect created"},
    {"Define_", "OV_info_5", 3072, "creating the effect failed"},
    {"Change_Placement", "OV_info_5", 4096, "sent and started"},
    {"Change_Placement", "OV_info_5", 5120, "sending or starting failed"},
    {"", "OV_info_5", 7168, "sent and started"},
    {"", "OV_info_5", 8192, "sending or starting failed"},
    {"Play_", "OV_info_5", 27649, "no effect defined: press Define first"},
    {"Stop_", "OV_info_5", 80, "stopped and unloaded"},
    {"Stop_", "OV_info_5", 90, "stopping or unloading failed"},
};

}  // namespace

std::string status_meaning(const std::string& export_name, const std::string& variable, std::int32_t code) {
    for (const Meaning& m : kMeanings) {
        if (export_name.rfind(m.export_prefix, 0) == 0 && variable == m.variable && code == m.code) return m.text;
    }
    return "";
}

}  // namespace tamrilo::designer
