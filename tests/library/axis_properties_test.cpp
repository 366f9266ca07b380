// Dead zone and saturation of the X and Y axes, in percent of the axis range.
#include <climits>

#include "harness.h"

namespace tamrilo::test {
namespace {

using Status = std::vector<Fixed>;

struct Export {
    const char* set;
    const char* get;
    const char* variable;
    int axis;  // index into the simulator's per-axis properties
    bool saturation;
};
const Export kExports[] = {
    {"Set_Dead_Zone_X", "Get_Dead_Zone_X", "Dead_Zone_X", 0, false},
    {"Set_Dead_Zone_Y", "Get_Dead_Zone_Y", "Dead_Zone_Y", 1, false},
    {"Set_Saturation_Zone_X", "Get_Saturation_Zone_X", "Saturation_Zone_X", 0, true},
    {"Set_Saturation_Zone_Y", "Get_Saturation_Zone_Y", "Saturation_Zone_Y", 1, true},
};
const Status kMarked = {11, 12, 13, 14, 15, 16};

class AxisPropertyTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        select_joystick();
    }
    static constexpr int kStick = 0;
    DWORD device_value(const Export& e) const {
        sim_device_info info{};
        sim().sim_get_device(kStick, &info);
        return e.saturation ? info.saturation[e.axis] : info.dead_zone[e.axis];
    }
    // Runs an export and checks that it left the six status variables as they were.
    void run(const char* export_name) {
        set_status({11, 12, 13, 14, 15, 16});
        EXPECT_EQ(call(export_name), 0);
        EXPECT_EQ(status(), kMarked) << export_name;
    }
};

// Setting P percent sets P × 9765 / 100000 hundredths, clamped to 0..10000, and writes back
// what was set. The saturation zone is 100 percent less the saturation.
TEST_F(AxisPropertyTest, SetWorkedValues) {
    struct Case {
        Fixed percent;
        DWORD dead_zone, saturation;
        Fixed written_back;
    };
    const Case cases[] = {
        {0, 0, 10000, 0},
        {1024, 99, 9901, 1013},
        {51200, 4999, 5001, 51193},
        {102400, 9999, 1, 102396},
        {102406, 9999, 1, 102396},
        {102407, 10000, 0, 102406},
        {102417, 10000, 0, 102406},
        {-1024, 0, 10000, 0},
        {-1, 0, 10000, 0},
        {219916, 10000, 0, 102406},
        {219917, 10000, 0, 102406},
        {-219917, 0, 10000, 0},
        {INT_MAX, 10000, 0, 102406},
        {INT_MIN, 0, 10000, 0},
    };
    for (const auto& e : kExports) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(e.set) + " " + std::to_string(c.percent));
            set(e.variable, c.percent);
            run(e.set);
            EXPECT_EQ(device_value(e), e.saturation ? c.saturation : c.dead_zone);
            EXPECT_EQ(var(e.variable), c.written_back);
            // A Get right after reads what the Set wrote back.
            set(e.variable, 777);
            run(e.get);
            EXPECT_EQ(var(e.variable), c.written_back);
        }
    }
}

// What a driver gives the device reads back in percent; values beyond DirectInput's range
// saturate instead of wrapping.
TEST_F(AxisPropertyTest, GetWorkedValues) {
    struct Case {
        DWORD device;
        Fixed dead_zone, saturation_zone;
    };
    const Case cases[] = {
        {0, 0, 102406},     {99, 1013, 101392},   {5000, 51203, 51203},
        {10000, 102406, 0}, {10001, 102416, -10}, {0xFFFFFFFF, INT_MAX, INT_MIN},
    };
    for (const auto& e : kExports) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(e.get) + " " + std::to_string(c.device));
            sim().sim_set_axis_property(kStick, e.saturation ? SIM_SATURATION : SIM_DEAD_ZONE,
                                        static_cast<DWORD>(e.axis * 4), c.device);
            run(e.get);
            EXPECT_EQ(var(e.variable), e.saturation ? c.saturation_zone : c.dead_zone);
        }
    }
}

TEST_F(AxisPropertyTest, RecordReachingDirectInput) {
    for (const auto& e : kExports) {
        SCOPED_TRACE(e.set);
        set(e.variable, 1024);
        sim().sim_clear_log();
        host.clear_lookups();
        call(e.set);
        call(e.get);
        const auto set_calls = calls(SIM_OP_SET_PROPERTY);
        const auto get_calls = calls(SIM_OP_GET_PROPERTY);
        ASSERT_EQ(set_calls.size(), 1u);
        ASSERT_EQ(get_calls.size(), 1u);
        const auto property =
            static_cast<DWORD>(platform::property_number(e.saturation ? DIPROP_SATURATION : DIPROP_DEADZONE));
        const DWORD header[5] = {property, 20, 16, static_cast<DWORD>(e.axis * 4), DIPH_BYOFFSET};
        EXPECT_TRUE(std::equal(header, header + 5, set_calls[0].a));
        EXPECT_TRUE(std::equal(header, header + 5, get_calls[0].a));
        EXPECT_EQ(set_calls[0].a[5], e.saturation ? 9901u : 99u);
        std::vector<std::string> one_call = kStatusNames;
        one_call.push_back(e.variable);
        std::vector<std::string> both = one_call;
        both.insert(both.end(), one_call.begin(), one_call.end());
        EXPECT_EQ(host.lookups(), both);
    }
}

// A failed call leaves the variable as it was: for a Set, what the script asked for.
TEST_F(AxisPropertyTest, FailureLeavesTheVariable) {
    for (const auto& e : kExports) {
        SCOPED_TRACE(e.set);
        set(e.variable, 51200);
        sim().sim_fail(SIM_OP_SET_PROPERTY, kStick, DIERR_INVALIDPARAM, 1);
        run(e.set);
        EXPECT_EQ(var(e.variable), 51200);
        EXPECT_EQ(device_value(e), e.saturation ? 10000u : 0u);
        sim().sim_fail(SIM_OP_GET_PROPERTY, kStick, DIERR_INVALIDPARAM, 1);
        run(e.get);
        EXPECT_EQ(var(e.variable), 51200);
    }
}

TEST_F(AxisPropertyTest, NoJoystickSelectedTouchesNothing) {
    call("FreeDirectInput");
    for (const auto& e : kExports) {
        for (const char* export_name : {e.set, e.get}) {
            SCOPED_TRACE(export_name);
            set(e.variable, 1024);
            host.clear_lookups();
            run(export_name);
            EXPECT_EQ(var(e.variable), 1024);
            EXPECT_TRUE(host.lookups().empty());
        }
    }
    EXPECT_EQ(sim().sim_count_calls(SIM_OP_SET_PROPERTY) + sim().sim_count_calls(SIM_OP_GET_PROPERTY), 5)
        << "only the selection's ranges and auto-centre";
}

}  // namespace
}  // namespace tamrilo::test
