// The product DLL against Wine's own DirectInput, with no joystick attached: the paths a
// machine without a joystick takes.
#include "harness.h"

namespace tamrilo::test {
namespace {

using WineDirectInput = LibraryTest;
using Status = std::vector<Fixed>;

TEST_F(WineDirectInput, OpensAndFreesTheSystemDirectInput) {
    ASSERT_FALSE(sim().available()) << "this test must run against Wine's own dinput.dll";
    call("Get_Versionsnummer");
    call("InitDirectInput");
    EXPECT_EQ(var("OV_error"), 0);
    EXPECT_EQ(var("OV_info_1"), 1);

    call("InitJoystick_1");
    EXPECT_EQ(status(), (Status{0, 0, 2, 0, 0, 0})) << "no joystick attached";
    engine::HostString string;
    EXPECT_EQ(library->call_with_string("Get_Joystick_Name_2", &string), nullptr);
    EXPECT_EQ(string.length(), 50u);

    call("FreeDirectInput");
    EXPECT_EQ(var("OV_info_1"), 1);
}

}  // namespace
}  // namespace tamrilo::test
