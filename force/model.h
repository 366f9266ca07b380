// The force a force-feedback joystick would exert, worked out from which effect played when, with
// which parameters on the device, and where the stick was: what the simulated DirectInput
// records, or what a device was sent. Pure functions of their inputs, so the same run always
// draws the same forces.
//
// Units: time in microseconds; positions and forces per axis in -10000 … 10000, in the axis's own
// direction (a positive x force pushes the stick to the right, a positive y force toward the user).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "axis_slots.h"
#include "effect_kinds.h"
#include "platform/dinput.h"

namespace tamrilo::force {

inline constexpr int kAxes = kAxisSlots;
inline constexpr std::int64_t kOpen = INT64_MAX;  // a play that has not ended yet
inline constexpr std::int64_t kVelocityWindowUs = 100000;
inline constexpr double kFullScale = 10000.0;
inline constexpr std::size_t kMaxEffectAxes = 4;  // the axes of an effect the model reads

using Positions = std::array<LONG, kAxes>;
using Forces = std::array<double, kAxes>;
using Kind = EffectKind;

// What the device plays of an effect: its parameters as DirectInput defines them, as far as the
// model reads them.
struct Parameters {
    DWORD flags = 0;            // DIEFF_OBJECTOFFSETS or _OBJECTIDS; DIEFF_CARTESIAN, _POLAR or _SPHERICAL
    DWORD duration = INFINITE;  // microseconds
    DWORD gain = 0;
    DWORD axis_count = 0;                          // cAxes
    std::array<DWORD, kMaxEffectAxes> axes{};      // the first axes: data-format offsets (DIJOFS_X, …)
    std::array<LONG, kMaxEffectAxes> direction{};  // and their direction entries
    bool has_envelope = false;
    // The type-specific record of the effect's family, when the device holds it whole.
    std::optional<DICONSTANTFORCE> constant;
    std::optional<DIPERIODIC> periodic;
    std::vector<DICONDITION> conditions;  // one per axis, or one for every axis
};

// Where the stick was over time: immediate placements and straight moves. A move starts where the
// stick is at its start, even halfway through an earlier move.
class StickMotion {
public:
    void place(std::int64_t at_us, const Positions& to) { move(at_us, to, 0); }
    void move(std::int64_t at_us, const Positions& to, std::int64_t duration_us);
    Positions at(std::int64_t t_us) const;

    struct Move {
        std::int64_t start_us, duration_us;
        Positions from, to;
    };
    // What is left of the commands after later ones replaced the rest, in start order: giving
    // them to move() again, in this order, draws the same path.
    const std::vector<Move>& moves() const { return moves_; }

private:
    std::vector<Move> moves_;  // in start order
};

// One stretch of an effect playing with one set of downloaded parameters.
struct Play {
    int effect = 0;  // the effect object's id
    int device = 0;
    Kind kind = Kind::constant_force;
    Parameters params;              // what the device plays (the downloaded parameters)
    std::int64_t started_us = 0;    // when the effect last (re)started: its own time 0
    std::int64_t from_us = 0;       // these parameters play from here …
    std::int64_t until_us = kOpen;  // … until here (Stop, Unload, new parameters, …)

    // Whether it pushes at `t_us`: within its stretch and before the end of its duration.
    bool playing_at(std::int64_t t_us) const;
};

// The slots of the axes an effect pushes on.
std::vector<int> pushed_axes(const Play& play);

// What one play adds to each axis at `t_us`, scaled by its gain and the device gain (0 … 10000).
Forces contribution(const Play& play, std::int64_t t_us, const StickMotion& stick, DWORD device_gain);

// The force on each axis: the sum of every playing contribution, clamped to ±10000 and rounded.
std::array<LONG, kAxes> total(const std::vector<Forces>& contributions);
// One force as the device gets it: clamped to ±10000 and rounded.
LONG rounded(double force);

// Values outside DirectInput's ranges, and parts the model leaves out (an envelope, axes given by
// object id), in words; empty when the play is drawn as DirectInput defines it.
std::vector<std::string> remarks(const Play& play);

}  // namespace tamrilo::force
