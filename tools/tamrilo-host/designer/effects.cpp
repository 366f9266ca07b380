// The designer's effects come from the script's variable families; what the library sends for
// them follows the effect reference: the library's own conversions, its axis orders and records.
#include "tools/tamrilo-host/designer/effects.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <regex>
#include <sstream>

#include "engine/host_engine.h"
#include "host/fixed_point.h"
#include "package/variable_table.h"
#include "script/vocabulary.h"
#include "tools/tamrilo-host/designer/assets.h"

namespace tamrilo::designer {
namespace {

using force::Kind;

// The DirectInput field a variable feeds; `direction` is a component of the constant force's
// direction pair, from which the library also computes the magnitude.
enum class Field { offset, positive, negative, dead_band, direction, magnitude, period };

struct FieldEntry {
    Field field;
    const char* name;
    double initial;
};
constexpr FieldEntry kFields[] = {
    {Field::offset, "lOffset", 0},
    {Field::positive, "lPositiveCoefficient", 5000},
    {Field::negative, "lNegativeCoefficient", 5000},
    {Field::dead_band, "lDeadBand", 0},
    {Field::direction, "rglDirection", 3000},
    {Field::magnitude, "dwMagnitude", 5000},
    {Field::period, "dwPeriod", 100},
};

const FieldEntry& entry_of(Field field) {
    for (const FieldEntry& e : kFields) {
        if (e.field == field) return e;
    }
    std::abort();
}

// Where each variable goes: its axis block (0 x, 1 y) and field. Periodic variables by suffix.
struct Role {
    const char* name;
    int axis;
    Field field;
};
constexpr Role kRoles[] = {
    {"FF_force_x", 0, Field::direction},
    {"FF_force_y", 1, Field::direction},
    {"placement_middle_x", 0, Field::offset},
    {"placement_middle_y", 1, Field::offset},
    {"placement_dead_x", 0, Field::dead_band},
    {"placement_dead_y", 1, Field::dead_band},
    {"placement_right_x", 0, Field::positive},
    {"placement_right_y", 1, Field::positive},
    {"placement_left_x", 0, Field::negative},
    {"placement_left_y", 1, Field::negative},
    // On the y axis "up" is the positive direction.
    {"friction_right_x", 0, Field::positive},
    {"friction_left_x", 0, Field::negative},
    {"friction_up_y", 1, Field::positive},
    {"friction_down_y", 1, Field::negative},
    {"damp_null_procent_x", 0, Field::offset},
    {"damp_null_procent_y", 1, Field::offset},
    {"damp_max_procent_right_x", 0, Field::positive},
    {"damp_max_procent_left_x", 0, Field::negative},
    {"damp_max_procent_up_y", 1, Field::positive},
    {"damp_max_procent_down_y", 1, Field::negative},
    {"_null", 0, Field::offset},
    {"_hight", 0, Field::magnitude},
    {"_time", 0, Field::period},
};

const Role& role_of(const std::string& variable) {
    for (const Role& r : kRoles) {
        const std::string name = r.name;
        if (variable == name) return r;
        if (name[0] == '_' && variable.size() > name.size() &&
            variable.compare(variable.size() - name.size(), name.size(), name) == 0)
            return r;
    }
    throw DesignError("no DirectInput field is known for " + variable);
}

// The non-periodic slots by their export word; the periodic ones follow from their family name.
struct Slot {
    const char* family;
    const char* word;
    Kind kind;
    const char* label;
};
constexpr Slot kSlots[] = {
    {"constant", "Const_Forces", Kind::constant_force, "constant force"},
    {"placement", "Placement", Kind::spring, "placement (spring)"},
    {"friction", "Friction", Kind::friction, "friction"},
    {"damper", "Damp", Kind::damper, "damper"},
};
struct Wave {
    const char* prefix;
    Kind kind;
    const char* label;
};
constexpr Wave kWaves[] = {
    {"sine", Kind::sine, "sine"},
    {"triangle", Kind::triangle, "triangle"},
    {"quadrat", Kind::square, "square"},
    {"periodic_cresc", Kind::sawtooth_up, "rising sawtooth"},
    {"periodic_decresc", Kind::sawtooth_down, "falling sawtooth"},
};

// The periods the designer offers, in milliseconds; the library itself takes any.
constexpr double kLongestPeriodMs = 10000;

bool is_periodic(Kind kind) { return effect_kind(kind).family == EffectFamily::periodic; }

// "sine_1" → "Sine_1", "periodic_cresc_2" → "Periodic_Cresc_2".
std::string export_word(const std::string& family) {
    std::string word = family;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (i == 0 || word[i - 1] == '_')
            word[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(word[i])));
    }
    return word;
}

Variable variable_of(const std::string& name, const std::vector<catalog::VariableEntry>& table) {
    Variable v{name, "", "", 0, kLongestPeriodMs, entry_of(role_of(name).field).initial};
    for (const auto& entry : table) {
        if (entry.name != name) continue;
        v.unit = entry.unit;
        v.meaning = entry.meaning;
        static const std::regex range(R"((-?\d+) to (-?\d+))");
        if (std::smatch m; std::regex_search(entry.unit, m, range)) {
            v.min = std::stod(m[1]);
            v.max = std::stod(m[2]);
        } else {
            v.unit += ", 0 to " + std::to_string(static_cast<int>(kLongestPeriodMs)) + " here";
        }
    }
    return v;
}

std::vector<Effect> make_effects() {
    std::istringstream tsv{std::string(asset("host-variables.tsv"))};
    const auto table = catalog::read_variable_table(tsv);
    std::vector<Effect> out;
    for (const auto& family : script::variable_families()) {
        Effect e;
        e.family = family.name;
        std::string word;
        for (const Slot& s : kSlots) {
            if (family.name == s.family) {
                word = s.word;
                e.kind = s.kind;
                e.label = s.label;
            }
        }
        for (const Wave& w : kWaves) {
            const std::string prefix = std::string(w.prefix) + "_";
            if (family.name.rfind(prefix, 0) == 0 && family.name.size() == prefix.size() + 1) {
                word = export_word(family.name);
                e.kind = w.kind;
                e.label = std::string(w.label) + ", slot " + family.name.substr(prefix.size());
            }
        }
        if (word.empty()) continue;  // status, joystick, … are not effects
        e.define = "Define_" + word;
        e.start = (is_periodic(e.kind) ? "Play_" : "Change_") + word;
        e.stop = "Stop_" + word;
        for (const auto& name : family.variables) e.variables.push_back(variable_of(name, table));
        out.push_back(e);
    }
    return out;
}

// The library's conversion of a script value: the stored raw integer, scaled.
std::int32_t converted(Field field, double value) {
    const std::int32_t raw = engine::to_fixed(value);
    return field == Field::period ? host::time_units(raw) : host::device_units(raw);
}

// Spring, friction and damper: the saturations no variable feeds, as the library sends them.
constexpr DWORD kConditionSaturation = DI_FFNOMINALMAX;
constexpr LONG kFullScale = DI_FFNOMINALMAX;

// The library clamps every value into DirectInput's range before DirectInput sees it: dead bands
// into 0 … 10000, the other fields into -10000 … 10000; the direction pair keeps its value.
LONG within_range(Field field, LONG value) {
    switch (field) {
        case Field::direction:
        case Field::period:
        case Field::magnitude: return value;
        case Field::dead_band: return std::clamp(value, LONG{0}, kFullScale);
        case Field::offset:
        case Field::positive:
        case Field::negative: break;
    }
    return std::clamp(value, -kFullScale, kFullScale);
}

// The record the library hands DirectInput for these values, and the fields shown for it.
force::Play play_of(const Effect& effect, const Values& values, std::vector<SentField>& sent) {
    force::Play play;
    play.kind = effect.kind;
    force::Parameters& p = play.params;
    p.gain = static_cast<DWORD>(force::kFullScale);
    p.axis_count = 2;
    const bool yx = effect.kind == Kind::square;
    constexpr DWORD kOffsetX = DIJOFS_X, kOffsetY = DIJOFS_Y;
    p.axes = {yx ? kOffsetY : kOffsetX, yx ? kOffsetX : kOffsetY};
    p.flags = DIEFF_OBJECTOFFSETS | (effect.kind == Kind::constant_force ? DIEFF_CARTESIAN : DIEFF_POLAR);

    const bool periodic = is_periodic(effect.kind);
    DICONDITION conditions[2] = {};
    DIPERIODIC wave{};
    for (const Variable& v : effect.variables) {
        const Role& role = role_of(v.name);
        const std::int32_t value = within_range(role.field, converted(role.field, values.at(v.name)));
        const char* axis_prefix = periodic ? "" : role.axis == 0 ? "x: " : "y: ";
        sent.push_back({axis_prefix + std::string(entry_of(role.field).name), v.name, value});
        DICONDITION& c = conditions[role.axis];
        switch (role.field) {
            case Field::offset: (periodic ? wave.lOffset : c.lOffset) = value; break;
            case Field::positive: c.lPositiveCoefficient = value; break;
            case Field::negative: c.lNegativeCoefficient = value; break;
            case Field::dead_band: c.lDeadBand = value; break;
            case Field::direction: p.direction[static_cast<std::size_t>(role.axis)] = value; break;
            case Field::magnitude:
                // The magnitude is unsigned: a negative one reads beyond full scale and is clamped.
                wave.dwMagnitude = std::min(static_cast<DWORD>(value), DWORD{DI_FFNOMINALMAX});
                sent.back().value = wave.dwMagnitude;
                break;
            case Field::period: wave.dwPeriod = static_cast<DWORD>(value); break;
        }
    }
    if (effect.kind == Kind::constant_force) {
        // Applied against its direction: the magnitude is never positive.
        const double x = p.direction[0], y = p.direction[1];
        p.constant = DICONSTANTFORCE{-std::min(static_cast<LONG>(std::sqrt(x * x + y * y)), kFullScale)};
        sent.push_back({"lMagnitude", "FF_force_x, FF_force_y", p.constant->lMagnitude});
    } else if (periodic) {
        p.periodic = wave;
    } else {
        for (std::size_t axis = 0; axis < 2; ++axis) {
            conditions[axis].dwPositiveSaturation = conditions[axis].dwNegativeSaturation = kConditionSaturation;
            p.conditions.push_back(conditions[axis]);
            sent.push_back({std::string(axis == 0 ? "x" : "y") + ": dwPositiveSaturation, dwNegativeSaturation", "",
                            kConditionSaturation});
        }
    }
    return play;
}

constexpr int kSamples = 240;
constexpr std::size_t kX = DIJOFS_X / 4, kY = DIJOFS_Y / 4;

void add_point(Preview& preview, double along, const force::Forces& f) {
    preview.series[0].points.emplace_back(along, f[kX]);
    preview.series[1].points.emplace_back(along, f[kY]);
}

}  // namespace

std::string number_text(double v) {
    std::ostringstream s;
    s.precision(10);
    s << v;
    return s.str();
}

const std::vector<Effect>& effects() {
    static const std::vector<Effect> all = make_effects();
    return all;
}

const Effect& effect_named(const std::string& family) {
    for (const Effect& e : effects()) {
        if (e.family == family) return e;
    }
    throw DesignError("no effect '" + family + "'");
}

Values checked_values(const Effect& effect, const std::map<std::string, std::string>& given) {
    Values values;
    for (const Variable& v : effect.variables) {
        const auto it = given.find(v.name);
        if (it == given.end()) throw DesignError(v.name + " is missing");
        char* end = nullptr;
        const double number = std::strtod(it->second.c_str(), &end);
        if (it->second.empty() || *end != '\0' || !std::isfinite(number))
            throw DesignError(v.name + ": '" + it->second + "' is not a number");
        if (number < v.min || number > v.max) {
            throw DesignError(v.name + ": " + it->second + " is outside " + number_text(v.min) + " to " +
                              number_text(v.max) + "; nothing was sent");
        }
        values[v.name] = number;
    }
    return values;
}

Preview preview(const Effect& effect, const Values& values) {
    Preview out;
    const force::Play play = play_of(effect, values, out.sent);
    out.notes = force::remarks(play);
    out.series = {{"x", {}}, {"y", {}}};
    force::StickMotion still;
    if (effect.kind == Kind::constant_force) {
        out.along = "force x";
        const auto f = force::contribution(play, 0, still, DI_FFNOMINALMAX);
        out.series = {{"force", {{0, 0}, {f[kX], f[kY]}}}};
    } else if (is_periodic(effect.kind)) {
        out.along = "time (ms)";
        // Three periods; a period of 0 holds the wave at its phase, drawn over a second.
        const DWORD period_us = play.params.periodic->dwPeriod;
        const double span_us = period_us == 0 ? 1e6 : 3.0 * period_us;
        for (int i = 0; i <= kSamples; ++i) {
            const auto t_us = static_cast<std::int64_t>(span_us * i / kSamples);
            add_point(out, static_cast<double>(t_us) / 1000.0, force::contribution(play, t_us, still, DI_FFNOMINALMAX));
        }
    } else {
        const bool by_position = effect.kind == Kind::spring;
        out.along = by_position ? "stick position" : "stick velocity (change in 100 ms)";
        for (int i = 0; i <= kSamples; ++i) {
            const double q = -force::kFullScale + 2 * force::kFullScale * i / kSamples;
            force::Positions at{};
            at[kX] = at[kY] = static_cast<LONG>(q);
            force::StickMotion stick;
            if (by_position) {
                stick.place(0, at);
            } else {
                stick.move(0, at, force::kVelocityWindowUs);
            }
            const std::int64_t t_us = by_position ? 0 : force::kVelocityWindowUs;
            add_point(out, q, force::contribution(play, t_us, stick, DI_FFNOMINALMAX));
        }
    }
    return out;
}

force::Parameters sent_record(const Effect& effect, const Values& values) {
    std::vector<SentField> sent;
    return play_of(effect, values, sent).params;
}

std::vector<std::string> script_lines(const Effect& effect, const Values& values, const std::string& export_name) {
    std::vector<std::string> lines;
    for (const Variable& v : effect.variables) lines.push_back("set " + v.name + " " + number_text(values.at(v.name)));
    lines.push_back("call " + export_name);
    return lines;
}

}  // namespace tamrilo::designer
