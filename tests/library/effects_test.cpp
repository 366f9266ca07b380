// What every effect family shares: the guard, the conversions, the slots' independence and
// the lifetime of the effect objects across joystick selections and DirectInput contexts.
#include "effect_support.h"

namespace tamrilo::test {
namespace {

using EffectsTest = LibraryTest;

std::vector<std::string> effect_export_names() {
    std::vector<std::string> names;
    for (const auto& f : other_families()) names.insert(names.end(), {f.define, f.change, f.stop});
    for (const auto& s : periodic_slots()) names.insert(names.end(), {s.define, s.play, s.stop});
    return names;
}

std::vector<std::string> define_export_names() {
    std::vector<std::string> names;
    for (const auto& f : other_families()) names.push_back(f.define);
    for (const auto& s : periodic_slots()) names.push_back(s.define);
    return names;
}

TEST_F(EffectsTest, EveryEffectExportIsExported) {
    const auto names = effect_export_names();
    EXPECT_EQ(names.size(), 87u);
    for (const auto& name : names) EXPECT_TRUE(library->has(name)) << name;
}

// Without a selected joystick an effect export looks nothing up, writes nothing and does not
// reach DirectInput, also when effects had been defined on an earlier selection.
TEST_F(EffectsTest, GuardStopsEveryEffectExportWithoutJoystick) {
    const char* const situations[] = {"before InitDirectInput", "DirectInput open, no joystick attached",
                                      "after FreeDirectInput with effects defined"};
    for (int situation = 0; situation < 3; ++situation) {
        SCOPED_TRACE(situations[situation]);
        TearDown();
        SetUp();
        if (situation == 1) open_directinput();
        if (situation == 2) {
            select_joystick();
            for (const auto& name : define_export_names()) call(name);
            call("FreeDirectInput");
        }
        for (const auto& name : effect_export_names()) {
            SCOPED_TRACE(name);
            set_status({-1, -2, -3, -4, -5, -6});
            host.clear_lookups();
            sim().sim_clear_log();
            EXPECT_EQ(call(name), 0);
            EXPECT_TRUE(host.lookups().empty());
            EXPECT_EQ(status(), (std::vector<Fixed>{-1, -2, -3, -4, -5, -6}));
            EXPECT_EQ(sim().sim_call_count(), 0);
        }
    }
}

// Host numbers become device units by 9.765 / 10000 and periods by 9.765 / 10, multiplication
// first and truncated toward zero, with no clamping to DirectInput's range.
// The device-unit conversion, then DirectInput's range: -10000 … 10000 for offsets and
// coefficients, 0 … 10000 for the unsigned magnitude, where a negative value reads beyond full
// scale. Periods are not clamped.
TEST_F(EffectsTest, ConversionsOfHostNumbers) {
    struct Case {
        Fixed raw;
        LONG device;         // device-unit conversion, within -10000 … 10000
        DWORD magnitude;     // the same, unsigned, within 0 … 10000
        DWORD microseconds;  // time conversion
    };
    const Case cases[] = {
        {fx(10000), 9999, 9999, 9999360},
        {fx(100), 99, 99, 99993},
        {fx(1), 0, 0, 999},
        {1025, 1, 1, 1000},
        {fx(-1), 0, 0, static_cast<DWORD>(-999)},
        {fx(-100), -99, 10000, static_cast<DWORD>(-99993)},
        {fx(-500), -499, 10000, static_cast<DWORD>(-499968)},
        {fx(-2000), -1999, 10000, static_cast<DWORD>(-1999872)},
        {fx(1000), 999, 999, 999936},
        {fx(10001), 10000, 10000, 10000359},
        {fx(10002), 10000, 10000, 10001359},
        {fx(-10002), -10000, 10000, static_cast<DWORD>(-10001359)},
        {fx(20000), 10000, 10000, 19998720},
        {0, 0, 0, 0},
        // The ends of the host's range convert without saturating.
        {2147483647, 10000, 10000, 2097017781},
        {-2147483647 - 1, -10000, 10000, static_cast<DWORD>(-2097017782)},
    };
    select_joystick();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.raw);
        set("sine_1_hight", c.raw);
        set("sine_1_null", c.raw);
        set("sine_1_time", c.raw);
        set("friction_right_x", c.raw);
        sim().sim_clear_log();
        call("Define_Sine_1");
        call("Define_Friction");
        call("Change_Friction");
        const auto updates = calls(SIM_OP_SET_PARAMETERS);
        ASSERT_EQ(updates.size(), 2u);
        const auto periodic = block_of<DIPERIODIC>(updates[0].params);
        EXPECT_EQ(periodic.dwMagnitude, c.magnitude);
        EXPECT_EQ(periodic.lOffset, c.device);
        EXPECT_EQ(periodic.dwPeriod, c.microseconds);
        EXPECT_EQ(block_of<Conditions>(updates[1].params).x.lPositiveCoefficient, c.device);
        // Inside the ranges, DirectInput truncates nothing.
        for (const auto& update : updates) EXPECT_NE(update.result, DI_TRUNCATED);
    }
}

// Every effect alive at once: each export acts on its own object only.
TEST_F(EffectsTest, AllEffectsLiveSideBySide) {
    select_joystick();
    const auto defines = define_export_names();
    for (const auto& name : defines) call(name);
    ASSERT_EQ(sim().sim_effect_count(), 29);
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_EFFECT), 29);
    for (const auto& s : periodic_slots()) call(s.play);

    auto playing = [] {
        int n = 0;
        for (const auto& e : effects()) n += e.playing;
        return n;
    };
    EXPECT_EQ(playing(), 29);

    // Stopping one effect after the other stops exactly that one, and the others keep playing.
    std::vector<std::string> stops;
    for (const auto& f : other_families()) stops.push_back(f.stop);
    for (const auto& s : periodic_slots()) stops.push_back(s.stop);
    int still_playing = 29;
    for (const auto& name : stops) {
        SCOPED_TRACE(name);
        sim().sim_clear_log();
        call(name);
        const auto stopped = calls(SIM_OP_STOP);
        ASSERT_EQ(stopped.size(), 1u);
        EXPECT_EQ(calls(SIM_OP_UNLOAD).at(0).effect, stopped[0].effect);
        EXPECT_FALSE(effect_by_id(stopped[0].effect).playing);
        EXPECT_EQ(playing(), --still_playing);
    }
    EXPECT_EQ(sim().sim_effect_count(), 29);
    EXPECT_EQ(sim().sim_released_object_calls(), 0);
}

// Selecting a joystick empties every slot and releases the objects it held.
TEST_F(EffectsTest, SelectionReleasesEveryEffectObject) {
    select_joystick();
    for (const auto& name : define_export_names()) call(name);
    call("InitJoystick_2");
    EXPECT_EQ(var("OV_info_4"), 1);
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_EFFECT), 0);
    for (const auto& e : effects()) EXPECT_EQ(e.refs, 0) << e.id;

    // The next Define creates a new object on the new selection.
    call("Define_Damp");
    EXPECT_EQ(sim().sim_effect_count(), 30);
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_EFFECT), 1);
    EXPECT_EQ(sim().sim_released_object_calls(), 0);
}

TEST_F(EffectsTest, ReferencesBalanceOverContextAndSelectionCycles) {
    attach_joystick();
    for (int cycle = 0; cycle < 3; ++cycle) {
        SCOPED_TRACE(cycle);
        open_directinput();
        call("InitJoystick_1");
        for (const auto& name : define_export_names()) call(name);
        call("InitDirectInput");
        EXPECT_EQ(var("OV_info_5"), 1) << "the constant force is released";
        call("InitJoystick_2");
        for (const auto& name : define_export_names()) call(name);
        call("InitJoystick_1");
        call("FreeDirectInput");
        EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_NONE), 0);
    }
    EXPECT_EQ(sim().sim_effect_count(), 6 * 29);
    EXPECT_EQ(sim().sim_released_object_calls(), 0);
}

// A host that lacks a variable ends the export where the lookup fails, before DirectInput.
TEST_F(EffectsTest, MissingVariableEndsTheExport) {
    select_joystick();
    engine::HostEngine bare;
    for (const auto& name : kStatusNames) bare.declare(name, 0, 5);
    library->bind(bare);
    sim().sim_clear_log();
    for (const auto& name : define_export_names()) EXPECT_EQ(call(name), 0) << name;
    EXPECT_EQ(sim().sim_call_count(), 0);
    for (const auto& name : kStatusNames) EXPECT_EQ(bare.get(name), 5) << name;
}

}  // namespace
}  // namespace tamrilo::test
