#include "virtual-joystick/control/reports.h"

#include <algorithm>
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

const char* const kDeviceControls[] = {"none",  "enable-actuators", "disable-actuators", "stop-all", "reset",
                                       "pause", "continue"};
const char* const kOperations[] = {"none", "start", "solo", "stop"};
const char* const kLoadStatus[] = {"none", "success", "full", "error"};

template <std::size_t N>
std::string name_in(const char* const (&names)[N], unsigned value) {
    return value < N ? names[value] : "#" + std::to_string(value);
}

// Little-endian field readers over a record; bytes past its length read as 0.
struct Bytes {
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

bool names_a_block(unsigned id) {
    switch (id) {
        case VJ_REPORT_SET_EFFECT:
        case VJ_REPORT_SET_ENVELOPE:
        case VJ_REPORT_SET_CONDITION:
        case VJ_REPORT_SET_PERIODIC:
        case VJ_REPORT_SET_CONSTANT:
        case VJ_REPORT_EFFECT_OPERATION:
        case VJ_REPORT_BLOCK_FREE:
        case VJ_REPORT_BLOCK_LOAD: return true;
        default: return false;
    }
}

Report decode_one(const vj_record& record, const Clock& clock) {
    const Bytes f{record};
    Report r;
    r.time_us = clock.microseconds(record.ticks);
    const unsigned id = f.byte(0);
    if (names_a_block(id)) r.block = static_cast<int>(f.byte(VJ_EFFECT_BLOCK));
    switch (id) {
        case VJ_REPORT_DEVICE_CONTROL: r.payload = DeviceControl{f.byte(VJ_DEVICE_CONTROL)}; break;
        case VJ_REPORT_DEVICE_GAIN: r.payload = DeviceGain{f.u16(VJ_DEVICE_GAIN)}; break;
        case VJ_REPORT_CREATE_EFFECT: r.payload = CreateEffect{f.byte(VJ_CREATE_EFFECT_TYPE)}; break;
        case VJ_REPORT_BLOCK_LOAD: r.payload = BlockLoad{f.byte(VJ_BLOCK_LOAD_STATUS)}; break;
        case VJ_REPORT_SET_EFFECT:
            r.payload = SetEffect{f.byte(VJ_SET_EFFECT_TYPE),
                                  f.s32(VJ_SET_EFFECT_DURATION),
                                  f.s32(VJ_SET_EFFECT_START_DELAY),
                                  f.s32(VJ_SET_EFFECT_SAMPLE_PERIOD),
                                  f.s32(VJ_SET_EFFECT_REPEAT_INTERVAL),
                                  f.u16(VJ_SET_EFFECT_GAIN),
                                  f.byte(VJ_SET_EFFECT_ENABLE),
                                  {f.u16(VJ_SET_EFFECT_DIRECTION), f.u16(VJ_SET_EFFECT_DIRECTION + 2)}};
            break;
        case VJ_REPORT_SET_ENVELOPE:
            r.payload = SetEnvelope{f.u16(VJ_ENVELOPE_ATTACK_LEVEL), f.u16(VJ_ENVELOPE_FADE_LEVEL),
                                    f.s32(VJ_ENVELOPE_ATTACK_TIME), f.s32(VJ_ENVELOPE_FADE_TIME)};
            break;
        case VJ_REPORT_SET_CONDITION:
            r.payload = SetCondition{f.u8(VJ_CONDITION_AXIS),
                                     f.s16(VJ_CONDITION_CENTER),
                                     f.s16(VJ_CONDITION_POSITIVE_COEFFICIENT),
                                     f.s16(VJ_CONDITION_NEGATIVE_COEFFICIENT),
                                     f.u16(VJ_CONDITION_POSITIVE_SATURATION),
                                     f.u16(VJ_CONDITION_NEGATIVE_SATURATION),
                                     f.u16(VJ_CONDITION_DEAD_BAND)};
            break;
        case VJ_REPORT_SET_PERIODIC:
            r.payload = SetPeriodic{f.u16(VJ_PERIODIC_MAGNITUDE), f.s16(VJ_PERIODIC_OFFSET), f.u16(VJ_PERIODIC_PHASE),
                                    f.s32(VJ_PERIODIC_PERIOD)};
            break;
        case VJ_REPORT_SET_CONSTANT: r.payload = SetConstant{f.s16(VJ_CONSTANT_MAGNITUDE)}; break;
        case VJ_REPORT_EFFECT_OPERATION: r.payload = Operation{f.byte(VJ_OPERATION), f.u8(VJ_OPERATION_LOOPS)}; break;
        case VJ_REPORT_BLOCK_FREE: r.payload = BlockFree{}; break;
        default: r.payload = Unknown{{record.bytes, record.bytes + std::min<int>(record.length, VJ_MAX_REPORT)}}; break;
    }
    return r;
}

// A report's name and its fields as text, one overload per record.
using Fields = std::vector<std::pair<std::string, std::string>>;
struct Describe {
    Fields& out;
    void add(const char* name, const std::string& value) const { out.emplace_back(name, value); }
    void number(const char* name, std::int32_t value) const { add(name, std::to_string(value)); }

    const char* operator()(const DeviceControl& c) const {
        add("command", name_in(kDeviceControls, c.command));
        return "control";
    }
    const char* operator()(const DeviceGain& g) const {
        number("gain", g.gain);
        return "gain";
    }
    const char* operator()(const CreateEffect& c) const {
        add("type", effect_type_word(c.type));
        return "new";
    }
    const char* operator()(const BlockLoad& l) const {
        add("status", name_in(kLoadStatus, l.status));
        return "load";
    }
    const char* operator()(const SetEffect& e) const {
        add("type", effect_type_word(e.type));
        number("duration", e.duration);
        number("delay", e.delay);
        number("sample-period", e.sample_period);
        number("repeat-interval", e.repeat_interval);
        number("gain", e.gain);
        std::string axes = (e.enable & SetEffect::kAxisX) ? "X" : "";
        if (e.enable & SetEffect::kAxisY) axes += axes.empty() ? "Y" : ",Y";
        add("axes", axes.empty() ? "none" : axes);
        add("direction", (e.enable & SetEffect::kDirection)
                             ? std::to_string(e.direction[0]) + "," + std::to_string(e.direction[1])
                             : "none");
        return "effect";
    }
    const char* operator()(const SetEnvelope& e) const {
        number("attack-level", e.attack_level);
        number("fade-level", e.fade_level);
        number("attack-time", e.attack_time);
        number("fade-time", e.fade_time);
        return "envelope";
    }
    const char* operator()(const SetCondition& c) const {
        number("axis", c.axis);
        number("offset", c.offset);
        number("positive-coefficient", c.positive_coefficient);
        number("negative-coefficient", c.negative_coefficient);
        number("positive-saturation", c.positive_saturation);
        number("negative-saturation", c.negative_saturation);
        number("dead-band", c.dead_band);
        return "condition";
    }
    const char* operator()(const SetPeriodic& p) const {
        number("magnitude", p.magnitude);
        number("offset", p.offset);
        number("phase", p.phase);
        number("period", p.period);
        return "periodic";
    }
    const char* operator()(const SetConstant& c) const {
        number("magnitude", c.magnitude);
        return "constant";
    }
    const char* operator()(const Operation& o) const {
        add("operation", name_in(kOperations, o.operation));
        number("loops", o.loops);
        return "operation";
    }
    const char* operator()(const BlockFree&) const { return "free"; }
    const char* operator()(const Unknown& u) const {
        std::string bytes;
        char hex[4];
        for (unsigned char b : u.bytes) {
            std::snprintf(hex, sizeof hex, "%02x", b);
            bytes += hex;
        }
        add("bytes", bytes);
        return "unknown";
    }
};

}  // namespace

std::string effect_type_word(unsigned type) {
    if (type == 0) return "none";
    return type <= std::size(kEffectKinds) ? kEffectKinds[type - 1].word : "#" + std::to_string(type);
}

std::int64_t Clock::microseconds(long long ticks) const {
    if (ticks_per_second <= 0) return 0;
    // In two parts, so that a counter of many days does not overflow on the way.
    const long long elapsed = ticks - origin_ticks;
    return elapsed / ticks_per_second * 1000000 + elapsed % ticks_per_second * 1000000 / ticks_per_second;
}

std::string Report::kind() const {
    Fields ignored;
    return std::visit(Describe{ignored}, payload);
}

std::vector<std::pair<std::string, std::string>> Report::fields() const {
    Fields out;
    std::visit(Describe{out}, payload);
    return out;
}

std::string Report::operator[](const std::string& name) const {
    for (const auto& [key, value] : fields())
        if (key == name) return value;
    return "";
}

std::string Report::text() const {
    Fields out;
    std::string text = std::visit(Describe{out}, payload);
    if (block) text += " block=" + std::to_string(block);
    for (const auto& [key, value] : out) text += " " + key + "=" + value;
    return text;
}

std::vector<Report> decode(const std::vector<vj_record>& records, const Clock& clock) {
    std::vector<Report> reports;
    reports.reserve(records.size());
    for (const vj_record& record : records) reports.push_back(decode_one(record, clock));
    return reports;
}

std::map<int, Block> blocks(const std::vector<Report>& reports) {
    std::map<int, Block> result;
    for (const Report& r : reports) {
        if (!r.block) continue;
        Block& b = result[r.block];
        if (const auto* effect = std::get_if<SetEffect>(&r.payload)) {
            b.effect = r;
            b.type = effect_type_word(effect->type);
        } else if (std::holds_alternative<SetConstant>(r.payload)) {
            b.constant = r;
        } else if (std::holds_alternative<SetPeriodic>(r.payload)) {
            b.periodic = r;
        } else if (const auto* condition = std::get_if<SetCondition>(&r.payload)) {
            b.conditions[condition->axis] = r;
        } else if (const auto* operation = std::get_if<Operation>(&r.payload)) {
            b.operations.push_back(name_in(kOperations, operation->operation));
        } else if (std::holds_alternative<BlockFree>(r.payload)) {
            b.operations.push_back("free");
        }
    }
    return result;
}

}  // namespace tamrilo::vjoy
