#include "virtual-joystick/control/reports.h"

#include <cstdio>
#include <iterator>

#include "effect_kinds.h"

namespace tamrilo::vjoy {
namespace {

// The descriptor lists the effect types in the order of the table of effect kinds, from 1.
static_assert(static_cast<std::size_t>(VJ_ET_COUNT) == std::size(kEffectKinds));
static_assert(kEffectKinds[VJ_ET_CONSTANT - 1].kind == EffectKind::constant_force);
static_assert(kEffectKinds[VJ_ET_SAWTOOTH_DOWN - 1].kind == EffectKind::sawtooth_down);
static_assert(kEffectKinds[VJ_ET_FRICTION - 1].kind == EffectKind::friction);

std::string effect_type(unsigned type) {
    if (type == 0) return "none";
    return type <= std::size(kEffectKinds) ? kEffectKinds[type - 1].word : "#" + std::to_string(type);
}
const char* const kDeviceControls[] = {"none",  "enable-actuators", "disable-actuators", "stop-all", "reset",
                                       "pause", "continue"};
const char* const kOperations[] = {"none", "start", "solo", "stop"};
const char* const kLoadStatus[] = {"none", "success", "full", "error"};

template <std::size_t N>
std::string name_in(const char* const (&names)[N], unsigned value) {
    return value < N ? names[value] : "#" + std::to_string(value);
}

// Little-endian field readers over a record; bytes past its length read as 0.
struct Fields {
    const vj_record& record;
    unsigned byte(int at) const { return at < record.length ? record.bytes[at] : 0; }
    std::int32_t u8(int at) const { return static_cast<std::int32_t>(byte(at)); }
    std::int32_t s16(int at) const { return static_cast<std::int16_t>(byte(at) | byte(at + 1) << 8); }
    std::int32_t u16(int at) const { return static_cast<std::int32_t>(byte(at) | byte(at + 1) << 8); }
    std::int32_t s32(int at) const {
        return static_cast<std::int32_t>(byte(at) | byte(at + 1) << 8 | byte(at + 2) << 16 |
                                         static_cast<std::uint32_t>(byte(at + 3)) << 24);
    }
};

Report decode_one(const vj_record& record) {
    const Fields f{record};
    Report r;
    auto add = [&r](const char* name, const std::string& value) { r.fields.emplace_back(name, value); };
    auto number = [&add](const char* name, std::int32_t value) { add(name, std::to_string(value)); };
    const unsigned id = f.byte(0);
    switch (id) {
        case VJ_REPORT_DEVICE_CONTROL:
            r.kind = "control";
            add("command", name_in(kDeviceControls, f.byte(VJ_DEVICE_CONTROL)));
            break;
        case VJ_REPORT_DEVICE_GAIN:
            r.kind = "gain";
            number("gain", f.u16(VJ_DEVICE_GAIN));
            break;
        case VJ_REPORT_CREATE_EFFECT:
            r.kind = "new";
            add("type", effect_type(f.byte(VJ_CREATE_EFFECT_TYPE)));
            break;
        case VJ_REPORT_SET_EFFECT: {
            r.kind = "effect";
            r.block = static_cast<int>(f.byte(VJ_EFFECT_BLOCK));
            add("type", effect_type(f.byte(VJ_SET_EFFECT_TYPE)));
            number("duration", f.s32(VJ_SET_EFFECT_DURATION));
            number("delay", f.s32(VJ_SET_EFFECT_START_DELAY));
            number("sample-period", f.s32(VJ_SET_EFFECT_SAMPLE_PERIOD));
            number("repeat-interval", f.s32(VJ_SET_EFFECT_REPEAT_INTERVAL));
            number("gain", f.u16(VJ_SET_EFFECT_GAIN));
            const unsigned enable = f.byte(VJ_SET_EFFECT_ENABLE);
            std::string axes = (enable & 1) ? "X" : "";
            if (enable & 2) axes += axes.empty() ? "Y" : ",Y";
            add("axes", axes.empty() ? "none" : axes);
            add("direction", (enable & 4) ? std::to_string(f.u16(VJ_SET_EFFECT_DIRECTION)) + "," +
                                                std::to_string(f.u16(VJ_SET_EFFECT_DIRECTION + 2))
                                          : "none");
            break;
        }
        case VJ_REPORT_SET_ENVELOPE:
            r.kind = "envelope";
            r.block = static_cast<int>(f.byte(VJ_EFFECT_BLOCK));
            number("attack-level", f.u16(VJ_ENVELOPE_ATTACK_LEVEL));
            number("fade-level", f.u16(VJ_ENVELOPE_FADE_LEVEL));
            number("attack-time", f.s32(VJ_ENVELOPE_ATTACK_TIME));
            number("fade-time", f.s32(VJ_ENVELOPE_FADE_TIME));
            break;
        case VJ_REPORT_SET_CONDITION:
            r.kind = "condition";
            r.block = static_cast<int>(f.byte(VJ_EFFECT_BLOCK));
            number("axis", f.u8(VJ_CONDITION_AXIS));
            number("offset", f.s16(VJ_CONDITION_CENTER));
            number("positive-coefficient", f.s16(VJ_CONDITION_POSITIVE_COEFFICIENT));
            number("negative-coefficient", f.s16(VJ_CONDITION_NEGATIVE_COEFFICIENT));
            number("positive-saturation", f.u16(VJ_CONDITION_POSITIVE_SATURATION));
            number("negative-saturation", f.u16(VJ_CONDITION_NEGATIVE_SATURATION));
            number("dead-band", f.u16(VJ_CONDITION_DEAD_BAND));
            break;
        case VJ_REPORT_SET_PERIODIC:
            r.kind = "periodic";
            r.block = static_cast<int>(f.byte(VJ_EFFECT_BLOCK));
            number("magnitude", f.u16(VJ_PERIODIC_MAGNITUDE));
            number("offset", f.s16(VJ_PERIODIC_OFFSET));
            number("phase", f.u16(VJ_PERIODIC_PHASE));
            number("period", f.s32(VJ_PERIODIC_PERIOD));
            break;
        case VJ_REPORT_SET_CONSTANT:
            r.kind = "constant";
            r.block = static_cast<int>(f.byte(VJ_EFFECT_BLOCK));
            number("magnitude", f.s16(VJ_CONSTANT_MAGNITUDE));
            break;
        case VJ_REPORT_EFFECT_OPERATION:
            r.kind = "operation";
            r.block = static_cast<int>(f.byte(VJ_EFFECT_BLOCK));
            add("operation", name_in(kOperations, f.byte(VJ_OPERATION)));
            number("loops", f.u8(VJ_OPERATION_LOOPS));
            break;
        case VJ_REPORT_BLOCK_FREE:
            r.kind = "free";
            r.block = static_cast<int>(f.byte(VJ_EFFECT_BLOCK));
            break;
        case VJ_REPORT_BLOCK_LOAD:
            r.kind = "load";
            r.block = static_cast<int>(f.byte(VJ_EFFECT_BLOCK));
            add("status", name_in(kLoadStatus, f.byte(VJ_BLOCK_LOAD_STATUS)));
            break;
        default: {
            r.kind = "unknown";
            std::string bytes;
            char hex[4];
            for (int i = 0; i < record.length; ++i) {
                std::snprintf(hex, sizeof hex, "%02x", record.bytes[i]);
                bytes += hex;
            }
            add("bytes", bytes);
            break;
        }
    }
    return r;
}

}  // namespace

std::string Report::operator[](const std::string& name) const {
    for (const auto& [key, value] : fields)
        if (key == name) return value;
    return "";
}

std::string Report::text() const {
    std::string out = kind;
    if (block) out += " block=" + std::to_string(block);
    for (const auto& [key, value] : fields) out += " " + key + "=" + value;
    return out;
}

std::vector<Report> decode(const std::vector<vj_record>& records) {
    std::vector<Report> reports;
    reports.reserve(records.size());
    for (const vj_record& record : records) reports.push_back(decode_one(record));
    return reports;
}

std::map<int, Block> blocks(const std::vector<Report>& reports) {
    std::map<int, Block> result;
    for (const Report& r : reports) {
        if (!r.block) continue;
        Block& b = result[r.block];
        if (r.kind == "effect") {
            b.effect = r;
            b.type = r["type"];
        } else if (r.kind == "constant") {
            b.constant = r;
        } else if (r.kind == "periodic") {
            b.periodic = r;
        } else if (r.kind == "condition") {
            b.conditions[std::stoi(r["axis"])] = r;
        } else if (r.kind == "operation") {
            b.operations.push_back(r["operation"]);
        } else if (r.kind == "free") {
            b.operations.push_back("free");
        }
    }
    return result;
}

}  // namespace tamrilo::vjoy
