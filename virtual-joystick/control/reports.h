// What a virtual joystick received, decoded from the raw reports its driver logged: device
// control, gain, and per effect block the effect type, the parameters in DirectInput units and
// the operations, in arrival order. Plain C++, so that it is tested on every platform.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "virtual-joystick/protocol.h"

namespace tamrilo::vjoy {

// One received report. `kind` names the report ("control", "gain", "new", "load", "effect",
// "envelope", "condition", "periodic", "constant", "operation", "free"); `block` is its effect block (0 when
// it has none); `fields` are its values by name, in report order.
struct Report {
    std::string kind;
    int block = 0;
    std::vector<std::pair<std::string, std::string>> fields;

    // The value of a field, or "" when the report has none by that name.
    std::string operator[](const std::string& name) const;
    // "periodic block=1 magnitude=9999 offset=0 phase=0 period=999936".
    std::string text() const;
};

// Decodes the logged records; an unknown report id becomes kind "unknown" with its bytes.
std::vector<Report> decode(const std::vector<vj_record>& records);

// What one effect block last received: the last value of each report kind (conditions per axis),
// and its operations in order ("start", "solo", "stop", "free").
struct Block {
    std::string type;
    Report effect;
    Report constant;
    Report periodic;
    std::map<int, Report> conditions;
    std::vector<std::string> operations;
};
std::map<int, Block> blocks(const std::vector<Report>& reports);

}  // namespace tamrilo::vjoy
