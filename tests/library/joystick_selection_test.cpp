// Selecting the first or the last attached joystick, configuring and acquiring it, and the
// joystick name exports.
#include <cstring>

#include "harness.h"
#include "platform/user_interface_standin.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tamrilo::test {
namespace {

using Status = std::vector<Fixed>;

class SelectionTest : public LibraryTest {
protected:
    // Starts a case afresh within one test: the library lets go of its objects before the
    // simulator forgets them.
    void restart() {
        call("FreeDirectInput");
        sim().sim_reset();
    }
    // A joystick with the given quirks; returns its device number.
    int attach(const char* name, bool refuse_create_device = false, bool refuse_device2 = false) {
        sim_joystick j{};
        std::strncpy(j.product_name, name, sizeof j.product_name - 1);
        j.force_feedback = 1;
        j.axes = 4;
        j.buttons = 16;
        j.povs = 1;
        j.refuse_create_device = refuse_create_device;
        j.refuse_device2 = refuse_device2;
        return sim().sim_attach(&j);
    }
    sim_device_info device(int number) const {
        sim_device_info info{};
        sim().sim_get_device(number, &info);
        return info;
    }
    // The devices that are acquired now.
    std::vector<int> acquired(int attached) const {
        std::vector<int> out;
        for (int d = 0; d < attached; ++d) {
            if (device(d).acquired) out.push_back(d);
        }
        return out;
    }
    engine::HostString* name(const std::string& export_name, engine::HostString* string) {
        return library->call_with_string(export_name, string);
    }
    void expect_presets() {
        for (const char* axis : {"JOY_X_A", "JOY_Y_A", "JOY_RUD_A", "JOY_ROT_A"}) EXPECT_EQ(var(axis), 2000) << axis;
        EXPECT_EQ(var("JOY_VIEW"), 1000);
        for (int b = 1; b <= 16; ++b) EXPECT_EQ(var("BUTTON_" + std::to_string(b)), 2) << b;
    }
};

const char* const kSelectExports[] = {"InitJoystick_1", "InitJoystick_2"};

TEST_F(SelectionTest, WithoutDirectInputOnlyPresetsAndCode2) {
    for (const char* select : kSelectExports) {
        SCOPED_TRACE(select);
        attach("Stick");
        set_status({9, 9, 9, 9, 9, 9});
        EXPECT_EQ(call(select), 0);
        EXPECT_EQ(status(), (Status{2, 0, 0, 0, 0, 0}));
        expect_presets();
        EXPECT_EQ(sim().sim_count_calls(SIM_OP_ENUM_DEVICES), 0);
    }
    // After FreeDirectInput, too.
    open_directinput();
    call("InitJoystick_1");
    call("FreeDirectInput");
    call("InitJoystick_1");
    EXPECT_EQ(status(), (Status{2, 0, 0, 0, 0, 0}));
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_NONE), 0);
}

TEST_F(SelectionTest, NoJoystickAttachedLeavesNoneSelected) {
    for (const char* select : kSelectExports) {
        SCOPED_TRACE(select);
        restart();
        open_directinput();
        set_status({9, 9, 9, 9, 9, 9});
        call(select);
        EXPECT_EQ(status(), (Status{0, 0, 2, 0, 0, 0}));
        expect_presets();
        set("OV_error", 55);
        call("Get_Joystick_State");
        EXPECT_EQ(var("OV_error"), 55) << "no joystick is selected";
    }
}

// Joystick 1 is the first enumerated, joystick 2 the last.
TEST_F(SelectionTest, FirstAndLastAmongAttached) {
    struct Case {
        int attached;
        const char* select;
        int chosen;
    };
    const Case cases[] = {{1, "InitJoystick_1", 0}, {1, "InitJoystick_2", 0}, {2, "InitJoystick_1", 0},
                          {2, "InitJoystick_2", 1}, {3, "InitJoystick_1", 0}, {3, "InitJoystick_2", 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.select) + " of " + std::to_string(c.attached));
        restart();
        open_directinput();
        for (int d = 0; d < c.attached; ++d) attach(("Stick " + std::to_string(d)).c_str());
        call(c.select);
        EXPECT_EQ(var("OV_info_2"), 1);
        EXPECT_EQ(acquired(c.attached), std::vector<int>{c.chosen});
        // Select-first stops at the first; select-last creates every one and keeps the last.
        EXPECT_EQ(sim().sim_count_calls(SIM_OP_CREATE_DEVICE),
                  c.select == std::string("InitJoystick_1") ? 1 : c.attached);
        EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_DEVICE), 1) << "replaced joysticks are released";
    }
}

// Devices that cannot be created are skipped; one without the second interface is taken all the
// same and leaves no joystick selected.
TEST_F(SelectionTest, RefusingDevices) {
    struct Stick {
        bool refuse_create, refuse_device2;
    };
    struct Case {
        const char* select;
        std::vector<Stick> sticks;
        std::vector<int> chosen;  // the acquired device, if any
    };
    const Case cases[] = {
        {"InitJoystick_1", {{true, false}, {false, false}}, {1}},
        {"InitJoystick_2", {{false, false}, {true, false}}, {0}},
        {"InitJoystick_1", {{true, false}}, {}},
        {"InitJoystick_1", {{false, true}}, {}},
        {"InitJoystick_1", {{false, true}, {false, false}}, {}},
        {"InitJoystick_2", {{false, true}, {false, false}}, {1}},
        {"InitJoystick_2", {{false, false}, {false, true}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(&c - cases));
        restart();
        open_directinput();
        for (const auto& s : c.sticks) attach("Stick", s.refuse_create, s.refuse_device2);
        call(c.select);
        const bool selected = !c.chosen.empty();
        EXPECT_EQ(var("OV_info_2"), selected ? 1 : 2);
        EXPECT_EQ(var("OV_info_1"), selected ? 1 : 0);
        EXPECT_EQ(acquired(static_cast<int>(c.sticks.size())), c.chosen);
        call("FreeDirectInput");
        EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_NONE), 0) << "nothing leaks";
        EXPECT_EQ(sim().sim_released_object_calls(), 0);
    }
}

TEST_F(SelectionTest, JoystickWithoutForceFeedbackIsSelectedLikeAnyOther) {
    open_directinput();
    const int stick = attach_joystick("Plain Stick", false);
    call("InitJoystick_1");
    EXPECT_EQ(status(), (Status{7, 1, 1, 4, 0, 0}));
    EXPECT_TRUE(device(stick).acquired);
    EXPECT_EQ(device(stick).autocenter, 0u);
}

TEST_F(SelectionTest, ConfigurationRecordsAreExact) {
    open_directinput();
    const int stick = attach("Stick");
    sim().sim_clear_log();
    call("InitJoystick_2");

    std::vector<int> device_ops;
    for (const auto& c : calls()) {
        if (c.op != SIM_OP_ENUM_DEVICES && c.op != SIM_OP_CREATE_DEVICE && c.op != SIM_OP_QUERY_INTERFACE &&
            c.op != SIM_OP_ADD_REF) {
            device_ops.push_back(c.op);
        }
    }
    const auto enumerations = calls(SIM_OP_ENUM_DEVICES);
    ASSERT_EQ(enumerations.size(), 1u);
    EXPECT_EQ(enumerations[0].a[0], static_cast<DWORD>(DIDEVTYPE_JOYSTICK));
    EXPECT_EQ(enumerations[0].a[1], static_cast<DWORD>(DIEDFL_ATTACHEDONLY));
    EXPECT_EQ(enumerations[0].a[2], 1u) << "no reference value";
    EXPECT_EQ(calls(SIM_OP_CREATE_DEVICE).at(0).outer_null, 1);
    EXPECT_TRUE(std::memcmp(&calls(SIM_OP_QUERY_INTERFACE).at(0).guid, &IID_IDirectInputDevice2A, sizeof(GUID)) == 0);
    EXPECT_EQ(device_ops, (std::vector<int>{SIM_OP_SET_DATA_FORMAT, SIM_OP_SET_COOPERATIVE_LEVEL, SIM_OP_SET_PROPERTY,
                                            SIM_OP_SET_PROPERTY, SIM_OP_SET_PROPERTY, SIM_OP_SET_PROPERTY,
                                            SIM_OP_SET_PROPERTY, SIM_OP_ACQUIRE}));

    const auto format = calls(SIM_OP_SET_DATA_FORMAT);
    ASSERT_EQ(format.size(), 1u);
    EXPECT_EQ(format[0].a[0], 80u);
    EXPECT_EQ(format[0].a[2], 1u) << "the standard joystick format";

    const auto level = calls(SIM_OP_SET_COOPERATIVE_LEVEL);
    ASSERT_EQ(level.size(), 1u);
    EXPECT_EQ(level[0].a[0], 5u) << "exclusive, foreground";
#ifdef _WIN32
    EXPECT_EQ(level[0].handle, reinterpret_cast<UINT_PTR>(GetForegroundWindow()));
#else
    EXPECT_EQ(level[0].handle, reinterpret_cast<UINT_PTR>(platform::kStandInWindow));
#endif

    const auto properties = calls(SIM_OP_SET_PROPERTY);
    ASSERT_EQ(properties.size(), 5u);
    const auto range_number = static_cast<DWORD>(platform::property_number(DIPROP_RANGE));
    const auto autocenter_number = static_cast<DWORD>(platform::property_number(DIPROP_AUTOCENTER));
    const DWORD offsets[] = {DIJOFS_X, DIJOFS_Y, DIJOFS_Z, DIJOFS_RZ};
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const DWORD range[7] = {range_number, 24, 16, offsets[i], DIPH_BYOFFSET, static_cast<DWORD>(-10000), 10000};
        EXPECT_TRUE(std::equal(range, range + 7, properties[i].a));
    }
    const DWORD autocenter[6] = {autocenter_number, 20, 16, 0, DIPH_DEVICE, DIPROPAUTOCENTER_OFF};
    EXPECT_TRUE(std::equal(autocenter, autocenter + 6, properties[4].a));

    const auto info = device(stick);
    for (int axis : {0, 1, 2, 5}) {
        EXPECT_EQ(info.range_min[axis], -10000);
        EXPECT_EQ(info.range_max[axis], 10000);
    }
    EXPECT_EQ(info.range_max[3], 65535) << "RX keeps DirectInput's range";
}

// Each failing step (or none), with the six status values it leaves after InitJoystick_1 and
// after InitJoystick_2. The ranges and the auto-centre are set one after the other, so failing
// the first n SetProperty calls fails X, then Y, Z, RZ and finally the auto-centre.
TEST_F(SelectionTest, FailingSteps) {
    struct Case {
        const char* step;
        int op;
        HRESULT result;
        int count;
        int device;  // -1: no device
        Status first, last;
        bool acquired;
    };
    const Case cases[] = {
        {"nothing", SIM_OP_ACQUIRE, DI_OK, 0, 0, {7, 1, 1, 4, 0, 0}, {0, 1, 1, 0, 0, 0}, true},
        {"enumeration", SIM_OP_ENUM_DEVICES, DIERR_GENERIC, 1, -1, {0, 0, 2, 0, 0, 0}, {0, 0, 2, 0, 0, 0}, false},
        {"create device",
         SIM_OP_CREATE_DEVICE,
         DIERR_DEVICENOTREG,
         -1,
         0,
         {0, 0, 2, 0, 0, 0},
         {0, 0, 2, 0, 0, 0},
         false},
        {"second interface",
         SIM_OP_QUERY_INTERFACE,
         E_NOINTERFACE,
         -1,
         0,
         {0, 0, 2, 0, 0, 0},
         {0, 0, 2, 0, 0, 0},
         false},
        {"data format",
         SIM_OP_SET_DATA_FORMAT,
         DIERR_INVALIDPARAM,
         1,
         0,
         {0, 1, 1, 3, 0, 0},
         {3, 1, 1, 0, 0, 0},
         false},
        {"cooperative level",
         SIM_OP_SET_COOPERATIVE_LEVEL,
         DIERR_INVALIDPARAM,
         1,
         0,
         {0, 1, 1, 4, 4, 0},
         {4, 1, 1, 0, 0, 0},
         false},
        {"X range", SIM_OP_SET_PROPERTY, DIERR_INVALIDPARAM, 1, 0, {7, 1, 1, 4, 0, 6}, {5, 1, 1, 0, 0, 0}, true},
        {"X, Y ranges", SIM_OP_SET_PROPERTY, DIERR_INVALIDPARAM, 2, 0, {6, 1, 1, 4, 0, 6}, {6, 1, 1, 0, 0, 0}, true},
        {"X to Z ranges", SIM_OP_SET_PROPERTY, DIERR_INVALIDPARAM, 3, 0, {7, 1, 1, 4, 0, 6}, {7, 1, 1, 0, 0, 0}, true},
        {"all ranges", SIM_OP_SET_PROPERTY, DIERR_INVALIDPARAM, 4, 0, {8, 1, 1, 4, 0, 6}, {8, 1, 1, 0, 0, 0}, true},
        {"ranges, auto-centre",
         SIM_OP_SET_PROPERTY,
         DIERR_ACQUIRED,
         5,
         0,
         {53, 1, 1, 4, 0, 6},
         {53, 1, 1, 0, 0, 0},
         true},
        {"acquire", SIM_OP_ACQUIRE, DIERR_GENERIC, 1, 0, {9, 1, 1, 4, 0, 0}, {9, 1, 1, 0, 0, 0}, false},
    };
    for (const auto& c : cases) {
        for (int e = 0; e < 2; ++e) {
            SCOPED_TRACE(std::string(c.step) + " in " + kSelectExports[e]);
            restart();
            open_directinput();
            const int stick = attach("Stick");
            sim().sim_fail(c.op, c.device, c.result, c.count);
            set_status({9, 9, 9, 9, 9, 9});
            call(kSelectExports[e]);
            EXPECT_EQ(status(), e == 0 ? c.first : c.last);
            expect_presets();
            EXPECT_EQ(device(stick).acquired != 0, c.acquired);
            // Once the second interface exists the joystick stays selected whatever fails later.
            sim().sim_clear_faults();
            set("OV_error", 55);
            call("Show_Capabilities");
            EXPECT_EQ(var("OV_error"), c.first[2] == 1 ? 14 : 55);
        }
    }
}

TEST_F(SelectionTest, SelectingDropsEveryEffectObject) {
    open_directinput();
    attach("Stick 0");
    attach("Stick 1");
    call("InitJoystick_1");
    call("Define_Const_Forces");
    ASSERT_EQ(sim().sim_live_objects(SIM_OBJECT_EFFECT), 1) << "the constant force needs a force-feedback joystick";

    call("InitJoystick_2");
    EXPECT_EQ(status(), (Status{0, 1, 1, 0, 1, 0}));
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_EFFECT), 0);
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_DEVICE), 1) << "the old device goes with its effects";

    call("InitJoystick_1");
    EXPECT_EQ(var("OV_info_4"), 0) << "nothing left to drop";
    EXPECT_EQ(sim().sim_released_object_calls(), 0);
}

TEST_F(SelectionTest, EffectsStayWhenNoJoystickIsFound) {
    open_directinput();
    const int stick = attach("Stick");
    call("InitJoystick_1");
    call("Define_Const_Forces");
    ASSERT_EQ(sim().sim_live_objects(SIM_OBJECT_EFFECT), 1);
    sim().sim_set_attached(stick, 0);
    call("InitJoystick_1");
    EXPECT_EQ(status(), (Status{0, 0, 2, 0, 0, 0}));
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_EFFECT), 1);
}

TEST_F(SelectionTest, RepeatedSelectionsKeepReferencesBalanced) {
    open_directinput();
    attach("Stick 0");
    attach("Stick 1");
    attach("Stick 2");
    for (int round = 0; round < 4; ++round) {
        for (const char* select : kSelectExports) {
            call(select);
            EXPECT_EQ(var("OV_info_2"), 1);
            EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_DEVICE), 1);
        }
    }
    call("InitDirectInput");
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_DEVICE), 0);
    call("FreeDirectInput");
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_NONE), 0);
    EXPECT_EQ(sim().sim_released_object_calls(), 0);
}

// Every way the library drops an acquired joystick unacquires it before its last release, so
// that its effects stop then and not whenever DirectInput gets round to it.
TEST_F(SelectionTest, AcquiredJoysticksAreUnacquiredBeforeRelease) {
    const std::vector<std::vector<const char*>> ways = {
        {"InitJoystick_1", "InitJoystick_1"},
        {"InitJoystick_1", "InitJoystick_2"},
        {"InitJoystick_2", "InitJoystick_1"},
        {"InitJoystick_1", "FreeDirectInput"},
        {"InitJoystick_2", "InitDirectInput"},
        {"InitJoystick_1", "Define_Const_Forces", "Define_Sine_1", "FreeDirectInput", "InitJoystick_2"},
    };
    for (const auto& way : ways) {
        std::string steps;
        for (const char* step : way) steps += std::string(steps.empty() ? "" : ", ") + step;
        SCOPED_TRACE(steps);
        TearDown();
        SetUp();
        open_directinput();
        attach("Stick 0");
        attach("Stick 1");
        for (const char* step : way) call(step);
        // Effects keep their device until a selection drops them.
        call("InitDirectInput");
        call("InitJoystick_1");
        call("FreeDirectInput");
        EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_DEVICE), 0);
        EXPECT_GT(sim().sim_count_calls(SIM_OP_ACQUIRE), 0);
        EXPECT_EQ(sim().sim_released_while_acquired(), 0);
    }
}

// The name exports.

using engine::Word;

constexpr Word kUntouched = 0x5A5A5A5A;

engine::HostString untouched_string() {
    engine::HostString s;
    for (Word& w : s.words) w = kUntouched;
    return s;
}

TEST_F(SelectionTest, NamesOfFirstAndLastJoystick) {
    open_directinput();
    attach("Alpha");
    attach("Beta");
    attach("Gamma");
    call("InitJoystick_1");
    for (const auto& [export_name, expected] :
         {std::pair{"Get_Joystick_Name_1", "Alpha"}, {"Get_Joystick_Name_2", "Gamma"}}) {
        SCOPED_TRACE(export_name);
        engine::HostString s = untouched_string();
        EXPECT_EQ(name(export_name, &s), &s);
        EXPECT_STREQ(s.characters(), expected);
        EXPECT_EQ(s.length(), 50u);
        EXPECT_EQ(s.host_field(), 0u);
        for (int w : {0, 1, 2, 6, 7}) EXPECT_EQ(s.words[w], kUntouched) << w;
    }
}

// The first 49 bytes of the product name are copied as they stand, bytes after its end
// included; the 50th is always 0.
TEST_F(SelectionTest, NamesAreCutAt49Bytes) {
    open_directinput();
    sim_joystick j{};
    for (int i = 0; i < 70; ++i) j.product_name[i] = static_cast<char>('A' + i % 26);
    sim().sim_attach(&j);
    sim_joystick short_name{};
    std::memcpy(short_name.product_name, "Hat\0XYZ", 7);
    short_name.product_name[48] = 'Q';
    short_name.product_name[49] = 'R';
    sim().sim_attach(&short_name);

    engine::HostString first, last;
    name("Get_Joystick_Name_1", &first);
    name("Get_Joystick_Name_2", &last);
    EXPECT_EQ(std::string(first.characters()), std::string(j.product_name, 49));
    EXPECT_EQ(first.characters()[49], '\0');
    char expected[50] = {};
    std::memcpy(expected, short_name.product_name, 49);
    EXPECT_EQ(std::memcmp(last.characters(), expected, 50), 0);
    EXPECT_EQ(last.length(), 50u);
}

TEST_F(SelectionTest, NameStatus) {
    open_directinput();
    attach("Stick");
    call("InitJoystick_1");
    engine::HostString s;
    set_status({9, 9, 9, 9, 9, 9});
    name("Get_Joystick_Name_1", &s);
    EXPECT_EQ(status(), (Status{9, 9, 9, 9, 9, 9})) << "the first reports nothing";
    name("Get_Joystick_Name_2", &s);
    EXPECT_EQ(status(), (Status{3, 0, 0, 0, 0, 0}));

    // A failed enumeration leaves the string alone and still ends with 3.
    for (const char* export_name : {"Get_Joystick_Name_1", "Get_Joystick_Name_2"}) {
        SCOPED_TRACE(export_name);
        sim().sim_fail(SIM_OP_ENUM_DEVICES, -1, DIERR_GENERIC, 1);
        engine::HostString failed = untouched_string();
        EXPECT_EQ(name(export_name, &failed), &failed) << "a joystick is selected";
        for (Word w : failed.words) EXPECT_EQ(w, kUntouched);
    }
    EXPECT_EQ(status(), (Status{3, 0, 0, 0, 0, 0}));
}

// With one joystick both names are its name. With none attached a successful enumeration still
// points the string at the buffer, which keeps the last name found.
TEST_F(SelectionTest, OneJoystickThenNone) {
    open_directinput();
    const int stick = attach("Gone Stick");
    engine::HostString first, last;
    EXPECT_EQ(name("Get_Joystick_Name_1", &first), nullptr) << "attached, but not selected";
    EXPECT_EQ(name("Get_Joystick_Name_2", &last), nullptr);
    EXPECT_STREQ(first.characters(), "Gone Stick");
    EXPECT_STREQ(last.characters(), "Gone Stick");
    sim().sim_set_attached(stick, 0);
    engine::HostString again = untouched_string();
    EXPECT_EQ(name("Get_Joystick_Name_2", &again), nullptr);
    EXPECT_STREQ(again.characters(), "Gone Stick");
    EXPECT_EQ(again.length(), 50u);
}

TEST_F(SelectionTest, NamesWithoutUsableDirectInputTouchNothing) {
    attach("Stick");
    auto check = [&](const char* when) {
        for (const char* export_name : {"Get_Joystick_Name_1", "Get_Joystick_Name_2"}) {
            SCOPED_TRACE(std::string(export_name) + " " + when);
            engine::HostString s = untouched_string();
            set_status({9, 9, 9, 9, 9, 9});
            host.clear_lookups();
            EXPECT_EQ(name(export_name, &s), nullptr);
            for (Word w : s.words) EXPECT_EQ(w, kUntouched);
            EXPECT_EQ(status(), (Status{9, 9, 9, 9, 9, 9}));
            EXPECT_TRUE(host.lookups().empty());
        }
        EXPECT_EQ(sim().sim_count_calls(SIM_OP_ENUM_DEVICES), 0);
    };
    check("before InitDirectInput");
    open_directinput();
    call("FreeDirectInput");
    sim().sim_clear_log();
    check("after FreeDirectInput");
    EXPECT_EQ(sim().sim_released_object_calls(), 0);
}

TEST_F(SelectionTest, NullStringObjectIsNotWritten) {
    open_directinput();
    attach("Stick");
    call("InitJoystick_1");
    EXPECT_EQ(name("Get_Joystick_Name_1", nullptr), nullptr);
    EXPECT_EQ(name("Get_Joystick_Name_2", nullptr), nullptr);
    EXPECT_EQ(var("OV_error"), 3);
}

}  // namespace
}  // namespace tamrilo::test
