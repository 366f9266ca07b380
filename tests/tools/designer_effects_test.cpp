// The designer's effects: every slot of the library offered once, values refused before they
// reach the library, and the DirectInput values shown as the library converts them.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "harness.h"
#include "tools/tamrilo-host/designer/effects.h"

namespace tamrilo::designer {
namespace {

Values initial(const Effect& effect) {
    Values v;
    for (const auto& variable : effect.variables) v[variable.name] = variable.initial;
    return v;
}

long long sent(const Preview& p, const std::string& field) {
    for (const auto& f : p.sent) {
        if (f.field == field) return f.value;
    }
    ADD_FAILURE() << "no field " << field;
    return 0;
}

TEST(DesignerEffects, EverySlotOnceWithItsExportsAndRanges) {
    std::set<std::string> families;
    for (const Effect& e : effects()) {
        families.insert(e.family);
        EXPECT_FALSE(e.variables.empty()) << e.family;
        for (const auto& v : e.variables) EXPECT_LT(v.min, v.max) << v.name;
    }
    EXPECT_EQ(effects().size(), 29u);
    EXPECT_EQ(families.size(), 29u);
    const Effect& square = effect_named("quadrat_5");
    EXPECT_EQ(square.define + " " + square.start + " " + square.stop, "Define_Quadrat_5 Play_Quadrat_5 Stop_Quadrat_5");
    const Effect& damper = effect_named("damper");
    EXPECT_EQ(damper.define + " " + damper.start + " " + damper.stop, "Define_Damp Change_Damp Stop_Damp");
    EXPECT_THROW(effect_named("sine_6"), DesignError);
}

TEST(DesignerEffects, ValuesOutsideTheirRangeOrNotNumbersAreRefused) {
    const Effect& sine = effect_named("sine_1");
    const struct {
        const char* magnitude;
        const char* period;
        const char* message;  // empty: accepted
    } cases[] = {
        {"5000", "100", ""},
        {"-10000", "0", ""},
        {"10000.5", "100", "sine_1_hight: 10000.5 is outside -10000 to 10000; nothing was sent"},
        {"5000", "-1", "sine_1_time: -1 is outside 0 to 10000; nothing was sent"},
        {"5e3x", "100", "sine_1_hight: '5e3x' is not a number"},
        {"", "100", "sine_1_hight: '' is not a number"},
        {"nan", "100", "sine_1_hight: 'nan' is not a number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.magnitude);
        const std::map<std::string, std::string> given = {
            {"sine_1_null", "0"}, {"sine_1_hight", c.magnitude}, {"sine_1_time", c.period}};
        try {
            checked_values(sine, given);
            EXPECT_STREQ(c.message, "");
        } catch (const DesignError& e) {
            EXPECT_EQ(e.what(), std::string(c.message));
        }
    }
    EXPECT_THROW(checked_values(sine, {{"sine_1_null", "0"}, {"sine_1_hight", "1"}}), DesignError);
}

TEST(DesignerEffects, SentValuesAreTheLibrarysConversions) {
    const struct {
        const char* family;
        Values values;
        const char* field;
        long long expected;
    } cases[] = {
        {"sine_1", {{"sine_1_null", -500}, {"sine_1_hight", 5000}, {"sine_1_time", 1000}}, "dwMagnitude", 4999},
        {"sine_1", {{"sine_1_null", -500}, {"sine_1_hight", 5000}, {"sine_1_time", 1000}}, "lOffset", -499},
        {"sine_1", {{"sine_1_null", -500}, {"sine_1_hight", 5000}, {"sine_1_time", 1000}}, "dwPeriod", 999936},
        // A negative magnitude reaches DirectInput as its two's complement.
        {"triangle_2", {{"triangle_2_null", 0}, {"triangle_2_hight", -1}, {"triangle_2_time", 1}}, "dwMagnitude", 0},
        {"triangle_2",
         {{"triangle_2_null", 0}, {"triangle_2_hight", -500}, {"triangle_2_time", 1}},
         "dwMagnitude",
         10000},
        {"constant", {{"FF_force_x", 3000}, {"FF_force_y", 4000}}, "lMagnitude", -4998},
        {"constant", {{"FF_force_x", 10000}, {"FF_force_y", 10000}}, "lMagnitude", -10000},
        {"constant", {{"FF_force_x", 3000}, {"FF_force_y", 4000}}, "y: rglDirection", 3999},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.family) + " " + c.field);
        EXPECT_EQ(sent(preview(effect_named(c.family), c.values), c.field), c.expected);
    }
}

// The preview is the force model's: a sine of 5000 on X, Y comes from north and pushes toward +y
// a quarter period in; the square, on Y, X, pushes along x.
TEST(DesignerEffects, PeriodicPreviewPushesAlongTheSlotsAxis) {
    const struct {
        const char* family;
        std::size_t pushed, idle;
    } cases[] = {{"sine_3", 1, 0}, {"quadrat_3", 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.family);
        const Effect& e = effect_named(c.family);
        Values v = initial(e);
        const Preview p = preview(e, v);
        ASSERT_EQ(p.series.size(), 2u);
        double largest = 0, idle = 0;
        for (const auto& point : p.series[c.pushed].points) largest = std::max(largest, point.second);
        for (const auto& point : p.series[c.idle].points) idle = std::max(idle, std::abs(point.second));
        EXPECT_NEAR(largest, 4999, 1);
        EXPECT_EQ(idle, 0);
        EXPECT_NEAR(p.series[c.pushed].points.back().first, 3 * 99.993, 0.01);  // three periods, in ms
    }
}

TEST(DesignerEffects, ScriptLinesSetEveryVariableThenCall) {
    const Effect& e = effect_named("friction");
    const auto lines = script_lines(e, initial(e), e.start);
    ASSERT_EQ(lines.size(), e.variables.size() + 1);
    EXPECT_EQ(lines.front(), "set friction_right_x 5000");
    EXPECT_EQ(lines.back(), "call Change_Friction");
}

}  // namespace
}  // namespace tamrilo::designer

namespace tamrilo::test {
namespace {

// The type-specific record as DirectInput receives it: the blocks one after the other.
std::vector<unsigned char> record_bytes(const force::Parameters& p) {
    std::vector<unsigned char> out;
    const auto add = [&out](const auto& block) {
        const auto* first = reinterpret_cast<const unsigned char*>(&block);
        out.insert(out.end(), first, first + sizeof block);
    };
    if (p.constant) add(*p.constant);
    if (p.periodic) add(*p.periodic);
    for (const DICONDITION& c : p.conditions) add(c);
    return out;
}

// What the page shows as sent is what the library sends: the preview's record against the
// effect object's parameters in the simulated DirectInput after Define and Play or Change.
class DesignerRecordTest : public LibraryTest {};

TEST_F(DesignerRecordTest, PreviewRecordIsTheOneTheLibrarySends) {
    const struct {
        const char* family;
        designer::Values values;
    } cases[] = {
        {"sine_1", {{"sine_1_null", -500}, {"sine_1_hight", 5000}, {"sine_1_time", 100}}},
        {"periodic_decresc_5",
         {{"periodic_decresc_5_null", 0}, {"periodic_decresc_5_hight", -500}, {"periodic_decresc_5_time", 80}}},
        {"quadrat_2", {{"quadrat_2_null", 1000}, {"quadrat_2_hight", 10000}, {"quadrat_2_time", 10000}}},
        {"constant", {{"FF_force_x", 3000}, {"FF_force_y", -4000}}},
        {"constant", {{"FF_force_x", 10000}, {"FF_force_y", 10000}}},
        {"placement",
         {{"placement_middle_x", 100},
          {"placement_middle_y", -100},
          {"placement_dead_x", 300},
          {"placement_dead_y", 0},
          {"placement_left_x", 6000},
          {"placement_left_y", -2000},
          {"placement_right_x", 6000},
          {"placement_right_y", 10000}}},
        {"friction",
         {{"friction_right_x", 3000}, {"friction_left_x", 2000}, {"friction_up_y", -1}, {"friction_down_y", 0}}},
        {"damper",
         {{"damp_null_procent_x", 0},
          {"damp_null_procent_y", 50},
          {"damp_max_procent_right_x", 100},
          {"damp_max_procent_left_x", 9000},
          {"damp_max_procent_up_y", 4000},
          {"damp_max_procent_down_y", 4000}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.family);
        TearDown();
        SetUp();
        declare_all();
        select_joystick();
        const designer::Effect& effect = designer::effect_named(c.family);
        for (const auto& [name, value] : c.values) set(name, engine::to_fixed(value));
        call(effect.define);
        call(effect.start);
        sim_effect_info info{};
        ASSERT_TRUE(sim().sim_get_effect(sim().sim_effect_count() - 1, &info));
        const force::Parameters expected = designer::sent_record(effect, c.values);
        EXPECT_EQ(info.params.flags, expected.flags);
        EXPECT_EQ(info.params.axes[0], expected.axes[0]);
        EXPECT_EQ(info.params.direction[0], expected.direction[0]);
        if (expected.flags & DIEFF_CARTESIAN) {
            EXPECT_EQ(info.params.direction[1], expected.direction[1]);
        }
        const auto bytes = record_bytes(expected);
        ASSERT_EQ(info.params.type_specific_size, bytes.size());
        EXPECT_EQ(0, std::memcmp(info.params.type_specific, bytes.data(), bytes.size()));
    }
}

}  // namespace
}  // namespace tamrilo::test
