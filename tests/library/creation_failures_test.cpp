// Creating calls that contradict themselves: a failure that leaves an object (alive or already
// released) in the output, a success code other than DI_OK that hands one back, and a success
// that hands back nothing. Only DI_OK with an object is a creation; after a failure the output
// is not the library's to call or release, after a success code it is released.
#include <algorithm>

#include "harness.h"

namespace tamrilo::test {
namespace {

using CreationFailureTest = LibraryTest;
using Status = std::vector<Fixed>;

enum class Injection { refuse, hand_back, leave_stale };

struct Mode {
    const char* situation;
    Injection injection;
    HRESULT result;
    bool released_by_library;  // the library releases what came back
    bool left_alive;           // DirectInput's own leak: the library may not release it
};

// The ways a creation can go wrong that the ordinary fault injection leaves out.
const Mode kModes[] = {
    {"failure leaving a live object", Injection::hand_back, DIERR_GENERIC, false, true},
    {"failure leaving a released object", Injection::leave_stale, DIERR_GENERIC, false, false},
    {"success code handing back an object", Injection::hand_back, S_FALSE, true, false},
    {"success without an object", Injection::refuse, DI_OK, false, false},
};

void inject(const Mode& mode, int op, int device) {
    switch (mode.injection) {
        case Injection::refuse: sim().sim_fail(op, device, mode.result, 1); break;
        case Injection::hand_back: sim().sim_fail_handing_back(op, device, mode.result, 1); break;
        case Injection::leave_stale: sim().sim_fail_leaving_stale(op, device, mode.result, 1); break;
    }
}

// Calls in the log that match `of`, the creating call itself left out.
template <class Predicate>
int calls_on(const std::vector<sim_call>& log, int creating_op, Predicate of) {
    return static_cast<int>(
        std::count_if(log.begin(), log.end(), [&](const sim_call& c) { return c.op != creating_op && of(c); }));
}

// Any result but DI_OK fails, S_FALSE included; DI_OK without an object reports success, yet
// leaves no context to select a joystick on.
TEST_F(CreationFailureTest, DirectInputObject) {
    for (const auto& mode : kModes) {
        SCOPED_TRACE(mode.situation);
        TearDown();
        SetUp();
        attach_joystick();
        call("Get_Versionsnummer");
        inject(mode, SIM_OP_CREATE, -1);
        set_status({9, 9, 9, 9, 9, 9});
        call("InitDirectInput");
        const Status expected = mode.result == DI_OK ? Status{0, 1, 0, 0, 0, 0} : Status{1, 0, 0, 0, 0, 0};
        EXPECT_EQ(status(), expected);
        EXPECT_EQ(calls_on(calls(), SIM_OP_CREATE, [](const sim_call& c) { return c.kind == SIM_OBJECT_DIRECTINPUT; }),
                  mode.released_by_library ? 1 : 0);
        EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_NONE), mode.left_alive ? 1 : 0);
        call("InitJoystick_1");
        EXPECT_EQ(var("OV_error"), 2) << "no context to select on";
        EXPECT_EQ(sim().sim_count_calls(SIM_OP_CREATE_DEVICE), 0);
        call("FreeDirectInput");
        EXPECT_EQ(sim().sim_released_object_calls(), 0);
    }
}

// The first joystick's device comes back unusable: select-first skips it and takes the second.
TEST_F(CreationFailureTest, DeviceObject) {
    for (const auto& mode : kModes) {
        SCOPED_TRACE(mode.situation);
        TearDown();
        SetUp();
        open_directinput();
        const int first = attach_joystick("Stick 0");
        const int second = attach_joystick("Stick 1");
        inject(mode, SIM_OP_CREATE_DEVICE, first);
        call("InitJoystick_1");
        EXPECT_EQ(var("OV_info_2"), 1);
        EXPECT_EQ(sim().sim_count_calls(SIM_OP_CREATE_DEVICE), 2);
        EXPECT_EQ(calls_on(calls(), SIM_OP_CREATE_DEVICE, [&](const sim_call& c) { return c.device == first; }),
                  mode.released_by_library ? 1 : 0);
        sim_device_info info{};
        sim().sim_get_device(first, &info);
        EXPECT_EQ(info.objects, mode.left_alive ? 1 : 0);
        sim().sim_get_device(second, &info);
        EXPECT_EQ(info.acquired, 1);
        call("FreeDirectInput");
        EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_NONE), mode.left_alive ? 1 : 0);
        EXPECT_EQ(sim().sim_released_object_calls(), 0);
    }
}

// The effect comes back unusable: the Define reports its creation failure and the slot stays
// empty, so the next Define creates again.
TEST_F(CreationFailureTest, EffectObject) {
    struct Family {
        const char* define;
        const char* code;  // the variable that reports the failure
        Fixed failed;
    };
    const Family families[] = {
        {"Define_Sine_1", "OV_info_5", 3072},
        {"Define_Friction", "OV_info_5", 3072},
        {"Define_Const_Forces", "OV_error", 101},
    };
    for (auto mode : kModes) {
        // An effect created on a device that is not acquired exclusively comes back with
        // DI_DOWNLOADSKIPPED: the success code DirectInput gives most often.
        if (mode.result == S_FALSE) mode.result = DI_DOWNLOADSKIPPED;
        for (const auto& f : families) {
            SCOPED_TRACE(std::string(mode.situation) + ", " + f.define);
            TearDown();
            SetUp();
            select_joystick();
            const int live = sim().sim_live_objects(SIM_OBJECT_NONE);
            inject(mode, SIM_OP_CREATE_EFFECT, -1);
            call(f.define);
            EXPECT_EQ(var(f.code), f.failed);
            EXPECT_EQ(sim().sim_effect_count(), mode.result == DI_OK ? 0 : 1);
            EXPECT_EQ(
                calls_on(calls(), SIM_OP_CREATE_EFFECT, [](const sim_call& c) { return c.kind == SIM_OBJECT_EFFECT; }),
                mode.released_by_library ? 1 : 0);
            EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_EFFECT), mode.left_alive ? 1 : 0);
            EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_NONE), live + (mode.left_alive ? 1 : 0));
            if (f.define == std::string("Define_Sine_1")) {
                call("Play_Sine_1");
                EXPECT_EQ(var("OV_info_5"), 27649) << "nothing to play";
            }
            call(f.define);
            EXPECT_EQ(sim().sim_count_calls(SIM_OP_CREATE_EFFECT), 2) << "the slot was left empty";
            EXPECT_EQ(sim().sim_released_object_calls(), 0);
        }
    }
}

// Without an injected fault: a joystick that could not be acquired gets its effects back with
// DI_DOWNLOADSKIPPED, so the Define reports a failed creation and keeps nothing.
TEST_F(CreationFailureTest, EffectOnUnacquiredJoystickIsNotKept) {
    open_directinput();
    attach_joystick();
    sim().sim_fail(SIM_OP_ACQUIRE, -1, DIERR_GENERIC, 1);
    call("InitJoystick_1");
    ASSERT_EQ(var("OV_error"), 9);
    call("Define_Sine_1");
    EXPECT_EQ(var("OV_info_5"), 3072);
    const auto created = calls(SIM_OP_CREATE_EFFECT);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].result, DI_DOWNLOADSKIPPED);
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_EFFECT), 0);
    call("FreeDirectInput");
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_NONE), 0);
}

}  // namespace
}  // namespace tamrilo::test
