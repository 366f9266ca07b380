// Creating calls that contradict themselves: a failure that hands back an object all the same,
// and a success that hands back nothing. The object must be given up, and the global or slot
// must stay empty.
#include "harness.h"

namespace tamrilo::test {
namespace {

using CreationFailureTest = LibraryTest;
using Status = std::vector<Fixed>;

struct Mode {
    const char* situation;
    bool hands_back;  // the object is built and handed back along with `result`
    HRESULT result;
};

// The ways a creation can go wrong that the ordinary fault injection leaves out.
const Mode kModes[] = {
    {"failure handing back an object", true, DIERR_GENERIC},
    {"success without an object", false, DI_OK},
};

void inject(const Mode& mode, int op, int device) {
    if (mode.hands_back) {
        sim().sim_fail_handing_back(op, device, mode.result, 1);
    } else {
        sim().sim_fail(op, device, mode.result, 1);
    }
}

// Any result but DI_OK fails, S_FALSE included; DI_OK without an object reports success, yet
// leaves no context to select a joystick on.
TEST_F(CreationFailureTest, DirectInputObject) {
    struct Case {
        Mode mode;
        Status status;
    };
    const Case cases[] = {
        {kModes[0], {1, 0, 0, 0, 0, 0}},
        {{"success code handing back an object", true, S_FALSE}, {1, 0, 0, 0, 0, 0}},
        {kModes[1], {0, 1, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode.situation);
        TearDown();
        SetUp();
        attach_joystick();
        call("Get_Versionsnummer");
        inject(c.mode, SIM_OP_CREATE, -1);
        set_status({9, 9, 9, 9, 9, 9});
        call("InitDirectInput");
        EXPECT_EQ(status(), c.status);
        EXPECT_EQ(sim().sim_count_calls(SIM_OP_RELEASE), c.mode.hands_back ? 1 : 0);
        EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_NONE), 0);
        call("InitJoystick_1");
        EXPECT_EQ(var("OV_error"), 2) << "no context to select on";
        EXPECT_EQ(sim().sim_count_calls(SIM_OP_CREATE_DEVICE), 0);
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
        sim_device_info info{};
        sim().sim_get_device(first, &info);
        EXPECT_EQ(info.objects, 0) << "the skipped joystick's device is released";
        sim().sim_get_device(second, &info);
        EXPECT_EQ(info.acquired, 1);
        EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_DEVICE), 1);
        call("FreeDirectInput");
        EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_NONE), 0);
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
    for (const auto& mode : kModes) {
        for (const auto& f : families) {
            SCOPED_TRACE(std::string(mode.situation) + ", " + f.define);
            TearDown();
            SetUp();
            select_joystick();
            const int live = sim().sim_live_objects(SIM_OBJECT_NONE);
            inject(mode, SIM_OP_CREATE_EFFECT, -1);
            call(f.define);
            EXPECT_EQ(var(f.code), f.failed);
            EXPECT_EQ(sim().sim_effect_count(), mode.hands_back ? 1 : 0);
            EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_EFFECT), 0);
            EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_NONE), live);
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

}  // namespace
}  // namespace tamrilo::test
