// A host whose lookup function calls back into the library: a script engine may run code of its
// own while it answers a lookup, and that code may free the context or select another joystick
// while an export is between its guard and its DirectInput calls.
#include "harness.h"

namespace tamrilo::test {
namespace {

using ReentrantHostTest = LibraryTest;

// What the host runs from inside a lookup, and what it leaves behind.
struct Reentry {
    const char* call;
    bool leaves_joystick;
    bool leaves_context;
};
const Reentry kReentries[] = {
    {"FreeDirectInput", false, false},
    {"InitDirectInput", false, true},
    {"InitJoystick_1", true, true},
};

// The exports that look up their variables first and test nothing before; they may go on to
// DirectInput whatever a lookup did.
bool tests_nothing_first(const std::string& name) {
    for (const char* open : {"Get_Versionsnummer", "InitDirectInput", "FreeDirectInput", "InitJoystick_1",
                             "InitJoystick_2", "Get_Joystick_Name_1"}) {
        if (name == open) return true;
    }
    return false;
}

std::int32_t call_export(engine::Library& library, const std::string& name) {
    if (!is_name_export(name)) return library.call(name);
    engine::HostString string;
    engine::HostString* result = library.call_with_string(name, &string);
    return result == nullptr || result == &string ? 0 : 1;
}

// Every export, with the host calling back in at its first and at its last lookup: no call may
// reach a released object, an export that found its joystick (or context) gone after the
// lookups makes no DirectInput call, and the library closes down cleanly afterwards.
TEST_F(ReentrantHostTest, EveryExportSurvivesALookupThatCallsBackIn) {
    // A context, a selected joystick and every effect slot occupied.
    const auto prepare = [&] {
        select_joystick();
        define_every_effect();
    };
    int runs = 0;
    for (const auto& name : all_export_names()) {
        if (name == "A5_DLLAPI") continue;
        TearDown();
        SetUp();
        prepare();
        host.clear_lookups();
        call_export(*library, name);
        const std::size_t lookups = host.lookups().size();
        if (lookups == 0) continue;

        for (const auto& reentry : kReentries) {
            for (const std::size_t position : {std::size_t{0}, lookups - 1}) {
                SCOPED_TRACE(name + ", " + reentry.call + " at lookup " + std::to_string(position));
                TearDown();
                SetUp();
                prepare();
                std::size_t seen = 0;
                int calls_after_reentry = -1;
                host.on_lookup = [&](const std::string&) {
                    if (seen++ != position || calls_after_reentry >= 0) return;
                    call(reentry.call);
                    calls_after_reentry = sim().sim_call_count();
                };
                EXPECT_EQ(call_export(*library, name), 0);
                host.on_lookup = nullptr;
                ASSERT_GE(calls_after_reentry, 0) << "the host never called back";
                calls_after_reentry = sim().sim_call_count() - calls_after_reentry;
                EXPECT_EQ(sim().sim_released_object_calls(), 0);

                const bool may_go_on = tests_nothing_first(name) || reentry.leaves_joystick ||
                                       (name == "Get_Joystick_Name_2" && reentry.leaves_context);
                if (!may_go_on) {
                    EXPECT_EQ(calls_after_reentry, 0) << "DirectInput calls after the joystick was dropped";
                }

                // Closing as a script would: a fresh context and selection free everything.
                call("Get_Versionsnummer");
                call("InitDirectInput");
                call("InitJoystick_1");
                call("FreeDirectInput");
                EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_NONE), 0);
                EXPECT_EQ(sim().sim_released_object_calls(), 0);
                ++runs;
            }
        }
    }
    EXPECT_GT(runs, 600);
}

// The case that crashed hosts: FreeDirectInput from inside the lookup of OV_error during
// Get_Joystick_State. The export stops without reading and writes nothing.
TEST_F(ReentrantHostTest, StateReadingStopsWhenTheJoystickIsFreedDuringItsLookups) {
    select_joystick();
    set("JOY_X_A", 5);
    set("OV_error", 6);
    bool freed = false;
    host.on_lookup = [&](const std::string& name) {
        if (name != "OV_error" || freed) return;
        freed = true;
        call("FreeDirectInput");
        set("OV_error", 6);
    };
    sim().sim_clear_log();
    EXPECT_EQ(call("Get_Joystick_State"), 0);
    host.on_lookup = nullptr;
    EXPECT_TRUE(freed);
    EXPECT_EQ(var("JOY_X_A"), 5);
    EXPECT_EQ(var("OV_error"), 6);
    EXPECT_EQ(sim().sim_count_calls(SIM_OP_GET_DEVICE_STATE), 0);
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_NONE), 0);
}

}  // namespace
}  // namespace tamrilo::test
