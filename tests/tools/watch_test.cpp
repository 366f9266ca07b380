// tamrilo-host --watch: the joystick tester reads the joystick through the library's exports
// and shows every change of state; without a joystick it says so and ends with 1.
#include <sstream>

#include "harness.h"
#include "tools/tamrilo-host/watch.h"

namespace tamrilo::test {
namespace {

// Stops after `frames` refreshes and runs `between` after each.
tool::WatchOptions frames(
    int count, std::function<void(int)> between = [](int) {}) {
    auto shown = std::make_shared<int>(0);
    tool::WatchOptions options;
    options.stop_requested = [=] { return *shown >= count; };
    options.between_frames = [=] { between((*shown)++); };
    return options;
}

class Watch : public ::testing::Test {
protected:
    void SetUp() override { sim().sim_reset(); }
    int attach(bool force_feedback) {
        sim_joystick j{};
        std::string("Watch Stick").copy(j.product_name, sizeof j.product_name - 1);
        j.force_feedback = force_feedback;
        j.axes = 4;
        j.buttons = 16;
        j.povs = 1;
        return sim().sim_attach(&j);
    }
    int watch(const tool::WatchOptions& options) {
        return tool::watch_joystick(engine::default_library_path(), options, out, err);
    }
    std::ostringstream out, err;
};

TEST_F(Watch, ShowsEveryChangeInjectedBetweenRefreshes) {
    const int device = attach(true);
    const DIJOYSTATE states[] = {joystick_state(-10000, 5000, 0, 10000, 9000, {3, 16}),
                                 joystick_state(0, 0, -5000, 0, 0xFFFFFFFFu)};
    sim().sim_set_state(device, &states[0]);
    ASSERT_EQ(watch(frames(2,
                           [&](int shown) {
                               sim().sim_set_state(device, &states[1]);
                               (void)shown;
                           })),
              0)
        << err.str();
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(out.str(),
              "Watching the first joystick; press any key to stop.\n"
              "Joystick: Watch Stick  (force feedback: yes)\n"
              " X  [###################|                   ]   -9999.6\n"
              " Y  [                   |#########          ]    4999.8\n"
              " Z  [                   |                   ]       0.0\n"
              "RZ  [                   |###################]    9999.6\n"
              "Hat      east (90.0 degrees)\n"
              "Buttons  . . 3 . . . . . . . . . . . . 16\n"
              "reading: ok\n"
              "Joystick: Watch Stick  (force feedback: yes)\n"
              " X  [                   |                   ]       0.0\n"
              " Y  [                   |                   ]       0.0\n"
              " Z  [          #########|                   ]   -4999.8\n"
              "RZ  [                   |                   ]       0.0\n"
              "Hat      centred\n"
              "Buttons  . . . . . . . . . . . . . . . .\n"
              "reading: ok\n");
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_DIRECTINPUT), 0) << "the watch frees DirectInput when it ends";
}

TEST_F(Watch, RedrawsInPlaceOnAConsole) {
    attach(false);
    auto options = frames(2);
    options.redraw_in_place = true;
    ASSERT_EQ(watch(options), 0);
    const std::string text = out.str();
    EXPECT_NE(text.find("(force feedback: no)\x1b[K\n"), std::string::npos);
    // The second refresh moves back over the eight lines of the first.
    EXPECT_EQ(text.find("\x1b[8A\r"), text.rfind("\x1b[8A\r"));
    EXPECT_NE(text.find("\x1b[8A\r"), std::string::npos);
}

TEST_F(Watch, SaysWhenAReadingFails) {
    const int device = attach(true);
    auto options = frames(1);
    options.stop_requested = [shown = std::make_shared<int>(0), device]() mutable {
        // Unplugged after selection: every re-acquisition fails.
        sim().sim_set_attached(device, 0);
        return (*shown)++ >= 1;
    };
    ASSERT_EQ(watch(options), 0);
    EXPECT_NE(out.str().find("reading failed (OV_error 14)"), std::string::npos) << out.str();
}

TEST_F(Watch, EndsWithOneWithoutJoystickOrDirectInput) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
        const char* message;
    };
    const Case cases[] = {
        {"no joystick", [] {}, "tamrilo-host: no joystick is attached (InitJoystick_1: OV_error 0)\n"},
        {"DirectInput refused", [] { sim().sim_fail(SIM_OP_CREATE, -1, static_cast<HRESULT>(0x80004005L), 1); },
         "tamrilo-host: DirectInput could not be opened (InitDirectInput: OV_error 1)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim().sim_reset();
        out.str("");
        err.str("");
        c.arrange();
        bool asked = false;
        tool::WatchOptions options;
        options.stop_requested = [&] { return asked = true; };
        options.between_frames = [] {};
        EXPECT_EQ(watch(options), 1);
        EXPECT_EQ(err.str(), c.message);
        EXPECT_FALSE(asked) << "no refresh without a joystick";
    }
}

TEST(WatchDrawing, AxisBarsAndHatWords) {
    const std::pair<double, const char*> bars[] = {
        {0, "[    |    ]"},    {10000, "[    |####]"}, {-10000, "[####|    ]"},
        {5000, "[    |##  ]"}, {-2600, "[   #|    ]"}, {250000, "[    |####]"},
    };
    for (const auto& [position, bar] : bars) EXPECT_EQ(tool::axis_bar(position, 11), bar) << position;
    const std::pair<double, const char*> hats[] = {
        {-1, "centred"},
        {0, "north (0.0 degrees)"},
        {90, "east (90.0 degrees)"},
        {315, "north-west (315.0 degrees)"},
        {359.9, "north (359.9 degrees)"},
        {200, "south (200.0 degrees)"},
    };
    for (const auto& [degrees, words] : hats) EXPECT_EQ(tool::hat_text(degrees), words) << degrees;
}

}  // namespace
}  // namespace tamrilo::test
