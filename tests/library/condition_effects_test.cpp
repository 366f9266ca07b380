// The condition effects: placement spring, friction and damper, one DICONDITION per axis.
#include "effect_support.h"

namespace tamrilo::test {
namespace {

// One host variable and where it lands: axis 0 (x) or 1 (y), and the DICONDITION field.
struct Feed {
    const char* variable;
    int axis;
    LONG DICONDITION::*field;
};

struct Family {
    const char* define;
    const char* change;
    const char* stop;
    GUID guid;
    std::vector<Feed> feeds;
    std::vector<std::string> define_lookups, change_lookups;
};

const std::vector<Family>& families() {
    static const std::vector<Family> f = {
        {"Define_Placement",
         "Change_Placement",
         "Stop_Placement",
         GUID_Spring,
         {{"placement_middle_x", 0, &DICONDITION::lOffset},
          {"placement_middle_y", 1, &DICONDITION::lOffset},
          {"placement_dead_x", 0, &DICONDITION::lDeadBand},
          {"placement_dead_y", 1, &DICONDITION::lDeadBand},
          {"placement_left_x", 0, &DICONDITION::lNegativeCoefficient},
          {"placement_left_y", 1, &DICONDITION::lNegativeCoefficient},
          {"placement_right_x", 0, &DICONDITION::lPositiveCoefficient},
          {"placement_right_y", 1, &DICONDITION::lPositiveCoefficient}},
         {"placement_middle_x", "placement_dead_x", "placement_left_x", "placement_right_x", "placement_middle_y",
          "placement_dead_y", "placement_left_y", "placement_right_y", "OV_error", "OV_info_1", "OV_info_2",
          "OV_info_3", "OV_info_4", "OV_info_5"},
         {"placement_middle_x", "placement_middle_y", "placement_dead_x", "placement_dead_y", "placement_left_x",
          "placement_left_y", "placement_right_x", "placement_right_y", "OV_info_5"}},
        {"Define_Friction",
         "Change_Friction",
         "Stop_Friction",
         GUID_Friction,
         {{"friction_right_x", 0, &DICONDITION::lPositiveCoefficient},
          {"friction_left_x", 0, &DICONDITION::lNegativeCoefficient},
          {"friction_up_y", 1, &DICONDITION::lPositiveCoefficient},
          {"friction_down_y", 1, &DICONDITION::lNegativeCoefficient}},
         {"OV_info_5", "friction_right_x", "friction_left_x", "friction_up_y", "friction_down_y"},
         {"friction_right_x", "friction_left_x", "friction_up_y", "friction_down_y", "OV_info_5"}},
        {"Define_Damp",
         "Change_Damp",
         "Stop_Damp",
         GUID_Damper,
         {{"damp_max_procent_right_x", 0, &DICONDITION::lPositiveCoefficient},
          {"damp_max_procent_left_x", 0, &DICONDITION::lNegativeCoefficient},
          {"damp_null_procent_x", 0, &DICONDITION::lOffset},
          {"damp_max_procent_up_y", 1, &DICONDITION::lPositiveCoefficient},
          {"damp_max_procent_down_y", 1, &DICONDITION::lNegativeCoefficient},
          {"damp_null_procent_y", 1, &DICONDITION::lOffset}},
         {"OV_info_5", "damp_max_procent_right_x", "damp_max_procent_left_x", "damp_null_procent_x",
          "damp_max_procent_up_y", "damp_max_procent_down_y", "damp_null_procent_y"},
         {"OV_info_5", "damp_max_procent_right_x", "damp_max_procent_left_x", "damp_null_procent_x",
          "damp_max_procent_up_y", "damp_max_procent_down_y", "damp_null_procent_y"}},
    };
    return f;
}

bool is_spring(const Family& f) { return std::string(f.define) == "Define_Placement"; }

class ConditionTest : public LibraryTest {
protected:
    // Gives every variable of the family a whole number of its own, 100 apart from `base`;
    // returns the block those numbers make, with the full saturations of the Define (a dead band
    // is never below 0).
    Conditions set_values(const Family& f, int base) {
        Conditions expected{};
        for (DICONDITION* axis : {&expected.x, &expected.y}) {
            axis->dwPositiveSaturation = axis->dwNegativeSaturation = 10000;
        }
        DICONDITION* axes[2] = {&expected.x, &expected.y};
        int n = base;
        for (const auto& feed : f.feeds) {
            set(feed.variable, fx(n));
            axes[feed.axis]->*feed.field = n > 0 ? n - 1 : n + 1;  // one lower in magnitude
            if (feed.field == &DICONDITION::lDeadBand && n < 0) axes[feed.axis]->*feed.field = 0;
            n += n < 0 ? -100 : 100;
        }
        return expected;
    }
    static void expect_block(const sim_effect_params& p, const Conditions& want) {
        EXPECT_EQ(p.type_specific_size, 48u);
        const auto got = block_of<Conditions>(p);
        EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0)
            << "x: " << got.x.lOffset << " " << got.x.lPositiveCoefficient << " " << got.x.lNegativeCoefficient << " "
            << got.x.dwPositiveSaturation << " " << got.x.dwNegativeSaturation << " " << got.x.lDeadBand
            << " y: " << got.y.lOffset << " " << got.y.lPositiveCoefficient << " " << got.y.lNegativeCoefficient << " "
            << got.y.dwPositiveSaturation << " " << got.y.dwNegativeSaturation << " " << got.y.lDeadBand;
    }
};

TEST_F(ConditionTest, DefineCreatesAndStarts) {
    for (const auto& f : families()) {
        SCOPED_TRACE(f.define);
        TearDown();
        SetUp();
        select_joystick();
        const Conditions expected = set_values(f, 1000);
        set_status({1, 2, 3, 4, 5, 6});
        host.clear_lookups();
        sim().sim_clear_log();
        call(f.define);

        EXPECT_EQ(host.lookups(), f.define_lookups);
        EXPECT_EQ(status(),
                  is_spring(f) ? (std::vector<Fixed>{0, 0, 0, 0, 30, 20}) : (std::vector<Fixed>{1, 2, 3, 4, 5, 10}));
        const auto created = calls(SIM_OP_CREATE_EFFECT);
        ASSERT_EQ(created.size(), 1u);
        EXPECT_TRUE(same_guid(created[0].guid, f.guid));
        EXPECT_TRUE(created[0].outer_null);
        const sim_effect_params& p = created[0].params;
        expect_common_record(p, 0x22, 0, 0, 48);
        EXPECT_EQ(p.axes[0], 0u);
        EXPECT_EQ(p.axes[1], 4u);
        EXPECT_EQ(p.direction[0], 0);
        EXPECT_EQ(p.direction[1], 0);
        expect_block(p, expected);

        const auto started = calls(SIM_OP_START);
        ASSERT_EQ(started.size(), 1u);
        EXPECT_EQ(started[0].a[0], 1u);
        EXPECT_EQ(started[0].a[1], 0u);
        EXPECT_EQ(calls(SIM_OP_SET_PARAMETERS).size(), 0u);
        EXPECT_TRUE(effects().at(0).playing);
    }
}

TEST_F(ConditionTest, WorkedValues) {
    struct Case {
        const char* variable;
        Fixed value;
        int axis;
        LONG DICONDITION::*field;
        LONG expected;
    };
    const Case cases[] = {
        {"placement_right_x", fx(10000), 0, &DICONDITION::lPositiveCoefficient, 9999},
        {"placement_left_x", fx(10000), 0, &DICONDITION::lNegativeCoefficient, 9999},
        {"placement_dead_x", fx(1), 0, &DICONDITION::lDeadBand, 0},
        {"placement_middle_x", fx(-500), 0, &DICONDITION::lOffset, -499},
        {"friction_right_x", fx(5000), 0, &DICONDITION::lPositiveCoefficient, 4999},
        {"friction_left_x", fx(-1), 0, &DICONDITION::lNegativeCoefficient, 0},
        {"friction_up_y", fx(300), 1, &DICONDITION::lPositiveCoefficient, 299},
        {"friction_down_y", fx(400), 1, &DICONDITION::lNegativeCoefficient, 399},
        {"damp_max_procent_right_x", fx(100), 0, &DICONDITION::lPositiveCoefficient, 99},
        {"damp_max_procent_right_x", fx(10000), 0, &DICONDITION::lPositiveCoefficient, 9999},
        {"damp_null_procent_y", fx(-2000), 1, &DICONDITION::lOffset, -1999},
        {"damp_max_procent_up_y", fx(700), 1, &DICONDITION::lPositiveCoefficient, 699},
        // Beyond DirectInput's ranges: clamped to -10000 … 10000, dead bands to 0 … 10000.
        {"placement_right_x", fx(20000), 0, &DICONDITION::lPositiveCoefficient, 10000},
        {"placement_left_x", fx(-20000), 0, &DICONDITION::lNegativeCoefficient, -10000},
        {"placement_middle_y", fx(10002), 1, &DICONDITION::lOffset, 10000},
        {"placement_dead_x", fx(-500), 0, &DICONDITION::lDeadBand, 0},
        {"placement_dead_y", fx(20000), 1, &DICONDITION::lDeadBand, 10000},
        {"friction_down_y", 2147483647, 1, &DICONDITION::lNegativeCoefficient, 10000},
        {"damp_null_procent_x", -2147483647 - 1, 0, &DICONDITION::lOffset, -10000},
    };
    select_joystick();
    for (const auto& f : families()) call(f.define);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.variable);
        const Family* family = nullptr;
        for (const auto& f : families()) {
            for (const auto& feed : f.feeds) {
                if (std::string(feed.variable) == c.variable) family = &f;
            }
        }
        ASSERT_NE(family, nullptr);
        set(c.variable, c.value);
        sim().sim_clear_log();
        call(family->change);
        const auto update = calls(SIM_OP_SET_PARAMETERS).at(0);
        const auto block = block_of<Conditions>(update.params);
        EXPECT_EQ((c.axis == 0 ? block.x : block.y).*c.field, c.expected);
        EXPECT_EQ(update.result, DI_OK) << "nothing to truncate";
    }
}

// A repeated Define starts the existing object as it is; the new values wait for Change.
TEST_F(ConditionTest, RepeatedDefineKeepsOldValuesUntilChange) {
    for (const auto& f : families()) {
        SCOPED_TRACE(f.define);
        TearDown();
        SetUp();
        select_joystick();
        const Conditions first = set_values(f, 1000);
        call(f.define);
        const Conditions second = set_values(f, -3000);
        set_status({});
        sim().sim_clear_log();
        call(f.define);
        EXPECT_EQ(status(),
                  is_spring(f) ? (std::vector<Fixed>{0, 0, 0, 0, 30, 10}) : (std::vector<Fixed>{0, 0, 0, 0, 0, 10}));
        EXPECT_EQ(calls(SIM_OP_CREATE_EFFECT).size(), 0u);
        EXPECT_EQ(calls(SIM_OP_SET_PARAMETERS).size(), 0u);
        EXPECT_EQ(calls(SIM_OP_START).size(), 1u);
        expect_block(effects().at(0).params, first);

        host.clear_lookups();
        call(f.change);
        EXPECT_EQ(host.lookups(), f.change_lookups);
        EXPECT_EQ(var("OV_info_5"), is_spring(f) ? 4096 : 7168);
        const auto updates = calls(SIM_OP_SET_PARAMETERS);
        ASSERT_EQ(updates.size(), 1u);
        EXPECT_EQ(updates[0].a[0], 0x20000140u);
        expect_block(effects().at(0).params, second);
        EXPECT_EQ(sim().sim_effect_count(), 1);
    }
}

TEST_F(ConditionTest, DefineStopChange) {
    for (const auto& f : families()) {
        SCOPED_TRACE(f.define);
        TearDown();
        SetUp();
        select_joystick();
        call(f.define);
        set_status({7, 7, 7, 7, 7, 7});
        call(f.stop);
        EXPECT_EQ(status(), (std::vector<Fixed>{7, 7, 7, 7, 7, 80}));
        EXPECT_FALSE(effects().at(0).playing);
        EXPECT_FALSE(effects().at(0).downloaded);
        call(f.change);
        EXPECT_TRUE(effects().at(0).playing) << "Change starts the effect again";
        EXPECT_EQ(status()[0], 7);
    }
}

TEST_F(ConditionTest, ChangeAndStopBeforeDefineDoNothing) {
    select_joystick();
    for (const auto& f : families()) {
        SCOPED_TRACE(f.define);
        set_status({1, 2, 3, 4, 5, 6});
        sim().sim_clear_log();
        call(f.change);
        call(f.stop);
        EXPECT_EQ(status(), (std::vector<Fixed>{1, 2, 3, 4, 5, 6}));
        EXPECT_EQ(sim().sim_call_count(), 0);
    }
}

TEST_F(ConditionTest, FailingSteps) {
    struct Case {
        const char* situation;
        int op;
        int step;  // 0 Define, 1 Change, 2 Stop
        std::vector<Fixed> spring, others;
    };
    const Case cases[] = {
        {"create fails, no start", SIM_OP_CREATE_EFFECT, 0, {0, 0, 0, 0, 0, 3072}, {9, 9, 9, 9, 9, 3072}},
        {"start fails", SIM_OP_START, 0, {0, 0, 0, 0, 40962, 20}, {9, 9, 9, 9, 9, 60}},
        {"update fails", SIM_OP_SET_PARAMETERS, 1, {9, 9, 9, 9, 9, 5120}, {9, 9, 9, 9, 9, 8192}},
        {"Stop fails, Unload succeeds", SIM_OP_STOP, 2, {9, 9, 9, 9, 9, 80}, {9, 9, 9, 9, 9, 80}},
        {"Unload fails", SIM_OP_UNLOAD, 2, {9, 9, 9, 9, 9, 90}, {9, 9, 9, 9, 9, 90}},
    };
    for (const auto& c : cases) {
        for (const auto& f : families()) {
            SCOPED_TRACE(testing::Message() << c.situation << ", " << f.define);
            TearDown();
            SetUp();
            select_joystick();
            if (c.step > 0) call(f.define);
            set_status({9, 9, 9, 9, 9, 9});
            sim().sim_fail(c.op, -1, DIERR_GENERIC, 1);
            sim().sim_clear_log();
            call(c.step == 0 ? f.define : c.step == 1 ? f.change : f.stop);
            EXPECT_EQ(status(), is_spring(f) ? c.spring : c.others);
            if (c.op == SIM_OP_CREATE_EFFECT) {
                EXPECT_EQ(calls(SIM_OP_START).size(), 0u);
            }
            if (c.op == SIM_OP_STOP) {
                EXPECT_EQ(calls(SIM_OP_UNLOAD).size(), 1u);
            }
        }
    }
}

TEST_F(ConditionTest, AllEffectFamiliesTogether) {
    select_joystick();
    for (const auto& f : families()) set_values(f, 200);
    set("FF_force_x", fx(100));
    call("Define_Const_Forces");
    for (const auto& f : families()) call(f.define);
    call("Define_Sine_1");
    call("Define_Quadrat_5");
    const auto e = effects();
    ASSERT_EQ(e.size(), 6u);
    EXPECT_TRUE(same_guid(e[0].guid, GUID_ConstantForce));
    for (std::size_t i = 0; i < families().size(); ++i) {
        SCOPED_TRACE(families()[i].define);
        EXPECT_TRUE(same_guid(e[i + 1].guid, families()[i].guid));
        EXPECT_TRUE(e[i + 1].playing);
    }
    EXPECT_EQ(e[5].params.axes[0], 4u);

    // Changing one family sends only its own block to its own object.
    for (std::size_t i = 0; i < families().size(); ++i) {
        const auto& f = families()[i];
        SCOPED_TRACE(f.change);
        const Conditions expected = set_values(f, 4000);
        sim().sim_clear_log();
        call(f.change);
        const auto updates = calls(SIM_OP_SET_PARAMETERS);
        ASSERT_EQ(updates.size(), 1u);
        EXPECT_EQ(updates[0].effect, e[i + 1].id);
        expect_block(updates[0].params, expected);
    }
    EXPECT_EQ(block_of<DICONSTANTFORCE>(effects()[0].params).lMagnitude, -99);
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_EFFECT), 6);
    EXPECT_EQ(sim().sim_released_object_calls(), 0);
}

}  // namespace
}  // namespace tamrilo::test
