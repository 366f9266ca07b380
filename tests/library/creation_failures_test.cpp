// Creating calls that answer other than plainly: a failure that leaves an object (alive or
// already released) in the output, a success code other than DI_OK that hands one back, and a
// success that hands back nothing. After a failure the output is not the library's to call or
// release. A success code creates a device or an effect as DI_OK does; the DirectInput object is
// taken only with DI_OK, and one handed back with another success code is released.
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
    bool left_alive;  // DirectInput's own leak: the library may not release it
};

// The ways a creation can answer that the ordinary fault injection leaves out. An effect created
// on a device that is not acquired exclusively comes back with DI_DOWNLOADSKIPPED.
const Mode kModes[] = {
    {"failure leaving a live object", Injection::hand_back, DIERR_GENERIC, true},
    {"failure leaving a released object", Injection::leave_stale, DIERR_GENERIC, false},
    {"S_FALSE handing back an object", Injection::hand_back, S_FALSE, false},
    {"DI_DOWNLOADSKIPPED handing back an object", Injection::hand_back, DI_DOWNLOADSKIPPED, false},
    {"success without an object", Injection::refuse, DI_OK, false},
};

bool success_code_with_object(const Mode& mode) { return mode.injection == Injection::hand_back && mode.result >= 0; }

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

// Any result but DI_OK fails, the success codes included; DI_OK without an object reports
// success, yet leaves no context to select a joystick on.
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
                  success_code_with_object(mode) ? 1 : 0)
            << "released";
        EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_NONE), mode.left_alive ? 1 : 0);
        call("InitJoystick_1");
        EXPECT_EQ(var("OV_error"), 2) << "no context to select on";
        EXPECT_EQ(sim().sim_count_calls(SIM_OP_CREATE_DEVICE), 0);
        call("FreeDirectInput");
        EXPECT_EQ(sim().sim_released_object_calls(), 0);
    }
}

// The first joystick's device comes back with a success code: select-first takes it. Otherwise
// it is unusable: select-first skips it and takes the second.
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
        const bool taken = success_code_with_object(mode);
        EXPECT_EQ(var("OV_info_2"), 1);
        EXPECT_EQ(sim().sim_count_calls(SIM_OP_CREATE_DEVICE), taken ? 1 : 2);
        sim_device_info info{};
        sim().sim_get_device(first, &info);
        EXPECT_EQ(info.objects, mode.left_alive || taken ? 1 : 0);
        EXPECT_EQ(info.acquired, taken ? 1 : 0);
        sim().sim_get_device(second, &info);
        EXPECT_EQ(info.acquired, taken ? 0 : 1);
        call("FreeDirectInput");
        EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_NONE), mode.left_alive ? 1 : 0);
        EXPECT_EQ(sim().sim_released_object_calls(), 0);
    }
}

// An effect handed back with a success code is kept and used as after DI_OK. Otherwise the
// Define reports its creation failure and the slot stays empty, so the next Define creates again.
TEST_F(CreationFailureTest, EffectObject) {
    struct Family {
        const char* define;
        const char* code;  // the variable that reports the creation, or the start after it
        Fixed kept, failed;
    };
    const Family families[] = {
        {"Define_Sine_1", "OV_info_5", 20, 3072},
        {"Define_Friction", "OV_info_5", 10, 3072},
        {"Define_Const_Forces", "OV_error", 102, 101},
    };
    for (const auto& mode : kModes) {
        for (const auto& f : families) {
            SCOPED_TRACE(std::string(mode.situation) + ", " + f.define);
            TearDown();
            SetUp();
            select_joystick();
            const int live = sim().sim_live_objects(SIM_OBJECT_NONE);
            const bool kept = success_code_with_object(mode);
            inject(mode, SIM_OP_CREATE_EFFECT, -1);
            call(f.define);
            EXPECT_EQ(var(f.code), kept ? f.kept : f.failed);
            EXPECT_EQ(sim().sim_effect_count(), mode.result == DI_OK ? 0 : 1);
            EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_EFFECT), mode.left_alive || kept ? 1 : 0);
            EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_NONE), live + (mode.left_alive || kept ? 1 : 0));
            if (f.define == std::string("Define_Sine_1")) {
                call("Play_Sine_1");
                EXPECT_EQ(var("OV_info_5"), kept ? 7168 : 27649);
            }
            sim_effect_info effect{};
            EXPECT_EQ(sim().sim_get_effect(0, &effect) && effect.playing, kept) << "played";
            call(f.define);
            EXPECT_EQ(sim().sim_count_calls(SIM_OP_CREATE_EFFECT), kept ? 1 : 2) << "the slot was left empty";
            EXPECT_EQ(sim().sim_released_object_calls(), 0);
        }
    }
}

// Without an injected fault: a joystick that could not be acquired gets its effects back with
// DI_DOWNLOADSKIPPED. The Define keeps the effect; once a reading has acquired the joystick, Play
// starts it.
TEST_F(CreationFailureTest, EffectOnUnacquiredJoystickIsKept) {
    open_directinput();
    attach_joystick();
    sim().sim_fail(SIM_OP_ACQUIRE, -1, DIERR_GENERIC, 1);
    call("InitJoystick_1");
    ASSERT_EQ(var("OV_error"), 9);
    call("Define_Sine_1");
    EXPECT_EQ(var("OV_info_5"), 20);
    const auto created = calls(SIM_OP_CREATE_EFFECT);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].result, DI_DOWNLOADSKIPPED);
    call("Play_Sine_1");
    EXPECT_EQ(var("OV_info_5"), 8192) << "not acquired: cannot start";
    call("Get_Joystick_State");
    EXPECT_EQ(var("OV_error"), 97);
    call("Play_Sine_1");
    EXPECT_EQ(var("OV_info_5"), 7168);
    sim_effect_info effect{};
    ASSERT_TRUE(sim().sim_get_effect(0, &effect));
    EXPECT_TRUE(effect.playing);
}

}  // namespace
}  // namespace tamrilo::test
