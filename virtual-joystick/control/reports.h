// What a virtual joystick received, decoded from the raw reports its driver logged: one typed
// record per report (device control, gain, and per effect block the effect type, the parameters
// in DirectInput units and the operations), in arrival order, with the time each arrived. The
// text `tamrilo-vjoy reports` prints is made from the record. Plain C++, so that it is tested on
// every platform.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "virtual-joystick/protocol.h"

namespace tamrilo::vjoy {

// The reports, as the device's descriptor declares them. Enumerations keep the protocol's
// numbers (vj_device_control, vj_effect_type, vj_effect_operation, vj_block_load_status).
struct DeviceControl {
    unsigned command = 0;
};
struct DeviceGain {
    std::int32_t gain = 0;
};
struct CreateEffect {
    unsigned type = 0;
};
struct BlockLoad {
    unsigned status = 0;
};
struct SetEffect {
    static constexpr unsigned kAxisX = 1, kAxisY = 2, kDirection = 4;  // the enable bits
    unsigned type = 0;
    std::int32_t duration = 0, delay = 0, sample_period = 0, repeat_interval = 0;  // µs; -1 is infinite
    std::int32_t gain = 0;
    unsigned enable = 0;
    std::array<std::int32_t, 2> direction{};  // hundredths of a degree, clockwise from north
};
struct SetEnvelope {
    std::int32_t attack_level = 0, fade_level = 0, attack_time = 0, fade_time = 0;
};
struct SetCondition {
    std::int32_t axis = 0;  // the parameter block: 0 for the effect's first axis, 1 for the second
    std::int32_t offset = 0, positive_coefficient = 0, negative_coefficient = 0;
    std::int32_t positive_saturation = 0, negative_saturation = 0, dead_band = 0;
};
struct SetPeriodic {
    std::int32_t magnitude = 0, offset = 0, phase = 0, period = 0;
};
struct SetConstant {
    std::int32_t magnitude = 0;
};
struct Operation {
    unsigned operation = 0;
    std::int32_t loops = 0;
};
struct BlockFree {};
struct Unknown {
    std::vector<unsigned char> bytes;
};

using Payload = std::variant<DeviceControl, DeviceGain, CreateEffect, BlockLoad, SetEffect, SetEnvelope, SetCondition,
                             SetPeriodic, SetConstant, Operation, BlockFree, Unknown>;

// One received report.
struct Report {
    std::int64_t time_us = 0;  // when the device received it, on the clock the decoder was given
    int block = 0;             // its effect block, 0 when it has none
    Payload payload;

    // "control", "gain", "new", "load", "effect", "envelope", "condition", "periodic",
    // "constant", "operation", "free" or "unknown".
    std::string kind() const;
    // Its values by name, as text, in report order.
    std::vector<std::pair<std::string, std::string>> fields() const;
    // The value of a field, or "" when the report has none by that name.
    std::string operator[](const std::string& name) const;
    // "periodic block=1 magnitude=9999 offset=0 phase=0 period=999936".
    std::string text() const;
};

// Where the records' times count from: a performance counter value and the counter's rate.
struct Clock {
    long long origin_ticks = 0;
    long long ticks_per_second = 1000000;
    std::int64_t microseconds(long long ticks) const;
};

// Decodes the logged records; an unknown report id becomes an Unknown record with its bytes.
std::vector<Report> decode(const std::vector<vj_record>& records, const Clock& clock = {});

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

// The word of an effect type ("sine"), "none" for 0, "#N" for a type the device does not list.
std::string effect_type_word(unsigned type);

}  // namespace tamrilo::vjoy
