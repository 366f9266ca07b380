// Worked values of the force model: waveforms, directions, condition effects, gain and the clamp.
#include <gtest/gtest.h>

#include "force/model.h"

namespace tamrilo::test {
namespace {

using namespace force;

constexpr std::int64_t kMs = 1000;
constexpr LONG kPolarNorth = 0;

Play make_play(Kind kind, DWORD first_axis, DWORD second_axis, DWORD coordinates, LONG d0, LONG d1) {
    Play play;
    play.kind = kind;
    play.params.flags = DIEFF_OBJECTOFFSETS | coordinates;
    play.params.duration = INFINITE;
    play.params.gain = 10000;
    play.params.axis_count = 2;
    play.params.axes[0] = first_axis;
    play.params.axes[1] = second_axis;
    play.params.direction[0] = d0;
    play.params.direction[1] = d1;
    return play;
}

Play periodic(Kind kind, DWORD magnitude, DWORD phase, DWORD first_axis = DIJOFS_X, DWORD second_axis = DIJOFS_Y) {
    Play play = make_play(kind, first_axis, second_axis, DIEFF_POLAR, kPolarNorth, 0);
    play.params.periodic = DIPERIODIC{magnitude, 0, phase, 100 * kMs};
    return play;
}

Play condition(Kind kind, const DICONDITION& x) {
    Play play = make_play(kind, DIJOFS_X, DIJOFS_Y, DIEFF_CARTESIAN, 0, 0);
    play.params.conditions = {x, DICONDITION{}};
    return play;
}

LONG force_x(const Play& play, std::int64_t t, const StickMotion& stick = {}) {
    return total({contribution(play, t, stick, 10000)})[0];
}
LONG force_y(const Play& play, std::int64_t t, const StickMotion& stick = {}) {
    return total({contribution(play, t, stick, 10000)})[1];
}

Positions at_x(LONG x) {
    Positions p{};
    p[0] = x;
    return p;
}

// Each waveform at 0°, 90°, 180° and 270°, reached once through dwPhase and once through time;
// a polar angle of 0 on axes (X, Y) comes from north and pushes toward +y.
TEST(ForceModel, WaveformsAtTheQuarterPhases) {
    struct Case {
        Kind kind;
        LONG at[4];
    };
    const Case cases[] = {
        {Kind::square, {5000, 5000, -5000, -5000}},    {Kind::sine, {0, 5000, 0, -5000}},
        {Kind::triangle, {5000, 0, -5000, 0}},         {Kind::sawtooth_up, {-5000, -2500, 0, 2500}},
        {Kind::sawtooth_down, {5000, 2500, 0, -2500}},
    };
    for (const Case& c : cases) {
        for (int quarter = 0; quarter < 4; ++quarter) {
            SCOPED_TRACE(std::string(effect_kind(c.kind).label) + " at " + std::to_string(quarter * 90) + " degrees");
            const Play by_phase = periodic(c.kind, 5000, static_cast<DWORD>(quarter * 9000));
            EXPECT_EQ(force_y(by_phase, 0), c.at[quarter]);
            EXPECT_EQ(force_x(by_phase, 0), 0);
            const Play by_time = periodic(c.kind, 5000, 0);
            EXPECT_EQ(force_y(by_time, quarter * 25 * kMs), c.at[quarter]);
            // One full period later the wave repeats.
            EXPECT_EQ(force_y(by_time, (quarter * 25 + 100) * kMs), c.at[quarter]);
        }
    }
}

// The same polar angle on axes (Y, X) comes from the negative x side: the square waves of the
// library push along x, its other periodic effects along y.
TEST(ForceModel, AxisOrderDecidesWhereAPolarEffectPushes) {
    const Play square = periodic(Kind::square, 4000, 0, DIJOFS_Y, DIJOFS_X);
    EXPECT_EQ(force_x(square, 0), 4000);
    EXPECT_EQ(force_y(square, 0), 0);
    Play from_east = make_play(Kind::sine, DIJOFS_X, DIJOFS_Y, DIEFF_POLAR, 9000, 0);
    from_east.params.periodic = DIPERIODIC{4000, 0, 9000, 100 * kMs};
    EXPECT_EQ(force_x(from_east, 0), -4000);  // from the +x side it pushes left
    EXPECT_EQ(force_y(from_east, 0), 0);
}

// The library's constant force (3000, 4000): magnitude -4998 against the cartesian direction.
TEST(ForceModel, ConstantForceAgainstItsDirection) {
    struct Case {
        LONG dx, dy, magnitude, want_x, want_y;
    };
    const Case cases[] = {
        {3000, 4000, -4998, 2999, 3998},
        {30, 40, -4998, 2999, 3998},  // only the direction counts, not its length
        {0, 0, -4998, 0, 0},          // no direction, no force
        {-1, 0, 2500, 2500, 0},       // a positive magnitude from the left pushes right
    };
    for (const Case& c : cases) {
        Play play = make_play(Kind::constant_force, DIJOFS_X, DIJOFS_Y, DIEFF_CARTESIAN, c.dx, c.dy);
        play.params.constant = DICONSTANTFORCE{c.magnitude};
        EXPECT_EQ(force_x(play, 0), c.want_x) << c.dx << "," << c.dy;
        EXPECT_EQ(force_y(play, 0), c.want_y) << c.dx << "," << c.dy;
    }
}

// A spring pulls back toward its offset beyond the dead band, up to its saturation.
TEST(ForceModel, SpringBeyondItsDeadBandAndAtSaturation) {
    struct Case {
        LONG offset, dead_band, coefficient;
        DWORD saturation;
        LONG position, want;
    };
    const Case cases[] = {
        {0, 200, 8000, 10000, 150, 0},                                          // inside the dead band
        {0, 200, 8000, 10000, 5000, -3840},                                     // 8000 × 4800 / 10000, pulling back
        {0, 200, 8000, 10000, -5000, 3840}, {0, 200, 8000, 3000, 5000, -3000},  // held at the saturation
        {-500, 0, 10000, 10000, -500, 0},                                       // at the offset
        {-500, 0, 10000, 10000, 0, -500},   {0, 0, -4000, 10000, 5000, 2000},   // a negative coefficient pushes away
    };
    for (const Case& c : cases) {
        const Play spring =
            condition(Kind::spring, {c.offset, c.coefficient, c.coefficient, c.saturation, c.saturation, c.dead_band});
        StickMotion stick;
        stick.place(0, at_x(c.position));
        EXPECT_EQ(force_x(spring, 0, stick), c.want) << "position " << c.position;
        EXPECT_EQ(force_y(spring, 0, stick), 0);
    }
}

// Damper and friction read the velocity: the change of position over the last 100 ms.
TEST(ForceModel, DamperAndFrictionUnderAMove) {
    StickMotion stick;
    stick.move(0, at_x(10000), 1000 * kMs);           // right at 1000 per 100 ms
    stick.move(1000 * kMs, at_x(-10000), 400 * kMs);  // back left at 5000 per 100 ms
    struct Case {
        Kind kind;
        DICONDITION x;
        std::int64_t at_ms;
        LONG want;
    };
    const Case cases[] = {
        {Kind::damper, {0, 5000, 5000, 10000, 10000, 0}, 500, -500},
        {Kind::damper, {0, 5000, 5000, 10000, 10000, 0}, 1200, 2500},
        {Kind::damper, {0, 5000, 5000, 300, 300, 0}, 500, -300},
        {Kind::damper, {0, 5000, 5000, 10000, 10000, 0}, 1600, 0},    // at rest again
        {Kind::damper, {0, 5000, 5000, 10000, 10000, 2000}, 500, 0},  // slower than the dead band
        {Kind::friction, {0, 3000, 3000, 10000, 10000, 0}, 500, -3000},
        {Kind::friction, {0, 3000, 3000, 10000, 10000, 0}, 1200, 3000},
        {Kind::friction, {0, 3000, 3000, 2000, 2000, 0}, 1200, 2000},
        {Kind::friction, {0, 3000, 3000, 10000, 10000, 0}, 1600, 0},
    };
    for (const Case& c : cases) {
        const Play play = condition(c.kind, c.x);
        EXPECT_EQ(force_x(play, c.at_ms * kMs, stick), c.want)
            << effect_kind(c.kind).label << " at " << c.at_ms << " ms";
    }
}

TEST(ForceModel, GainSumAndClamp) {
    Play push = make_play(Kind::constant_force, DIJOFS_X, DIJOFS_Y, DIEFF_CARTESIAN, -1, 0);
    push.params.constant = DICONSTANTFORCE{8000};
    const StickMotion still;
    EXPECT_EQ(total({contribution(push, 0, still, 10000), contribution(push, 0, still, 10000)})[0], 10000);
    Play pull = push;
    pull.params.direction[0] = 1;
    EXPECT_EQ(total({contribution(pull, 0, still, 10000), contribution(pull, 0, still, 10000)})[0], -10000);
    EXPECT_EQ(total({contribution(push, 0, still, 10000), contribution(pull, 0, still, 10000)})[0], 0);
    push.params.gain = 5000;
    EXPECT_EQ(total({contribution(push, 0, still, 5000)})[0], 2000);
    // A magnitude that reached DirectInput as the two's complement of a negative number.
    Play huge = periodic(Kind::square, 0xFFFFF000u, 0);
    EXPECT_EQ(force_y(huge, 0), 10000);
    EXPECT_FALSE(remarks(huge).empty());
    EXPECT_TRUE(remarks(periodic(Kind::square, 10000, 0)).empty());
    // A condition whose saturation allows no force on a side with a coefficient says so.
    EXPECT_EQ(remarks(condition(Kind::spring, {0, 5000, 0, 0, 0, 0})),
              std::vector<std::string>{"positive saturation 0: no force"});
    EXPECT_TRUE(remarks(condition(Kind::spring, {0, 5000, 5000, 10000, 10000, 0})).empty());
}

TEST(ForceModel, PlaysOnlyWithinItsStretchAndDuration) {
    Play play = periodic(Kind::square, 5000, 0);
    play.started_us = 10 * kMs;
    play.from_us = 10 * kMs;
    play.until_us = 50 * kMs;
    EXPECT_FALSE(play.playing_at(9 * kMs));
    EXPECT_TRUE(play.playing_at(10 * kMs));
    EXPECT_FALSE(play.playing_at(50 * kMs));
    play.until_us = kOpen;
    play.params.duration = 80 * kMs;
    EXPECT_TRUE(play.playing_at(89 * kMs));
    EXPECT_FALSE(play.playing_at(90 * kMs));
    // The phase counts from the start: at 10 ms a square with dwPhase 0 is at its top.
    EXPECT_EQ(force_y(play, 10 * kMs), 5000);
    EXPECT_EQ(force_y(play, 70 * kMs), -5000);
    EXPECT_EQ(force_y(play, 95 * kMs), 0);
}

TEST(ForceModel, StickMovesInAStraightLine) {
    StickMotion stick;
    EXPECT_EQ(stick.at(5 * kMs)[0], 0);
    stick.move(100 * kMs, at_x(1000), 100 * kMs);
    EXPECT_EQ(stick.at(100 * kMs)[0], 0);
    EXPECT_EQ(stick.at(150 * kMs)[0], 500);
    EXPECT_EQ(stick.at(300 * kMs)[0], 1000);
    // A move given halfway through another starts where the stick is.
    stick.move(150 * kMs, at_x(-500), 10 * kMs);
    EXPECT_EQ(stick.at(155 * kMs)[0], 0);
    EXPECT_EQ(stick.at(160 * kMs)[0], -500);
}

}  // namespace
}  // namespace tamrilo::test
