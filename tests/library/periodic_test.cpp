// The 25 periodic slots: Define creates and stores without download, Play downloads and
// starts, Stop stops and unloads; every code goes to OV_info_5 alone.
#include <stdexcept>

#include "effect_support.h"

namespace tamrilo::test {
namespace {

class PeriodicTest : public LibraryTest {
protected:
    void set_slot(const PeriodicSlotName& s, Fixed offset, Fixed magnitude, Fixed period) {
        set(s.offset, offset);
        set(s.magnitude, magnitude);
        set(s.period, period);
    }
};

const PeriodicSlotName& slot_named(const std::string& define) {
    static const auto slots = periodic_slots();
    for (const auto& s : slots) {
        if (s.define == define) return s;
    }
    throw std::out_of_range(define);
}

TEST_F(PeriodicTest, DefineOfEverySlot) {
    select_joystick();
    std::size_t index = 0;
    for (const auto& s : periodic_slots()) {
        SCOPED_TRACE(s.define);
        const bool starts = s.define == "Define_Periodic_Decresc_5";
        set_slot(s, fx(-2000), fx(10000), fx(1000));
        set_status({1, 2, 3, 4, 5, 6});
        host.clear_lookups();
        sim().sim_clear_log();
        call(s.define);

        EXPECT_EQ(host.lookups(), (std::vector<std::string>{"OV_info_5", s.period, s.magnitude, s.offset}));
        EXPECT_EQ(status(), (std::vector<Fixed>{1, 2, 3, 4, 5, 20}));
        const auto created = calls(SIM_OP_CREATE_EFFECT);
        ASSERT_EQ(created.size(), 1u);
        EXPECT_TRUE(same_guid(created[0].guid, s.guid));
        const sim_effect_params& p = created[0].params;
        expect_common_record(p, 0x22, 1000, 2000, 16);
        EXPECT_EQ(p.axes[0], s.square ? 4u : 0u);
        EXPECT_EQ(p.axes[1], s.square ? 0u : 4u);
        EXPECT_EQ(p.direction[0], 0);
        EXPECT_EQ(p.direction[1], 0);
        const auto periodic = block_of<DIPERIODIC>(p);
        EXPECT_EQ(periodic.dwMagnitude, 9999u);
        EXPECT_EQ(periodic.lOffset, -1999);
        EXPECT_EQ(periodic.dwPhase, 0u);
        EXPECT_EQ(periodic.dwPeriod, 999936u);

        const auto updates = calls(SIM_OP_SET_PARAMETERS);
        ASSERT_EQ(updates.size(), 1u);
        EXPECT_EQ(updates[0].a[0], starts ? 0x20000140u : 0x80000140u);
        const auto e = effects().at(index++);
        EXPECT_EQ(e.playing, starts ? 1 : 0);
        EXPECT_EQ(e.start_count, starts ? 1 : 0);
    }
}

TEST_F(PeriodicTest, MagnitudeAndPeriodConversions) {
    struct Case {
        Fixed magnitude;
        DWORD dw_magnitude;
        Fixed period;
        DWORD dw_period;
    };
    const Case cases[] = {
        {fx(10000), 9999, fx(1000), 999936},
        {fx(1), 0, 0, 0},
        {fx(2), 1, fx(1), 999},
        // A negative magnitude is read as unsigned, beyond full scale: it is clamped to full scale.
        {fx(-100), 10000, fx(-1), static_cast<DWORD>(-999)},
        {fx(-1), 0, fx(100000), 99993600},
        {fx(10002), 10000, fx(1), 999},
    };
    select_joystick();
    call("Define_Triangle_3");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.magnitude);
        set("triangle_3_hight", c.magnitude);
        set("triangle_3_time", c.period);
        sim().sim_clear_log();
        call("Play_Triangle_3");
        const auto block = block_of<DIPERIODIC>(calls(SIM_OP_SET_PARAMETERS).at(0).params);
        EXPECT_EQ(block.dwMagnitude, c.dw_magnitude);
        EXPECT_EQ(block.dwPeriod, c.dw_period);
    }
}

TEST_F(PeriodicTest, PlayAndStopBeforeDefine) {
    select_joystick();
    set_status({1, 2, 3, 4, 5, 6});
    host.clear_lookups();
    sim().sim_clear_log();
    call("Stop_Sine_2");
    EXPECT_EQ(status(), (std::vector<Fixed>{1, 2, 3, 4, 5, 6}));
    call("Play_Sine_2");
    EXPECT_EQ(status(), (std::vector<Fixed>{1, 2, 3, 4, 5, 27649}));
    EXPECT_EQ(host.lookups(), (std::vector<std::string>{"OV_info_5", "OV_info_5"}));
    EXPECT_EQ(sim().sim_call_count(), 0);
}

TEST_F(PeriodicTest, DefinePlayStopPlay) {
    select_joystick();
    const auto& s = slot_named("Define_Sine_4");
    set_slot(s, 0, fx(5000), fx(100));
    call(s.define);
    EXPECT_FALSE(effects().at(0).playing);

    call(s.play);
    EXPECT_EQ(var("OV_info_5"), 7168);
    EXPECT_TRUE(effects().at(0).playing);
    EXPECT_EQ(calls(SIM_OP_SET_PARAMETERS).back().a[0], 0x20000140u);

    call(s.stop);
    EXPECT_EQ(var("OV_info_5"), 80);
    EXPECT_FALSE(effects().at(0).playing);
    EXPECT_FALSE(effects().at(0).downloaded);

    // The object stays: Play starts it again with the variables' current values.
    set_slot(s, fx(10), fx(300), fx(20));
    sim().sim_clear_log();
    host.clear_lookups();
    call(s.play);
    EXPECT_EQ(host.lookups(), (std::vector<std::string>{"OV_info_5", s.period, s.magnitude, s.offset}));
    EXPECT_EQ(var("OV_info_5"), 7168);
    EXPECT_EQ(calls(SIM_OP_CREATE_EFFECT).size(), 0u);
    EXPECT_TRUE(effects().at(0).playing);
    EXPECT_EQ(effects().at(0).start_count, 2);
    const auto block = block_of<DIPERIODIC>(effects().at(0).params);
    EXPECT_EQ(block.dwMagnitude, 299u);
    EXPECT_EQ(block.lOffset, 9);
    EXPECT_EQ(block.dwPeriod, 19998u);
}

// A second Define writes no code and only stores its values; a playing effect goes on with
// the old ones until the next Play.
TEST_F(PeriodicTest, RepeatedDefineStoresWithoutRestart) {
    select_joystick();
    const auto& s = slot_named("Define_Quadrat_2");
    set_slot(s, 0, fx(1000), fx(50));
    call(s.define);
    call(s.play);
    set_slot(s, 0, fx(2000), fx(50));
    set_status({});
    sim().sim_clear_log();
    call(s.define);
    EXPECT_EQ(var("OV_info_5"), 0);
    EXPECT_EQ(calls(SIM_OP_CREATE_EFFECT).size(), 0u);
    ASSERT_EQ(calls(SIM_OP_SET_PARAMETERS).size(), 1u);
    EXPECT_EQ(calls(SIM_OP_SET_PARAMETERS)[0].a[0], 0x80000140u);
    EXPECT_EQ(effects().at(0).start_count, 1);
    EXPECT_EQ(sim().sim_effect_count(), 1);
}

TEST_F(PeriodicTest, DecrescFiveStartsOnDefineAndFourDoesNot) {
    select_joystick();
    call("Define_Periodic_Decresc_4");
    call("Define_Periodic_Decresc_5");
    const auto e = effects();
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].playing, 0);
    EXPECT_EQ(e[0].start_count, 0);
    EXPECT_EQ(e[1].playing, 1);
    EXPECT_EQ(e[1].start_count, 1);
    EXPECT_EQ(var("OV_info_5"), 20) << "the start writes no code";

    // A repeated Define of slot 5 restarts it, still without a code.
    call("Stop_Periodic_Decresc_5");
    set_status({});
    call("Define_Periodic_Decresc_5");
    EXPECT_EQ(var("OV_info_5"), 0);
    EXPECT_EQ(effects()[1].playing, 1);
    EXPECT_EQ(effects()[1].start_count, 2);
}

// Each object keeps the axis order of its own Define, although the list is shared.
TEST_F(PeriodicTest, QuadratDefineBetweenOtherDefinesKeepsEveryAxisOrder) {
    select_joystick();
    call("Define_Sine_1");
    call("Define_Quadrat_3");
    call("Define_Periodic_Cresc_2");
    call("Define_Friction");
    const auto e = effects();
    ASSERT_EQ(e.size(), 4u);
    const DWORD expected[4][2] = {{0, 4}, {4, 0}, {0, 4}, {0, 4}};
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(e[i].params.axes[0], expected[i][0]);
        EXPECT_EQ(e[i].params.axes[1], expected[i][1]);
    }
    for (const char* play : {"Play_Sine_1", "Play_Quadrat_3", "Play_Periodic_Cresc_2"}) call(play);
    EXPECT_EQ(effects()[1].params.axes[0], 4u);
    EXPECT_EQ(effects()[0].params.axes[0], 0u);
}

TEST_F(PeriodicTest, EverySlotActsOnItsOwnObject) {
    select_joystick();
    const auto slots = periodic_slots();
    for (std::size_t i = 0; i < slots.size(); ++i) {
        set_slot(slots[i], 0, fx(static_cast<int>(100 + i)), fx(10));
        call(slots[i].define);
    }
    ASSERT_EQ(sim().sim_effect_count(), 25);
    for (std::size_t i = 0; i < slots.size(); ++i) {
        SCOPED_TRACE(slots[i].play);
        sim().sim_clear_log();
        call(slots[i].play);
        EXPECT_EQ(var("OV_info_5"), 7168);
        const auto updates = calls(SIM_OP_SET_PARAMETERS);
        ASSERT_EQ(updates.size(), 1u);
        EXPECT_EQ(updates[0].effect, effects()[i].id);
        EXPECT_EQ(block_of<DIPERIODIC>(updates[0].params).dwMagnitude, static_cast<DWORD>(99 + i));
    }
    for (const auto& e : effects()) EXPECT_TRUE(e.playing) << e.id;

    // Defining a slot again touches only that slot's object.
    sim().sim_clear_log();
    call("Define_Triangle_4");
    ASSERT_EQ(calls(SIM_OP_SET_PARAMETERS).size(), 1u);
    EXPECT_EQ(calls(SIM_OP_SET_PARAMETERS)[0].effect, effects()[8].id);
    EXPECT_EQ(calls().size(), 1u);
}

TEST_F(PeriodicTest, FailingSteps) {
    struct Case {
        const char* situation;
        int op;
        bool define_first;
        const char* export_name;
        Fixed info5;
    };
    const Case cases[] = {
        {"create fails", SIM_OP_CREATE_EFFECT, false, "Define_Sine_1", 3072},
        {"update in Define is not reported", SIM_OP_SET_PARAMETERS, false, "Define_Sine_1", 20},
        {"update in Play fails", SIM_OP_SET_PARAMETERS, true, "Play_Sine_1", 8192},
        {"Stop fails", SIM_OP_STOP, true, "Stop_Sine_1", 90},
        {"Unload is not reported", SIM_OP_UNLOAD, true, "Stop_Sine_1", 80},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        TearDown();
        SetUp();
        select_joystick();
        if (c.define_first) {
            call("Define_Sine_1");
            call("Play_Sine_1");
        }
        set_status({9, 9, 9, 9, 9, 9});
        sim().sim_fail(c.op, -1, DIERR_GENERIC, 1);
        sim().sim_clear_log();
        call(c.export_name);
        EXPECT_EQ(status(), (std::vector<Fixed>{9, 9, 9, 9, 9, c.info5}));
        if (c.op == SIM_OP_CREATE_EFFECT) {
            EXPECT_EQ(calls(SIM_OP_SET_PARAMETERS).size(), 0u);
            call("Play_Sine_1");
            EXPECT_EQ(var("OV_info_5"), 27649);
        }
        if (c.op == SIM_OP_STOP) {
            EXPECT_EQ(calls(SIM_OP_UNLOAD).size(), 1u);
        }
    }
}

TEST_F(PeriodicTest, PlayAfterNewSelectionFindsNoEffect) {
    select_joystick();
    call("Define_Sine_1");
    call("Play_Sine_1");
    call("InitJoystick_1");
    sim().sim_clear_log();
    call("Play_Sine_1");
    EXPECT_EQ(var("OV_info_5"), 27649);
    EXPECT_EQ(sim().sim_call_count(), 0);
    EXPECT_EQ(effects().at(0).refs, 0);

    call("Define_Sine_1");
    EXPECT_EQ(var("OV_info_5"), 20);
    call("Play_Sine_1");
    EXPECT_EQ(var("OV_info_5"), 7168);
    EXPECT_EQ(sim().sim_effect_count(), 2);
    EXPECT_EQ(sim().sim_released_object_calls(), 0);
}

}  // namespace
}  // namespace tamrilo::test
