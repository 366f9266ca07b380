// The force model: directions, waveforms, condition effects and gain, as DirectInput defines them.
#include "force/model.h"

#include <algorithm>
#include <cmath>

namespace tamrilo::force {

namespace {

constexpr double kPi = 3.14159265358979323846;

bool is_periodic(Kind kind) { return effect_kind(kind).family == EffectFamily::periodic; }
bool is_condition(Kind kind) { return effect_kind(kind).family == EffectFamily::condition; }

DWORD kept_axes(const Parameters& params) { return std::min<DWORD>(params.axis_count, kMaxEffectAxes); }

// The axis slot of the effect's i-th axis, or -1 when it is not an axis offset we know.
int axis_slot(const Parameters& params, DWORD i) {
    if (!(params.flags & DIEFF_OBJECTOFFSETS)) return -1;
    const DWORD offset = params.axes[i];
    if (offset % 4 != 0 || offset / 4 >= static_cast<DWORD>(kAxes)) return -1;
    return static_cast<int>(offset / 4);
}

// The condition block of the effect's i-th axis: its own, or the one for every axis.
const DICONDITION* condition_of(const Parameters& params, DWORD i) {
    const auto& blocks = params.conditions;
    if (blocks.size() == 1) return &blocks[0];
    return i < blocks.size() ? &blocks[i] : nullptr;
}

// The unit vector the force comes from, in the effect's axis order; all zero when there is none.
std::array<double, kMaxEffectAxes> direction_from(const Parameters& params) {
    std::array<double, kMaxEffectAxes> unit{};
    const DWORD n = kept_axes(params);
    if (params.flags & DIEFF_POLAR) {
        if (n != 2) return unit;
        const double theta = params.direction[0] / 100.0 * kPi / 180.0;
        unit[0] = std::sin(theta);
        unit[1] = -std::cos(theta);
    } else if (params.flags & DIEFF_CARTESIAN) {
        double length = 0;
        for (DWORD i = 0; i < n; ++i) length += static_cast<double>(params.direction[i]) * params.direction[i];
        length = std::sqrt(length);
        if (length == 0) return unit;
        for (DWORD i = 0; i < n; ++i) unit[i] = params.direction[i] / length;
    }
    return unit;
}

// The signed value of a periodic waveform at phase position p in [0, 1).
double waveform(Kind kind, double p) {
    switch (kind) {
        case Kind::square: return p < 0.5 ? 1.0 : -1.0;
        case Kind::sine: return std::sin(2 * kPi * p);
        case Kind::triangle: return p < 0.5 ? 1.0 - 4.0 * p : 4.0 * p - 3.0;
        case Kind::sawtooth_up: return 2.0 * p - 1.0;
        case Kind::sawtooth_down: return 1.0 - 2.0 * p;
        default: return 0.0;
    }
}

// The signed value of a constant force or periodic effect `t_us` after it started.
double directed_value(const Play& play, std::int64_t t_us) {
    if (play.kind == Kind::constant_force) {
        const auto& force = play.params.constant;
        return force ? force->lMagnitude : 0.0;
    }
    const auto& periodic = play.params.periodic;
    if (!periodic) return 0.0;
    double p = periodic->dwPhase / 36000.0;
    if (periodic->dwPeriod != 0) p += static_cast<double>(t_us - play.started_us) / periodic->dwPeriod;
    p -= std::floor(p);
    return periodic->lOffset + static_cast<double>(periodic->dwMagnitude) * waveform(play.kind, p);
}

// The metric a condition block reads on one axis: position for a spring, velocity otherwise.
double condition_metric(Kind kind, int axis, std::int64_t t_us, const StickMotion& stick) {
    const double now = stick.at(t_us)[static_cast<std::size_t>(axis)];
    if (kind == Kind::spring) return now;
    const std::int64_t before_us = std::max<std::int64_t>(t_us - kVelocityWindowUs, 0);
    return now - stick.at(before_us)[static_cast<std::size_t>(axis)];
}

// The force a condition block exerts against metric q (before the sign that makes it resist).
double condition_force(Kind kind, const DICONDITION& c, double q) {
    const double low = static_cast<double>(c.lOffset) - c.lDeadBand;
    const double high = static_cast<double>(c.lOffset) + c.lDeadBand;
    if (q > high) {
        const double f =
            kind == Kind::friction ? c.lPositiveCoefficient : c.lPositiveCoefficient * (q - high) / kFullScale;
        return std::clamp(f, -static_cast<double>(c.dwPositiveSaturation), static_cast<double>(c.dwPositiveSaturation));
    }
    if (q < low) {
        const double f = kind == Kind::friction ? -static_cast<double>(c.lNegativeCoefficient)
                                                : c.lNegativeCoefficient * (q - low) / kFullScale;
        return std::clamp(f, -static_cast<double>(c.dwNegativeSaturation), static_cast<double>(c.dwNegativeSaturation));
    }
    return 0.0;
}

void note_outside(std::vector<std::string>& notes, const char* what, double value, double low, double high) {
    if (value < low || value > high) {
        notes.push_back(std::string(what) + " " + std::to_string(static_cast<long long>(value)) + " outside " +
                        std::to_string(static_cast<long long>(low)) + " … " +
                        std::to_string(static_cast<long long>(high)));
    }
}

}  // namespace

std::vector<int> pushed_axes(const Play& play) {
    std::vector<int> axes;
    for (DWORD i = 0; i < kept_axes(play.params); ++i) {
        if (const int axis = axis_slot(play.params, i); axis >= 0) axes.push_back(axis);
    }
    return axes;
}

void StickMotion::move(std::int64_t at_us, const Positions& to, std::int64_t duration_us) {
    const Positions from = at(at_us);
    // A later command replaces whatever was planned from its moment on.
    while (!moves_.empty() && moves_.back().start_us > at_us) moves_.pop_back();
    moves_.push_back({at_us, std::max<std::int64_t>(duration_us, 0), from, to});
}

Positions StickMotion::at(std::int64_t t_us) const {
    auto later = std::upper_bound(moves_.begin(), moves_.end(), t_us,
                                  [](std::int64_t t, const Move& m) { return t < m.start_us; });
    if (later == moves_.begin()) return Positions{};
    const Move& m = *(later - 1);
    const std::int64_t elapsed = t_us - m.start_us;
    if (elapsed >= m.duration_us) return m.to;
    Positions now{};
    for (std::size_t i = 0; i < now.size(); ++i) {
        const double f = static_cast<double>(elapsed) / static_cast<double>(m.duration_us);
        now[i] = static_cast<LONG>(std::lround(m.from[i] + (static_cast<double>(m.to[i]) - m.from[i]) * f));
    }
    return now;
}

bool Play::playing_at(std::int64_t t_us) const {
    if (t_us < from_us || t_us >= until_us) return false;
    return params.duration == INFINITE || t_us - started_us < static_cast<std::int64_t>(params.duration);
}

Forces contribution(const Play& play, std::int64_t t_us, const StickMotion& stick, DWORD device_gain) {
    Forces push{};
    if (!play.playing_at(t_us)) return push;
    const double gain = play.params.gain / kFullScale * (device_gain / kFullScale);
    const DWORD n = kept_axes(play.params);
    if (is_condition(play.kind)) {
        for (DWORD i = 0; i < n; ++i) {
            const int axis = axis_slot(play.params, i);
            const DICONDITION* block = condition_of(play.params, i);
            if (axis < 0 || !block) continue;
            const double q = condition_metric(play.kind, axis, t_us, stick);
            push[static_cast<std::size_t>(axis)] += -condition_force(play.kind, *block, q) * gain;
        }
        return push;
    }
    const auto unit = direction_from(play.params);
    const double value = directed_value(play, t_us);
    for (DWORD i = 0; i < n; ++i) {
        const int axis = axis_slot(play.params, i);
        if (axis >= 0) push[static_cast<std::size_t>(axis)] += -unit[i] * value * gain;
    }
    return push;
}

std::array<LONG, kAxes> total(const std::vector<Forces>& contributions) {
    std::array<LONG, kAxes> sum{};
    for (std::size_t axis = 0; axis < sum.size(); ++axis) {
        double f = 0;
        for (const Forces& c : contributions) f += c[axis];
        sum[axis] = rounded(f);
    }
    return sum;
}

LONG rounded(double force) { return static_cast<LONG>(std::lround(std::clamp(force, -kFullScale, kFullScale))); }

std::vector<std::string> remarks(const Play& play) {
    std::vector<std::string> notes;
    const Parameters& p = play.params;
    if (p.has_envelope) notes.push_back("envelope not drawn");
    if (!(p.flags & DIEFF_OBJECTOFFSETS)) notes.push_back("axes given by object id not drawn");
    if (p.flags & DIEFF_SPHERICAL) notes.push_back("spherical direction not drawn");
    note_outside(notes, "gain", p.gain, 0, kFullScale);
    if (play.kind == Kind::constant_force) {
        if (const auto& c = p.constant) note_outside(notes, "magnitude", c->lMagnitude, -kFullScale, kFullScale);
    } else if (is_periodic(play.kind)) {
        if (const auto& c = p.periodic) {
            note_outside(notes, "magnitude", c->dwMagnitude, 0, kFullScale);
            note_outside(notes, "offset", c->lOffset, -kFullScale, kFullScale);
            note_outside(notes, "phase", c->dwPhase, 0, 35999);
        }
    } else {
        for (const DICONDITION& c : p.conditions) {
            note_outside(notes, "offset", c.lOffset, -kFullScale, kFullScale);
            note_outside(notes, "dead band", c.lDeadBand, 0, kFullScale);
            note_outside(notes, "positive coefficient", c.lPositiveCoefficient, -kFullScale, kFullScale);
            note_outside(notes, "negative coefficient", c.lNegativeCoefficient, -kFullScale, kFullScale);
            note_outside(notes, "positive saturation", c.dwPositiveSaturation, 0, kFullScale);
            note_outside(notes, "negative saturation", c.dwNegativeSaturation, 0, kFullScale);
            if (c.dwPositiveSaturation == 0 && c.lPositiveCoefficient != 0)
                notes.push_back("positive saturation 0: no force");
            if (c.dwNegativeSaturation == 0 && c.lNegativeCoefficient != 0)
                notes.push_back("negative saturation 0: no force");
        }
    }
    // One block per axis often repeats the same remark.
    std::vector<std::string> unique;
    for (std::string& note : notes) {
        if (std::find(unique.begin(), unique.end(), note) == unique.end()) unique.push_back(std::move(note));
    }
    return unique;
}

}  // namespace tamrilo::force
