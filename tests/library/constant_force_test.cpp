// The constant force: direction (x, y), magnitude minus the vector's length, reported in
// OV_error (create and update) and OV_info_5 (stop).
#include "effect_support.h"

namespace tamrilo::test {
namespace {

class ConstantForceTest : public LibraryTest {
protected:
    void set_force(Fixed x, Fixed y) {
        set("FF_force_x", x);
        set("FF_force_y", y);
    }
    sim_effect_info force_effect() { return effects().at(0); }
};

TEST_F(ConstantForceTest, DefineCreatesAndStartsTheForce) {
    select_joystick();
    set_force(fx(3000), fx(4000));
    set_status({1, 2, 3, 4, 5, 6});
    host.clear_lookups();
    sim().sim_clear_log();
    call("Define_Const_Forces");

    EXPECT_EQ(host.lookups(), (std::vector<std::string>{"OV_error", "OV_info_1", "OV_info_2", "OV_info_3", "OV_info_4",
                                                        "OV_info_5", "FF_force_x", "FF_force_y"}));
    EXPECT_EQ(status(), (std::vector<Fixed>{102, 0, 0, 0, 0, 0}));

    const auto created = calls(SIM_OP_CREATE_EFFECT);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_TRUE(same_guid(created[0].guid, GUID_ConstantForce));
    EXPECT_TRUE(created[0].outer_null);
    const sim_effect_params& p = created[0].params;
    expect_common_record(p, 0x12, 0, 0, 4);
    EXPECT_EQ(p.axes[0], 0u);
    EXPECT_EQ(p.axes[1], 4u);
    EXPECT_EQ(p.direction[0], 2999);
    EXPECT_EQ(p.direction[1], 3999);
    EXPECT_EQ(block_of<DICONSTANTFORCE>(p).lMagnitude, -4998);

    const auto updates = calls(SIM_OP_SET_PARAMETERS);
    ASSERT_EQ(updates.size(), 1u);
    EXPECT_EQ(updates[0].a[0], 0x20000140u);
    EXPECT_TRUE(force_effect().playing);
}

// The magnitude is minus the length of the force, at most full scale; the direction is the force
// as it is.
TEST_F(ConstantForceTest, MagnitudeIsMinusTheLengthOfTheForce) {
    struct Case {
        Fixed x, y;
        LONG direction_x, direction_y, magnitude;
    };
    const Case cases[] = {
        {fx(3000), fx(4000), 2999, 3999, -4998},
        {fx(-3000), fx(4000), -2999, 3999, -4998},
        {fx(10000), fx(10000), 9999, 9999, -10000},
        {fx(7071), fx(7071), 7070, 7070, -9998},
        {fx(10001), 0, 10000, 0, -10000},
        {fx(10002), 0, 10001, 0, -10000},
        {0, 0, 0, 0, 0},
        {fx(1), fx(-1), 0, 0, 0},
        {1025, 0, 1, 0, -1},
        // Far beyond DirectInput's range: the squares would overflow 32 bits.
        {fx(2000000), fx(-2000000), 1999872, -1999872, -10000},
    };
    select_joystick();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        set_force(c.x, c.y);
        sim().sim_clear_log();
        call("Define_Const_Forces");
        call("Change_Const_Forces");
        for (const auto& update : calls(SIM_OP_SET_PARAMETERS)) {
            EXPECT_EQ(update.params.direction[0], c.direction_x);
            EXPECT_EQ(update.params.direction[1], c.direction_y);
            EXPECT_EQ(block_of<DICONSTANTFORCE>(update.params).lMagnitude, c.magnitude);
            EXPECT_EQ(update.result, DI_OK) << "nothing to truncate";
        }
        EXPECT_EQ(calls(SIM_OP_SET_PARAMETERS).size(), 2u);
    }
}

TEST_F(ConstantForceTest, DefineStopChangeDefine) {
    select_joystick();
    set_force(fx(100), 0);
    call("Define_Const_Forces");
    set_status({});
    host.clear_lookups();
    call("Stop_Const_Forces");
    EXPECT_EQ(host.lookups(), std::vector<std::string>{"OV_info_5"});
    EXPECT_EQ(status(), (std::vector<Fixed>{0, 0, 0, 0, 0, 80}));
    EXPECT_FALSE(force_effect().playing);
    EXPECT_FALSE(force_effect().downloaded);

    // Change sends the new components and plays the force again; it clears nothing.
    set_force(0, fx(-200));
    set_status({0, 7, 7, 7, 7, 7});
    host.clear_lookups();
    call("Change_Const_Forces");
    EXPECT_EQ(host.lookups(), (std::vector<std::string>{"OV_error", "FF_force_x", "FF_force_y"}));
    EXPECT_EQ(status(), (std::vector<Fixed>{102, 7, 7, 7, 7, 7}));
    EXPECT_TRUE(force_effect().playing);
    EXPECT_EQ(force_effect().params.direction[1], -199);
    EXPECT_EQ(block_of<DICONSTANTFORCE>(force_effect().params).lMagnitude, -199);

    // A second Define reuses the object and sends its components at once.
    set_force(fx(50), 0);
    sim().sim_clear_log();
    call("Define_Const_Forces");
    EXPECT_EQ(calls(SIM_OP_CREATE_EFFECT).size(), 0u);
    EXPECT_EQ(status(), (std::vector<Fixed>{102, 0, 0, 0, 0, 0}));
    EXPECT_EQ(block_of<DICONSTANTFORCE>(force_effect().params).lMagnitude, -49);
    EXPECT_EQ(sim().sim_effect_count(), 1);
}

TEST_F(ConstantForceTest, ChangeAndStopBeforeDefineDoNothing) {
    select_joystick();
    set_status({1, 2, 3, 4, 5, 6});
    sim().sim_clear_log();
    call("Change_Const_Forces");
    call("Stop_Const_Forces");
    EXPECT_EQ(status(), (std::vector<Fixed>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(sim().sim_call_count(), 0);
}

TEST_F(ConstantForceTest, FailingStepsReportTheirCodes) {
    struct Case {
        const char* situation;
        int op;
        const char* export_name;
        std::vector<Fixed> status;
    };
    const Case cases[] = {
        {"create fails: no update follows", SIM_OP_CREATE_EFFECT, "Define_Const_Forces", {101, 0, 0, 0, 0, 0}},
        {"update in Define fails", SIM_OP_SET_PARAMETERS, "Define_Const_Forces", {101, 0, 0, 0, 0, 0}},
        {"update in Change fails", SIM_OP_SET_PARAMETERS, "Change_Const_Forces", {101, 9, 9, 9, 9, 9}},
        {"Stop fails, Unload succeeds", SIM_OP_STOP, "Stop_Const_Forces", {9, 9, 9, 9, 9, 80}},
        {"Unload fails after Stop", SIM_OP_UNLOAD, "Stop_Const_Forces", {9, 9, 9, 9, 9, 90}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        TearDown();
        SetUp();
        select_joystick();
        if (c.op != SIM_OP_CREATE_EFFECT) call("Define_Const_Forces");
        set_status({9, 9, 9, 9, 9, 9});
        sim().sim_fail(c.op, -1, DIERR_GENERIC, 1);
        sim().sim_clear_log();
        call(c.export_name);
        EXPECT_EQ(status(), c.status);
        if (c.op == SIM_OP_CREATE_EFFECT) {
            EXPECT_EQ(calls(SIM_OP_SET_PARAMETERS).size(), 0u);
            // The slot stays empty: Change and Stop have nothing to act on.
            set_status({9, 9, 9, 9, 9, 9});
            call("Change_Const_Forces");
            call("Stop_Const_Forces");
            EXPECT_EQ(status(), (std::vector<Fixed>{9, 9, 9, 9, 9, 9}));
        }
        if (c.op == SIM_OP_STOP) {
            EXPECT_EQ(calls(SIM_OP_UNLOAD).size(), 1u);
        }
    }
}

TEST_F(ConstantForceTest, InitDirectInputReleasesTheForce) {
    select_joystick();
    call("Define_Const_Forces");
    call("Define_Sine_1");
    call("InitDirectInput");
    EXPECT_EQ(var("OV_info_5"), 1);
    EXPECT_EQ(force_effect().refs, 0);
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_EFFECT), 1) << "only the sine is kept";

    // A second InitDirectInput has no force left to release.
    call("InitDirectInput");
    EXPECT_EQ(var("OV_info_5"), 0);

    call("InitJoystick_1");
    sim().sim_clear_log();
    call("Define_Const_Forces");
    EXPECT_EQ(calls(SIM_OP_CREATE_EFFECT).size(), 1u);
    EXPECT_EQ(var("OV_error"), 102);
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_EFFECT), 1);
    EXPECT_EQ(sim().sim_released_object_calls(), 0);
}

}  // namespace
}  // namespace tamrilo::test
