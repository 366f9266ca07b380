// Reading the selected joystick's state and capabilities.
#include <climits>
#include <cstring>

#include "harness.h"

namespace tamrilo::test {
namespace {

using Status = std::vector<Fixed>;

const char* const kAxisNames[] = {"JOY_X_A", "JOY_Y_A", "JOY_RUD_A", "JOY_ROT_A"};
constexpr DWORD kCentred = 0xFFFFFFFF;

class StateTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        select_joystick();
        set_state(0, 0, 0, 0, kCentred);
    }
    static constexpr int kStick = 0;  // select_joystick attaches the first device

    void set_state(LONG x, LONG y, LONG z, LONG rz, DWORD pov, std::initializer_list<int> held = {}) {
        const DIJOYSTATE s = joystick_state(x, y, z, rz, pov, held);
        sim().sim_set_state(kStick, &s);
    }
    std::vector<Fixed> axes() const {
        std::vector<Fixed> out;
        for (const char* name : kAxisNames) out.push_back(var(name));
        return out;
    }
    std::vector<Fixed> buttons() const {
        std::vector<Fixed> out;
        for (int b = 1; b <= 16; ++b) out.push_back(var("BUTTON_" + std::to_string(b)));
        return out;
    }
    int count_during(const char* export_name, int op) {
        const int before = sim().sim_count_calls(op);
        call(export_name);
        return sim().sim_count_calls(op) - before;
    }
};

TEST_F(StateTest, RestingJoystick) {
    set_status({5, 5, 5, 5, 5, 5});
    EXPECT_EQ(call("Get_Joystick_State"), 0);
    EXPECT_EQ(axes(), (std::vector<Fixed>{0, 0, 0, 0}));
    EXPECT_EQ(var("JOY_VIEW"), -1024);
    EXPECT_EQ(buttons(), std::vector<Fixed>(16, 0));
    EXPECT_EQ(status(), (Status{97, 5, 5, 5, 5, 5}));
}

// Axis positions, in the range the selection sets, are divided by 9.766; values a device
// should never report saturate instead of wrapping.
TEST_F(StateTest, AxisConversion) {
    struct Case {
        LONG position;
        Fixed stored;
    };
    const Case cases[] = {
        {-10000, -10239606}, {10000, 10239606},   {5000, 5119803},    {1, 1023},         {-1, -1023}, {0, 0},
        {214748, 219893508}, {214749, 219894532}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MIN}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.position);
        // Each axis in turn, so a mix-up between them shows.
        set_state(c.position, 0, 7, c.position, kCentred);
        call("Get_Joystick_State");
        EXPECT_EQ(var("JOY_X_A"), c.stored);
        EXPECT_EQ(var("JOY_ROT_A"), c.stored);
        EXPECT_EQ(var("JOY_RUD_A"), 7167);
        set_state(0, c.position, c.position, 0, kCentred);
        call("Get_Joystick_State");
        EXPECT_EQ(axes(), (std::vector<Fixed>{0, c.stored, c.stored, 0}));
    }
}

// The hat reads in degrees, slightly high; 360000 hundredths and above (the centred value
// among them) read -1.0.
TEST_F(StateTest, HatConversion) {
    struct Case {
        DWORD pov;
        Fixed stored;
    };
    const Case cases[] = {{0, 0},          {4500, 46082},   {9000, 92165},     {18000, 184331}, {27000, 276497},
                          {35999, 368653}, {65535, 671121}, {359999, 3686625}, {360000, -1024}, {kCentred, -1024}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pov);
        set_state(0, 0, 0, 0, c.pov);
        call("Get_Joystick_State");
        EXPECT_EQ(var("JOY_VIEW"), c.stored);
    }
}

// The formulas in double precision. The operands pass through volatile variables so that the
// compiler cannot fold them; the test program is built with the product's arithmetic.
Fixed documented_hat(DWORD angle) {
    volatile double product = angle * 1000.0;
    return static_cast<Fixed>(product / 97.65);
}
Fixed documented_axis(LONG position) {
    volatile double product = position * 10000.0;
    return static_cast<Fixed>(product / 9.766);
}

// Every input of the hat and axis conversions (every angle below 360000, every position in the
// range the selection sets) reads exactly what the formula gives in double precision, on every
// build. Arithmetic with more precision than double reads 173 angles and 4 positions one lower:
// angle 1953 as 19999 instead of 20000, position 4883 as 4999999 instead of 5000000.
TEST_F(StateTest, EveryHatAngleAndAxisPositionAsInDoublePrecision) {
    ASSERT_EQ(documented_hat(1953), 20000) << "the test's own arithmetic is not double precision";
    ASSERT_EQ(documented_axis(4883), 5000000) << "the test's own arithmetic is not double precision";
    std::vector<std::string> differences;
    const auto compare = [&](const char* what, long long input, Fixed read, Fixed documented) {
        if (read != documented && differences.size() < 20) {
            differences.push_back(std::string(what) + " " + std::to_string(input) + " reads " + std::to_string(read) +
                                  ", not " + std::to_string(documented));
        }
        return read != documented;
    };
    int differing = 0;
    for (DWORD angle = 0; angle < 360000; ++angle) {
        set_state(0, 0, 0, 0, angle);
        call("Get_Joystick_State");
        differing += compare("angle", angle, var("JOY_VIEW"), documented_hat(angle));
        if (angle % 4096 == 0) sim().sim_clear_log();
    }
    for (LONG position = -10000; position <= 10000; ++position) {
        set_state(position, 0, 0, 0, kCentred);
        call("Get_Joystick_State");
        differing += compare("position", position, var("JOY_X_A"), documented_axis(position));
        if (position % 4096 == 0) sim().sim_clear_log();
    }
    RecordProperty("inputs", 360000 + 20001);
    RecordProperty("differences", differing);
    EXPECT_EQ(differing, 0) << testing::PrintToString(differences);
}

TEST_F(StateTest, ButtonsReadOneWhileHeld) {
    set_state(0, 0, 0, 0, kCentred, {1, 3, 16, 17, 32});
    call("Get_Joystick_State");
    std::vector<Fixed> expected(16, 0);
    expected[0] = expected[2] = expected[15] = 1024;
    EXPECT_EQ(buttons(), expected);
}

// Lost input, and a device found not acquired, are followed by a re-acquisition and another
// read, at most three times; the read after the poll then decides.
TEST_F(StateTest, InputLost) {
    struct Case {
        int lost;  // reads that report lost input; -1: every one
        int acquisitions, reads;
        Fixed error;
    };
    const Case cases[] = {{1, 1, 3, 97}, {2, 2, 4, 97}, {3, 3, 5, 97}, {4, 3, 5, 97}, {5, 3, 5, 14}, {-1, 3, 5, 14}};
    for (const HRESULT lost : {DIERR_INPUTLOST, DIERR_NOTACQUIRED}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << std::hex << lost << std::dec << ", " << c.lost);
            set("JOY_Y_A", 777);
            set_state(0, 5000, 0, 0, 9000);
            sim().sim_fail(SIM_OP_GET_DEVICE_STATE, kStick, lost, c.lost);
            sim().sim_clear_log();
            call("Get_Joystick_State");
            EXPECT_EQ(sim().sim_count_calls(SIM_OP_ACQUIRE), c.acquisitions);
            EXPECT_EQ(sim().sim_count_calls(SIM_OP_GET_DEVICE_STATE), c.reads);
            EXPECT_EQ(var("OV_error"), c.error);
            EXPECT_EQ(var("JOY_X_A"), c.error == 97 ? 0 : 4078);
            EXPECT_EQ(var("JOY_Y_A"), c.error == 97 ? 5119803 : 777);
            sim().sim_clear_faults();
        }
    }
}

TEST_F(StateTest, FailedReacquisitionEndsTheRetries) {
    sim().sim_fail(SIM_OP_GET_DEVICE_STATE, kStick, DIERR_INPUTLOST, 1);
    sim().sim_fail(SIM_OP_ACQUIRE, kStick, DIERR_GENERIC, 1);
    EXPECT_EQ(count_during("Get_Joystick_State", SIM_OP_ACQUIRE), 1);
    EXPECT_EQ(var("OV_error"), 97) << "the second read decides";
}

// Unplugged, the first read finds lost input and the re-acquisition fails; from then on the
// device reads as not acquired, and once it is back the next call acquires it again.
TEST_F(StateTest, UnpluggedAndPluggedAgain) {
    sim().sim_set_attached(kStick, 0);
    set("JOY_VIEW", 777);
    EXPECT_EQ(count_during("Get_Joystick_State", SIM_OP_ACQUIRE), 1);
    EXPECT_EQ(var("OV_error"), 14);
    EXPECT_EQ(var("JOY_X_A"), 4078);
    EXPECT_EQ(var("JOY_VIEW"), 777);
    EXPECT_EQ(count_during("Get_Joystick_State", SIM_OP_ACQUIRE), 1);
    EXPECT_EQ(var("OV_error"), 14) << "still unplugged";
    sim().sim_set_attached(kStick, 1);
    EXPECT_EQ(count_during("Get_Joystick_State", SIM_OP_ACQUIRE), 1);
    EXPECT_EQ(var("OV_error"), 97);
    EXPECT_EQ(var("JOY_X_A"), 0);
}

// A selection whose acquisition failed leaves the joystick not acquired: the first reading
// acquires it.
TEST_F(StateTest, SelectionThatCouldNotAcquireReadsAfterAcquiring) {
    sim().sim_fail(SIM_OP_ACQUIRE, kStick, DIERR_GENERIC, 1);
    call("InitJoystick_1");
    ASSERT_EQ(var("OV_error"), 9);
    set_state(0, 5000, 0, 0, kCentred);
    EXPECT_EQ(count_during("Get_Joystick_State", SIM_OP_ACQUIRE), 1);
    EXPECT_EQ(var("OV_error"), 97);
    EXPECT_EQ(var("JOY_Y_A"), 5119803);
}

// Only lost input and a device not acquired are told apart on the first read; the read after
// the poll decides.
TEST_F(StateTest, OtherReadFailures) {
    struct Case {
        int count;
        Fixed error;
    };
    for (const Case c : {Case{1, 97}, Case{-1, 14}}) {
        SCOPED_TRACE(c.count);
        set("JOY_RUD_A", 777);
        sim().sim_fail(SIM_OP_GET_DEVICE_STATE, kStick, DIERR_INVALIDPARAM, c.count);
        EXPECT_EQ(count_during("Get_Joystick_State", SIM_OP_ACQUIRE), 0);
        EXPECT_EQ(var("OV_error"), c.error);
        EXPECT_EQ(var("JOY_RUD_A"), c.error == 97 ? 0 : 777);
        sim().sim_clear_faults();
    }
    sim().sim_fail(SIM_OP_POLL, kStick, DIERR_GENERIC, 1);
    call("Get_Joystick_State");
    EXPECT_EQ(var("OV_error"), 97) << "the poll's result changes nothing";
}

TEST_F(StateTest, ReadsTheWholeRecordAndLooksUpInOrder) {
    sim().sim_clear_log();
    host.clear_lookups();
    call("Get_Joystick_State");
    const auto reads = calls(SIM_OP_GET_DEVICE_STATE);
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(reads[0].a[0], 80u);
    std::vector<std::string> expected = {"OV_error",  "OV_info_3", "JOY_X_A", "JOY_Y_A",
                                         "JOY_RUD_A", "JOY_ROT_A", "JOY_VIEW"};
    for (int b = 1; b <= 16; ++b) expected.push_back("BUTTON_" + std::to_string(b));
    EXPECT_EQ(host.lookups(), expected);
}

TEST_F(StateTest, NoJoystickSelectedTouchesNothing) {
    call("FreeDirectInput");
    for (const char* export_name : {"Get_Joystick_State", "Show_Capabilities"}) {
        SCOPED_TRACE(export_name);
        set_status({5, 5, 5, 5, 5, 5});
        set("JOY_X_A", 777);
        set("NUMBER_OF_AXIS", 777);
        host.clear_lookups();
        EXPECT_EQ(call(export_name), 0);
        EXPECT_EQ(status(), (Status{5, 5, 5, 5, 5, 5}));
        EXPECT_EQ(var("JOY_X_A"), 777);
        EXPECT_EQ(var("NUMBER_OF_AXIS"), 777);
        EXPECT_TRUE(host.lookups().empty());
    }
}

class CapabilitiesTest : public LibraryTest {
protected:
    void select(DWORD axes, DWORD povs, DWORD buttons, bool force_feedback) {
        call("FreeDirectInput");
        sim().sim_reset();
        open_directinput();
        sim_joystick j{};
        std::strcpy(j.product_name, "Stick");
        j.axes = axes;
        j.povs = povs;
        j.buttons = buttons;
        j.force_feedback = force_feedback;
        sim().sim_attach(&j);
        call("InitJoystick_1");
    }
};

TEST_F(CapabilitiesTest, TwoAxesOneHatSixteenButtons) {
    select(2, 1, 16, true);
    set_status({5, 5, 5, 5, 5, 5});
    EXPECT_EQ(call("Show_Capabilities"), 0);
    EXPECT_EQ(var("NUMBER_OF_AXIS"), 2048);
    EXPECT_EQ(var("NUMBER_OF_VIEWS"), 1024);
    EXPECT_EQ(var("NUMBER_OF_BUTTONS"), 16385);
    EXPECT_EQ(var("FORCEFEEDBACK_ENABLE"), 1024);
    EXPECT_EQ(status(), (Status{14, 5, 5, 5, 5, 5}));
    const auto asked = calls(SIM_OP_GET_CAPABILITIES);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].a[0], 44u);
}

// Counts are divided by 0.9765: from 16 on they read slightly above n × 1024. Counts no device
// has saturate instead of wrapping.
TEST_F(CapabilitiesTest, CountConversion) {
    struct Case {
        DWORD count;
        Fixed stored;
    };
    const Case cases[] = {{0, 0},      {1, 1024},   {15, 15360}, {16, 16385},     {30, 30721},
                          {31, 31746}, {46, 47107}, {47, 48131}, {4295, 4398361}, {0xFFFFFFFF, INT_MAX}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        select(c.count, c.count, c.count, false);
        call("Show_Capabilities");
        EXPECT_EQ(var("NUMBER_OF_AXIS"), c.stored);
        EXPECT_EQ(var("NUMBER_OF_VIEWS"), c.stored);
        EXPECT_EQ(var("NUMBER_OF_BUTTONS"), c.stored);
        EXPECT_EQ(var("FORCEFEEDBACK_ENABLE"), 0);
    }
}

TEST_F(CapabilitiesTest, FailureWritesOnlyCode13) {
    select(4, 1, 16, true);
    for (const char* name : {"NUMBER_OF_AXIS", "NUMBER_OF_VIEWS", "NUMBER_OF_BUTTONS", "FORCEFEEDBACK_ENABLE"})
        set(name, 777);
    set_status({5, 5, 5, 5, 5, 5});
    sim().sim_fail(SIM_OP_GET_CAPABILITIES, 0, DIERR_GENERIC, 1);
    call("Show_Capabilities");
    EXPECT_EQ(status(), (Status{13, 5, 5, 5, 5, 5}));
    for (const char* name : {"NUMBER_OF_AXIS", "NUMBER_OF_VIEWS", "NUMBER_OF_BUTTONS", "FORCEFEEDBACK_ENABLE"}) {
        EXPECT_EQ(var(name), 777) << name;
    }
}

}  // namespace
}  // namespace tamrilo::test
