// The virtual joystick control command's arguments: what each command takes, and the bad
// arguments it refuses with its usage (exit code 2) before anything runs.
#include <gtest/gtest.h>

#include "virtual-joystick/command/arguments.h"

namespace tamrilo::vjoy {
namespace {

TEST(VirtualJoystickArguments, RefusesBadArguments) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"bogus"},
        {"wait"},
        {"wait", "x"},
        {"wait", "0"},
        {"wait", "2", "601"},
        {"list", "1"},
        {"state", "0", "1", "2", "3"},
        {"state", "0", "40000", "0", "0", "0", "8", "0"},
        {"state", "0", "0", "0", "0", "0", "9", "0"},
        {"state", "0", "0", "0", "0", "0", "8", "0x10000"},
        {"state", "100", "0", "0", "0", "0", "8", "0"},
        {"install"},
        {"install", "Stick:rumble"},
        {"install", ":ff"},
        {"install", std::string(64, 'n')},
        {"present", "0", "2"},
        {"name", "0"},
        {"name", "0", ""},
        {"remove"},
        {"remove", "-1"},
        {"reports", "0", "1"},
        {"reports", "1x"},
    };
    for (const auto& args : cases) {
        std::string line;
        for (const auto& a : args) line += a + " ";
        EXPECT_THROW(parse_arguments(args), UsageError) << line;
    }
}

TEST(VirtualJoystickArguments, ReadsWhatEachCommandTakes) {
    const Arguments install =
        parse_arguments({"install", "Rumble Stick", "Plain Stick:plain", std::string(63, 'n') + ":ff"});
    ASSERT_EQ(install.devices.size(), 3u);
    EXPECT_EQ(install.devices[0].product, "Rumble Stick");
    EXPECT_TRUE(install.devices[0].force_feedback);
    EXPECT_EQ(install.devices[1].product, "Plain Stick");
    EXPECT_FALSE(install.devices[1].force_feedback);
    EXPECT_EQ(install.devices[2].product, std::string(63, 'n'));

    EXPECT_EQ(parse_arguments({"wait", "4"}).seconds, 30);
    const Arguments wait = parse_arguments({"wait", "4", "600"});
    EXPECT_EQ(wait.count, 4);
    EXPECT_EQ(wait.seconds, 600);

    const Arguments state = parse_arguments({"state", "3", "-32767", "32767", "0", "-1", "8", "0xA5A5"});
    EXPECT_EQ(state.joystick, 3);
    EXPECT_EQ(state.state.x, -32767);
    EXPECT_EQ(state.state.y, 32767);
    EXPECT_EQ(state.state.z, 0);
    EXPECT_EQ(state.state.rz, -1);
    EXPECT_EQ(state.state.hat, State::kHatCentred);
    EXPECT_EQ(state.state.buttons, 0xA5A5);

    EXPECT_EQ(parse_arguments({"name", "1", "Other Name"}).product, "Other Name");
    EXPECT_TRUE(parse_arguments({"present", "99", "1"}).present);
    EXPECT_EQ(parse_arguments({"present", "99", "1"}).joystick, 99);
    EXPECT_EQ(parse_arguments({"remove", "2"}).joystick, 2);
}

}  // namespace
}  // namespace tamrilo::vjoy
