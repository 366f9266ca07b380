// What the simulated joystick pushes when the library's exports play effects: downloads, restarts,
// the ways an effect ends, and stick moves, read back through the force model's control API.
#include <functional>

#include "effect_support.h"

namespace tamrilo::test {
namespace {

constexpr unsigned long long kMs = 1000;

class ForceHistoryTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        select_joystick();
    }

    sim_force_sample now() const {
        sim_force_sample sample{};
        EXPECT_TRUE(sim().sim_force_at(0, static_cast<long long>(sim().sim_clock()), &sample));
        return sample;
    }
    void wait_ms(unsigned long long ms) { sim().sim_advance_clock(ms * kMs); }

    void define_sine(int magnitude, int period_ms) {
        set("sine_1_hight", fx(magnitude));
        set("sine_1_time", fx(period_ms));
        call("Define_Sine_1");
    }

    std::vector<sim_play> plays() const {
        std::vector<sim_play> out(static_cast<std::size_t>(sim().sim_play_count()));
        for (std::size_t i = 0; i < out.size(); ++i) sim().sim_get_play(static_cast<int>(i), &out[i]);
        return out;
    }
};

TEST_F(ForceHistoryTest, ConstantForcePushesTowardItsComponents) {
    set("FF_force_x", fx(3000));
    set("FF_force_y", fx(4000));
    call("Define_Const_Forces");
    const sim_force_sample sample = now();
    // The host's 3000 and 4000 reach DirectInput as 2999 and 3999, with a magnitude of 4998.
    EXPECT_EQ(sample.force[0], 2999);
    EXPECT_EQ(sample.force[1], 3999);
    EXPECT_EQ(sample.contributions, 1);
}

// Define stores a sine without download: the device keeps playing the old one until Play,
// which downloads and restarts it at phase 0. (The host's 5000 reaches DirectInput as 4999.)
TEST_F(ForceHistoryTest, NoDownloadKeepsTheOldParametersUntilTheNextPlay) {
    define_sine(5000, 100);
    call("Play_Sine_1");
    wait_ms(25);
    EXPECT_EQ(now().force[1], 4999);
    define_sine(2000, 100);
    EXPECT_EQ(now().force[1], 4999);
    wait_ms(100);
    EXPECT_EQ(now().force[1], 4999);
    call("Play_Sine_1");
    EXPECT_EQ(now().force[1], 0);
    wait_ms(25);
    EXPECT_EQ(now().force[1], 1999);

    const auto stretches = plays();
    ASSERT_EQ(stretches.size(), 2u);
    EXPECT_EQ(stretches[0].until_us, static_cast<long long>(125 * kMs));
    EXPECT_EQ(stretches[1].started_us, static_cast<long long>(125 * kMs));
    EXPECT_EQ(stretches[1].until_us, -1);
}

TEST_F(ForceHistoryTest, EveryWayAnEffectEnds) {
    struct Case {
        const char* name;
        std::function<void()> end;
    };
    const Case cases[] = {
        {"Stop", [this] { call("Stop_Sine_1"); }},
        {"unplugging", [] { sim().sim_set_attached(0, 0); }},
        {"selecting again (release)", [this] { call("InitJoystick_1"); }},
        {"FreeDirectInput", [this] { call("FreeDirectInput"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim().sim_reset();
        library.reset();
        LibraryTest::SetUp();
        select_joystick();
        define_sine(5000, 100);
        call("Play_Sine_1");
        wait_ms(25);
        EXPECT_EQ(now().force[1], 4999);
        c.end();
        EXPECT_EQ(now().force[1], 0);
        EXPECT_EQ(now().contributions, 0);
        const auto stretches = plays();
        ASSERT_EQ(stretches.size(), 1u);
        EXPECT_EQ(stretches[0].until_us, static_cast<long long>(25 * kMs));
    }
}

// A move reaches the device's state as it goes, and the placement spring pulls the stick back.
TEST_F(ForceHistoryTest, StickMoveAndPlacementSpring) {
    for (const char* name : {"placement_right_x", "placement_left_x", "placement_right_y", "placement_left_y"})
        set(name, fx(8000));
    call("Define_Placement");
    DIJOYSTATE target{};
    target.lX = 10000;
    sim().sim_move_stick(0, &target, 1000 * kMs);
    wait_ms(500);
    sim_force_sample sample = now();
    EXPECT_EQ(sample.position[0], 5000);
    EXPECT_EQ(sample.force[0], -4000) << "7999 × 5000 / 10000, toward the centre";
    ASSERT_EQ(plays().size(), 1u);
    EXPECT_STREQ(plays()[0].remarks, "");
    call("Get_Joystick_State");
    const Fixed halfway = var("JOY_X_A");
    DIJOYSTATE placed{};
    placed.lX = 5000;
    sim().sim_set_state(0, &placed);
    call("Get_Joystick_State");
    EXPECT_EQ(var("JOY_X_A"), halfway);
}

}  // namespace
}  // namespace tamrilo::test
