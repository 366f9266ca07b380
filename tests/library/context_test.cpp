// Opening and freeing the DirectInput context.
#include "harness.h"

namespace tamrilo::test {
namespace {

using ContextTest = LibraryTest;
using Status = std::vector<Fixed>;

TEST_F(ContextTest, FreshInitCreatesVersionFiveObject) {
    set_status({9, 9, 9, 9, 9, 9});
    call("Get_Versionsnummer");
    EXPECT_EQ(call("InitDirectInput"), 0);
    EXPECT_EQ(status(), (Status{0, 1, 0, 0, 0, 0}));
    const auto created = calls(SIM_OP_CREATE);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].a[0], 0x0500u);
    EXPECT_NE(created[0].handle, 0u) << "the module handle reaches DirectInput";
    EXPECT_EQ(created[0].outer_null, 1);
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_DIRECTINPUT), 1);
}

TEST_F(ContextTest, SecondInitReleasesTheFirstObject) {
    open_directinput();
    call("InitDirectInput");
    EXPECT_EQ(status(), (Status{0, 1, 1, 0, 0, 0}));
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_NONE), 1);
}

TEST_F(ContextTest, InitAfterSelectionReleasesTheJoystick) {
    select_joystick();
    call("InitDirectInput");
    EXPECT_EQ(status(), (Status{0, 1, 1, 2, 0, 0}));
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_DEVICE), 0);
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_NONE), 1);
    // The selection is gone: a joystick export has nothing to read.
    set("OV_error", 55);
    call("Get_Joystick_State");
    EXPECT_EQ(var("OV_error"), 55);
}

// Only a version strictly between 1.4 and 1.6 opens DirectInput; a refusal changes nothing but
// the six status variables, which all read 0.
TEST_F(ContextTest, VersionWindow) {
    struct Case {
        Fixed version;
        bool accepted;
    };
    const Case cases[] = {{1536, true}, {1434, true},   {1638, true},       {1433, false},     {1639, false},
                          {0, false},   {-1536, false}, {INT32_MIN, false}, {INT32_MAX, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        sim().sim_reset();
        set("FF_versionsnummer", c.version);
        set_status({5, 5, 5, 5, 5, 5});
        call("InitDirectInput");
        EXPECT_EQ(status(), c.accepted ? (Status{0, 1, 0, 0, 0, 0}) : (Status{0, 0, 0, 0, 0, 0}));
        EXPECT_EQ(sim().sim_count_calls(SIM_OP_CREATE), c.accepted ? 1 : 0);
        call("FreeDirectInput");
    }
}

TEST_F(ContextTest, RefusedVersionKeepsTheOldContext) {
    select_joystick();
    const int live = sim().sim_live_objects(SIM_OBJECT_NONE);
    set("FF_versionsnummer", 0);
    call("InitDirectInput");
    EXPECT_EQ(status(), (Status{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_NONE), live);
    call("Get_Joystick_State");
    EXPECT_EQ(var("OV_error"), 97) << "the joystick is still usable";
}

// Any result but DI_OK is a failed creation, success codes included: the context is then
// unusable and whatever object came back has been given up.
TEST_F(ContextTest, FailedCreationLeavesNoUsableContext) {
    for (HRESULT failure : {DIERR_OLDDIRECTINPUTVERSION, DIERR_GENERIC, S_FALSE}) {
        SCOPED_TRACE(failure);
        sim().sim_reset();
        open_directinput();
        sim().sim_fail(SIM_OP_CREATE, -1, failure, 1);
        call("InitDirectInput");
        EXPECT_EQ(status(), (Status{1, 0, 1, 0, 0, 0}));
        EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_NONE), 0);
        call("InitJoystick_1");
        EXPECT_EQ(var("OV_error"), 2) << "selection refuses without a context";
        engine::HostString string;
        string.words[3] = 0xAB;
        EXPECT_EQ(library->call_with_string("Get_Joystick_Name_1", &string), nullptr);
        EXPECT_EQ(string.words[3], 0xABu);
        EXPECT_EQ(sim().sim_released_object_calls(), 0);
    }
}

TEST_F(ContextTest, FreeReleasesJoystickAndContext) {
    select_joystick();
    set_status({9, 9, 9, 9, 9, 9});
    call("FreeDirectInput");
    EXPECT_EQ(status(), (Status{0, 1, 2, 0, 0, 0}));
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_NONE), 0);
    call("InitJoystick_1");
    EXPECT_EQ(var("OV_error"), 2);
    set_status({9, 9, 9, 9, 9, 9});
    call("FreeDirectInput");
    EXPECT_EQ(status(), (Status{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(sim().sim_released_object_calls(), 0);
}

TEST_F(ContextTest, FreeOnFreshLibraryOnlyClearsStatus) {
    set_status({9, 9, 9, 9, 9, 9});
    call("FreeDirectInput");
    EXPECT_EQ(status(), (Status{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(sim().sim_call_count(), 0);
}

TEST_F(ContextTest, RepeatedCyclesLeaveNothingBehind) {
    attach_joystick();
    for (int i = 0; i < 5; ++i) {
        open_directinput();
        call(i % 2 ? "InitJoystick_2" : "InitJoystick_1");
        call("Get_Joystick_State");
        if (i % 3 == 0) call("FreeDirectInput");
    }
    call("FreeDirectInput");
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_NONE), 0);
    EXPECT_EQ(sim().sim_released_object_calls(), 0);
}

// Each export looks up its variables afresh, in a fixed order; a host that lacks one stops the
// export exactly there, so the order is part of what scripts see.
TEST_F(ContextTest, LookupOrder) {
    std::vector<std::string> joystick = kStatusNames;
    for (const char* axis : {"JOY_X_A", "JOY_Y_A", "JOY_RUD_A", "JOY_ROT_A", "JOY_VIEW"}) joystick.push_back(axis);
    for (int b = 1; b <= 16; ++b) joystick.push_back("BUTTON_" + std::to_string(b));
    std::vector<std::string> init = {"FF_versionsnummer"};
    init.insert(init.end(), kStatusNames.begin(), kStatusNames.end());
    const std::pair<const char*, std::vector<std::string>> cases[] = {{"InitDirectInput", init},
                                                                      {"InitJoystick_1", joystick},
                                                                      {"InitJoystick_2", joystick},
                                                                      {"FreeDirectInput", kStatusNames}};
    attach_joystick();
    call("Get_Versionsnummer");
    for (const auto& [export_name, expected] : cases) {
        SCOPED_TRACE(export_name);
        host.clear_lookups();
        call(export_name);
        EXPECT_EQ(host.lookups(), expected);
    }
}

TEST_F(ContextTest, MissingStatusVariableStopsBeforeDirectInput) {
    engine::HostEngine bare;
    bare.declare("FF_versionsnummer", 0, 1536);
    bare.declare("OV_error");
    library->bind(bare);
    call("InitDirectInput");
    call("FreeDirectInput");
    EXPECT_EQ(sim().sim_call_count(), 0);
    EXPECT_EQ(bare.get("OV_error"), 0);
}

TEST_F(ContextTest, EachTestStartsFromAFreshLoad) {
    call("InitJoystick_1");
    EXPECT_EQ(var("OV_error"), 2) << "no context may survive from an earlier test";
    open_directinput();  // left open on purpose: the next test must not see it
}

TEST_F(ContextTest, EachTestStartsFromAFreshLoadAgain) {
    call("InitJoystick_1");
    EXPECT_EQ(var("OV_error"), 2);
}

}  // namespace
}  // namespace tamrilo::test
