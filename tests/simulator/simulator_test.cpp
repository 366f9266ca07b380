// The simulated DirectInput's own rules, where a fault in it would let a library fault pass:
// acquisition, download and start rules, parameter checks, reference counts, fault injection
// and calls on released objects. The objects are driven directly, not through the library.
#include <algorithm>
#include <array>
#include <cstring>
#include <functional>

#include "effect_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace tamrilo::test {
namespace {

using CreateFunction = HRESULT(WINAPI*)(HINSTANCE, DWORD, LPDIRECTINPUTA*, LPUNKNOWN);

CreateFunction directinput_create() {
    if (!sim().available()) return nullptr;
#ifdef _WIN32
    auto* found = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("dinput.dll"), "DirectInputCreateA"));
    return reinterpret_cast<CreateFunction>(found);
#else
    return reinterpret_cast<CreateFunction>(dlsym(RTLD_DEFAULT, "DirectInputCreateA"));
#endif
}

// The system headers give these two as unsigned constants, which a table of HRESULTs rejects.
constexpr HRESULT kUnplugged = static_cast<HRESULT>(DIERR_UNPLUGGED);
constexpr HRESULT kNotExclusive = static_cast<HRESULT>(DIERR_NOTEXCLUSIVEACQUIRED);

// A joystick data format of our own: DIJOYSTATE's size, with X, Y, Z, RZ, one POV, two buttons.
DIOBJECTDATAFORMAT format_objects[] = {
    {&GUID_XAxis, 0, DIDFT_AXIS | DIDFT_ANYINSTANCE, 0}, {&GUID_YAxis, 4, DIDFT_AXIS | DIDFT_ANYINSTANCE, 0},
    {&GUID_ZAxis, 8, DIDFT_AXIS | DIDFT_ANYINSTANCE, 0}, {&GUID_RzAxis, 20, DIDFT_AXIS | DIDFT_ANYINSTANCE, 0},
    {&GUID_POV, 32, DIDFT_POV | DIDFT_ANYINSTANCE, 0},   {nullptr, 48, DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0},
    {nullptr, 49, DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0},
};
const DIDATAFORMAT kFormat = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_ABSAXIS, sizeof(DIJOYSTATE), 7,
                              format_objects};

const HWND kWindow = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x1234));
constexpr DWORD kExclusive = DISCL_EXCLUSIVE | DISCL_FOREGROUND;
constexpr DWORD kShared = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;

struct Enumeration {
    std::vector<DIDEVICEINSTANCEA> seen;
    std::size_t stop_after;
};

BOOL CALLBACK collect(LPCDIDEVICEINSTANCEA instance, LPVOID ref) {
    auto* enumeration = static_cast<Enumeration*>(ref);
    enumeration->seen.push_back(*instance);
    return enumeration->seen.size() == enumeration->stop_after ? DIENUM_STOP : DIENUM_CONTINUE;
}

// Version 6 of DirectInput adds a start delay to DIEFFECT.
struct EffectDx6 {
    DIEFFECT dx5;
    DWORD start_delay;
};

struct Step {
    const char* what;
    std::function<HRESULT()> run;
    HRESULT expected;
};

class SimulatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        create = directinput_create();
        if (!create) GTEST_SKIP() << "not running against the simulated DirectInput";
        sim().sim_reset();
        ASSERT_EQ(create(nullptr, 0x0500, &directinput, nullptr), DI_OK);
        device = open_device(attach(true));
        ASSERT_NE(device, nullptr);
    }
    void TearDown() override {
        if (create) sim().sim_reset();
    }

    int attach(bool force_feedback, DWORD axis_count = 4) {
        sim_joystick j{};
        std::strcpy(j.product_name, "Stick");
        j.force_feedback = force_feedback;
        j.axes = axis_count;
        j.buttons = 2;
        j.povs = 1;
        return sim().sim_attach(&j);
    }

    GUID instance_of(int device_number) {
        return enumerate(DIDEVTYPE_JOYSTICK, 0).at(static_cast<std::size_t>(device_number)).guidInstance;
    }

    std::vector<DIDEVICEINSTANCEA> enumerate(DWORD type, DWORD flags, std::size_t stop_after = 0) {
        Enumeration enumeration{{}, stop_after};
        EXPECT_EQ(directinput->EnumDevices(type, collect, &enumeration, flags), DI_OK);
        return enumeration.seen;
    }

    // The device's Device2 interface; the first interface is released again.
    IDirectInputDevice2A* open_device(int device_number) {
        IDirectInputDeviceA* first = nullptr;
        if (directinput->CreateDevice(instance_of(device_number), &first, nullptr) != DI_OK) return nullptr;
        void* second = nullptr;
        first->QueryInterface(IID_IDirectInputDevice2A, &second);
        first->Release();
        return static_cast<IDirectInputDevice2A*>(second);
    }

    void acquire(DWORD cooperation) {
        ASSERT_EQ(device->SetDataFormat(&kFormat), DI_OK);
        ASSERT_EQ(device->SetCooperativeLevel(kWindow, cooperation), DI_OK);
        ASSERT_EQ(device->Acquire(), DI_OK);
    }

    DIEFFECT constant_force(DWORD flags = DIEFF_OBJECTOFFSETS | DIEFF_CARTESIAN) {
        DIEFFECT e{};
        e.dwSize = sizeof(DIEFFECT);
        e.dwFlags = flags;
        e.dwDuration = INFINITE;
        e.dwGain = 10000;
        e.dwTriggerButton = DIEB_NOTRIGGER;
        e.cAxes = 2;
        e.rgdwAxes = axes;
        e.rglDirection = direction;
        e.cbTypeSpecificParams = sizeof(DICONSTANTFORCE);
        e.lpvTypeSpecificParams = force;
        return e;
    }

    sim_effect_info effect_info(int index = 0) {
        sim_effect_info info{};
        sim().sim_get_effect(index, &info);
        return info;
    }

    sim_call last_call() {
        sim_call c{};
        sim().sim_get_call(sim().sim_call_count() - 1, &c);
        return c;
    }

    static std::array<DWORD, 7> fields_of(const sim_call& call) {
        std::array<DWORD, 7> fields{};
        std::copy(std::begin(call.a), std::end(call.a), fields.begin());
        return fields;
    }

    void run(const std::vector<Step>& steps) {
        for (const Step& step : steps) EXPECT_EQ(step.run(), step.expected) << step.what;
    }

    CreateFunction create = nullptr;
    IDirectInputA* directinput = nullptr;
    IDirectInputDevice2A* device = nullptr;
    // Room behind each block: the checks hand over records that claim more axes or a larger
    // block than a valid one, and DirectInput reads as much as the record claims.
    DWORD axes[8] = {DIJOFS_X, DIJOFS_Y};
    LONG direction[8] = {1, 0};
    DICONSTANTFORCE force[16] = {{5000}};
};

// Simulated time moves only when told, never backwards, and starts again at 0 with a reset.
TEST_F(SimulatorTest, ClockMovesOnlyWhenAdvanced) {
    EXPECT_EQ(sim().sim_clock(), 0u);
    sim().sim_advance_clock(16000);
    sim().sim_advance_clock(0);
    sim().sim_advance_clock(250);
    EXPECT_EQ(sim().sim_clock(), 16250u);
    sim().sim_advance_clock(~0ULL);
    EXPECT_EQ(sim().sim_clock(), ~0ULL);
    sim().sim_advance_clock(1);
    EXPECT_EQ(sim().sim_clock(), ~0ULL);
    sim().sim_reset();
    EXPECT_EQ(sim().sim_clock(), 0u);
}

TEST_F(SimulatorTest, CreateChecksTheVersion) {
    const struct {
        DWORD version;
        HRESULT expected;
    } cases[] = {
        {0x0300, DI_OK},
        {0x0500, DI_OK},
        {0x0700, DI_OK},
        {0x0800, DIERR_OLDDIRECTINPUTVERSION},
        {0x0400, DIERR_BETADIRECTINPUTVERSION},
        {0, DIERR_BETADIRECTINPUTVERSION},
    };
    for (const auto& c : cases) {
        IDirectInputA* out = directinput;  // a stale value the call must overwrite
        EXPECT_EQ(create(nullptr, c.version, &out, nullptr), c.expected) << std::hex << c.version;
        EXPECT_EQ(out == nullptr, FAILED(c.expected)) << std::hex << c.version;
    }
}

TEST_F(SimulatorTest, EnumerationListsAttachedJoysticksInOrderAndStops) {
    sim_joystick second{};
    std::memcpy(second.product_name, "Two\0tail", 8);
    sim().sim_attach(&second);
    attach(false);
    sim().sim_set_attached(2, 0);
    EXPECT_EQ(enumerate(DIDEVTYPE_JOYSTICK, DIEDFL_ATTACHEDONLY).size(), 2u);
    EXPECT_EQ(enumerate(DIDEVTYPE_KEYBOARD, 0).size(), 0u);
    EXPECT_EQ(enumerate(DIDEVTYPE_JOYSTICK, 0, 2).size(), 2u);
    const auto all = enumerate(0, 0);
    ASSERT_EQ(all.size(), 3u);
    for (const auto& instance : all) {
        EXPECT_EQ(instance.dwSize, sizeof(DIDEVICEINSTANCEA));
        EXPECT_EQ(instance.dwDevType & 0xFF, static_cast<DWORD>(DIDEVTYPE_JOYSTICK));
    }
    EXPECT_FALSE(IsEqualGUID(all[0].guidInstance, all[1].guidInstance));
    EXPECT_STREQ(all[1].tszProductName + 4, "tail");  // bytes after the NUL reach the caller
}

TEST_F(SimulatorTest, AcquisitionRules) {
    DIJOYSTATE set{};
    set.lX = -123;
    set.lRz = 77;
    set.lRx = 55;  // the format has no RX
    set.rgdwPOV[0] = 9000;
    set.rgbButtons[1] = 0x80;
    sim().sim_set_state(0, &set);
    DIJOYSTATE read{};
    DIPROPRANGE range{{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), DIJOFS_X, DIPH_BYOFFSET}, -10000, 10000};
    DIPROPDWORD autocenter{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, 0};
    auto state = [&] { return device->GetDeviceState(sizeof read, &read); };
    auto plug = [&](int attached) {
        return [=] {
            sim().sim_set_attached(0, attached);
            return DI_OK;
        };
    };
    run({
        {"read before acquiring", state, DIERR_NOTACQUIRED},
        {"poll before acquiring", [&] { return device->Poll(); }, DIERR_NOTACQUIRED},
        {"acquire without a format", [&] { return device->Acquire(); }, DIERR_INVALIDPARAM},
        {"set format", [&] { return device->SetDataFormat(&kFormat); }, DI_OK},
        {"cooperation without foreground/background",
         [&] { return device->SetCooperativeLevel(kWindow, DISCL_EXCLUSIVE); }, DIERR_INVALIDPARAM},
        {"cooperation with both", [&] { return device->SetCooperativeLevel(kWindow, kExclusive | DISCL_NONEXCLUSIVE); },
         DIERR_INVALIDPARAM},
        {"acquire", [&] { return device->Acquire(); }, DI_OK},
        {"acquire again", [&] { return device->Acquire(); }, DI_NOEFFECT},
        {"format while acquired", [&] { return device->SetDataFormat(&kFormat); }, DIERR_ACQUIRED},
        {"cooperation while acquired", [&] { return device->SetCooperativeLevel(kWindow, kShared); }, DIERR_ACQUIRED},
        {"autocenter while acquired", [&] { return device->SetProperty(DIPROP_AUTOCENTER, &autocenter.diph); },
         DIERR_ACQUIRED},
        {"range while acquired", [&] { return device->SetProperty(DIPROP_RANGE, &range.diph); }, DI_OK},
        {"read of the wrong size", [&] { return device->GetDeviceState(sizeof read - 4, &read); }, DIERR_INVALIDPARAM},
        {"read", state, DI_OK},
        {"poll", [&] { return device->Poll(); }, DI_NOEFFECT},
        {"unplug", plug(0), DI_OK},
        {"read unplugged", state, DIERR_INPUTLOST},
        {"read unplugged again", state, DIERR_INPUTLOST},
        {"poll unplugged", [&] { return device->Poll(); }, DIERR_INPUTLOST},
        {"acquire unplugged", [&] { return device->Acquire(); }, kUnplugged},
        {"read after the failed acquisition", state, DIERR_NOTACQUIRED},
        {"plug in", plug(1), DI_OK},
        {"read plugged in", state, DIERR_NOTACQUIRED},
        {"acquire plugged in", [&] { return device->Acquire(); }, DI_OK},
        {"unacquire", [&] { return device->Unacquire(); }, DI_OK},
        {"unacquire again", [&] { return device->Unacquire(); }, DI_NOEFFECT},
        {"read after unacquiring", state, DIERR_NOTACQUIRED},
        {"unplug unacquired", plug(0), DI_OK},
        {"unacquire unplugged", [&] { return device->Unacquire(); }, DI_NOEFFECT},
    });
    EXPECT_EQ(read.lX, -123);
    EXPECT_EQ(read.lRz, 77);
    EXPECT_EQ(read.lRx, 0);
    EXPECT_EQ(read.rgdwPOV[0], 9000u);
    EXPECT_EQ(read.rgdwPOV[1], 0u);  // not in the format
    EXPECT_EQ(read.rgbButtons[1], 0x80);
}

TEST_F(SimulatorTest, PropertyChecks) {
    const auto dword = [](DWORD obj, DWORD how, DWORD data) {
        return DIPROPDWORD{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), obj, how}, data};
    };
    const struct {
        const char* what;
        const GUID& property;
        DIPROPDWORD record;
        HRESULT expected;
    } cases[] = {
        {"dead zone on Y", DIPROP_DEADZONE, dword(DIJOFS_Y, DIPH_BYOFFSET, 10000), DI_OK},
        {"dead zone above 10000", DIPROP_DEADZONE, dword(DIJOFS_Y, DIPH_BYOFFSET, 10001), DIERR_INVALIDPARAM},
        {"saturation above 10000", DIPROP_SATURATION, dword(DIJOFS_X, DIPH_BYOFFSET, 10001), DIERR_INVALIDPARAM},
        {"offset not in the format", DIPROP_DEADZONE, dword(DIJOFS_RX, DIPH_BYOFFSET, 0), DIERR_OBJECTNOTFOUND},
        {"axis the joystick lacks", DIPROP_DEADZONE, dword(DIJOFS_RZ, DIPH_BYOFFSET, 0), DIERR_OBJECTNOTFOUND},
        {"autocenter by offset", DIPROP_AUTOCENTER, dword(DIJOFS_X, DIPH_BYOFFSET, 0), DIERR_INVALIDPARAM},
        {"autocenter of 2", DIPROP_AUTOCENTER, dword(0, DIPH_DEVICE, 2), DIERR_INVALIDPARAM},
        {"autocenter off", DIPROP_AUTOCENTER, dword(0, DIPH_DEVICE, 0), DI_OK},
        {"record too small",
         DIPROP_DEADZONE,
         {{16, sizeof(DIPROPHEADER), DIJOFS_X, DIPH_BYOFFSET}, 0},
         DIERR_INVALIDPARAM},
        {"header size wrong",
         DIPROP_DEADZONE,
         {{sizeof(DIPROPDWORD), 20, DIJOFS_X, DIPH_BYOFFSET}, 0},
         DIERR_INVALIDPARAM},
        {"range record too small", DIPROP_RANGE, dword(DIJOFS_X, DIPH_BYOFFSET, 0), DIERR_INVALIDPARAM},
    };
    // The joystick has three axes here, so RZ is missing although the format names it.
    sim().sim_reset();
    ASSERT_EQ(create(nullptr, 0x0500, &directinput, nullptr), DI_OK);
    device = open_device(attach(true, 3));
    ASSERT_EQ(device->SetDataFormat(&kFormat), DI_OK);
    for (const auto& c : cases) {
        EXPECT_EQ(device->SetProperty(c.property, &c.record.diph), c.expected) << c.what;
    }
    DIPROPRANGE inverted{{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), DIJOFS_X, DIPH_BYOFFSET}, 1, 0};
    EXPECT_EQ(device->SetProperty(DIPROP_RANGE, &inverted.diph), DIERR_INVALIDPARAM);
    sim_device_info info{};
    ASSERT_TRUE(sim().sim_get_device(0, &info));
    EXPECT_EQ(info.dead_zone[0], 0u);
    EXPECT_EQ(info.dead_zone[1], 10000u);
    EXPECT_EQ(info.saturation[0], 10000u);
    EXPECT_EQ(info.range_min[0], 0);
    EXPECT_EQ(info.range_max[0], 65535);
    EXPECT_EQ(info.autocenter, 0u);
}

// What a property call leaves in the log, in every outcome: the header fields always (a refused
// call's too), the value of a set only from a record of the property's size, the value of a get
// only when it was answered. Where two checks could both refuse a call, the row pins which one
// answers. The rows run in order on one device.
TEST_F(SimulatorTest, PropertyCallsLogHeaderAndValues) {
    enum Access { kGet, kSet };
    constexpr DWORD kOffset = DIPH_BYOFFSET, kId = DIPH_BYID, kDevice = DIPH_DEVICE;
    constexpr DWORD kMinus1 = static_cast<DWORD>(-1);
    // A range record holds a DWORD record too: its dwSize tells which the caller claims it is.
    const auto sized = [](DWORD size, DWORD obj, DWORD how, LONG first = 0, LONG second = 0) {
        return DIPROPRANGE{{size, sizeof(DIPROPHEADER), obj, how}, first, second};
    };
    const auto dword = [&](DWORD obj, DWORD how, LONG data = 0) { return sized(sizeof(DIPROPDWORD), obj, how, data); };
    const auto range = [&](DWORD obj, DWORD how, LONG min = 0, LONG max = 0) {
        return sized(sizeof(DIPROPRANGE), obj, how, min, max);
    };
    struct Row {
        const char* what;
        Access access;
        const GUID& property;
        DIPROPRANGE record;
        HRESULT expected;
        DWORD logged[3];  // a0, a5, a6: a1 to a4 are always the record's header fields
    };
    const auto check = [&](const std::vector<Row>& rows) {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.what);
            DIPROPRANGE record = row.record;
            const HRESULT result = row.access == kGet ? device->GetProperty(row.property, &record.diph)
                                                      : device->SetProperty(row.property, &record.diph);
            EXPECT_EQ(result, row.expected);
            const sim_call logged = last_call();
            EXPECT_EQ(logged.op, row.access == kGet ? SIM_OP_GET_PROPERTY : SIM_OP_SET_PROPERTY);
            EXPECT_EQ(logged.result, row.expected);
            const DIPROPHEADER& header = row.record.diph;
            EXPECT_EQ(fields_of(logged),
                      (std::array<DWORD, 7>{row.logged[0], header.dwSize, header.dwHeaderSize, header.dwObj,
                                            header.dwHow, row.logged[1], row.logged[2]}));
            if (row.access == kGet && result == DI_OK) {
                EXPECT_EQ(static_cast<DWORD>(record.lMin), row.logged[1]) << "the answer";
                EXPECT_EQ(static_cast<DWORD>(record.lMax), row.logged[2]) << "the answer";
            }
        }
    };
    ASSERT_EQ(device->SetDataFormat(&kFormat), DI_OK);
    check({
        {"set a dead zone", kSet, DIPROP_DEADZONE, dword(DIJOFS_Y, kOffset, 500), DI_OK, {5, 500, 0}},
        {"get it", kGet, DIPROP_DEADZONE, dword(DIJOFS_Y, kOffset, 77), DI_OK, {5, 500, 0}},
        {"set a range", kSet, DIPROP_RANGE, range(DIJOFS_Z, kOffset, -1, 5), DI_OK, {4, kMinus1, 5}},
        {"get it", kGet, DIPROP_RANGE, range(DIJOFS_Z, kOffset), DI_OK, {4, kMinus1, 5}},
        {"get a saturation", kGet, DIPROP_SATURATION, dword(DIJOFS_RZ, kOffset), DI_OK, {6, 10000, 0}},
        {"get the autocenter", kGet, DIPROP_AUTOCENTER, dword(0, kDevice), DI_OK, {9, DIPROPAUTOCENTER_ON, 0}},
        {"set for the device", kSet, DIPROP_SATURATION, dword(0, kDevice, 9000), DI_OK, {6, 9000, 0}},
        {"get for the device", kGet, DIPROP_SATURATION, dword(0, kDevice), DIERR_INVALIDPARAM, {6, 0, 0}},
        {"record too large", kSet, DIPROP_DEADZONE, range(DIJOFS_X, kOffset, 9), DIERR_INVALIDPARAM, {5, 0, 0}},
        {"record too small", kSet, DIPROP_RANGE, dword(DIJOFS_X, kOffset, 1), DIERR_INVALIDPARAM, {4, 0, 0}},
        {"get by id", kGet, DIPROP_DEADZONE, dword(0x102, kId), DIERR_OBJECTNOTFOUND, {5, 0, 0}},
        {"set by id, too large", kSet, DIPROP_DEADZONE, dword(0x102, kId, 10001), DIERR_OBJECTNOTFOUND, {5, 10001, 0}},
        {"unknown dwHow", kSet, DIPROP_DEADZONE, dword(0, 3, 1), DIERR_INVALIDPARAM, {5, 1, 0}},
        {"device naming an object", kSet, DIPROP_DEADZONE, dword(4, kDevice, 1), DIERR_INVALIDPARAM, {5, 1, 0}},
        {"inverted, absent axis", kSet, DIPROP_RANGE, range(DIJOFS_RX, kOffset, 1), DIERR_OBJECTNOTFOUND, {4, 1, 0}},
        {"unsupported, wrong size", kSet, DIPROP_FFGAIN, range(0, kDevice, 1), DIERR_UNSUPPORTED, {7, 0, 0}},
        {"unsupported", kSet, DIPROP_BUFFERSIZE, dword(0, kDevice, 16), DIERR_UNSUPPORTED, {1, 16, 0}},
        {"past the numbers logged", kGet, MAKEDIPROP(10), dword(0, kDevice), DIERR_UNSUPPORTED, {0, 0, 0}},
        {"named by a GUID", kSet, GUID_XAxis, dword(0, kDevice, 1), DIERR_UNSUPPORTED, {0, 1, 0}},
    });
    acquire(kExclusive);
    check({
        {"autocenter of 2", kSet, DIPROP_AUTOCENTER, dword(0, kDevice, 2), DIERR_ACQUIRED, {9, 2, 0}},
        {"autocenter naming an object", kSet, DIPROP_AUTOCENTER, dword(1, kDevice), DIERR_INVALIDPARAM, {9, 0, 0}},
        {"autocenter by offset", kGet, DIPROP_AUTOCENTER, dword(DIJOFS_X, kOffset), DIERR_INVALIDPARAM, {9, 0, 0}},
        {"get the autocenter", kGet, DIPROP_AUTOCENTER, dword(0, kDevice), DI_OK, {9, DIPROPAUTOCENTER_ON, 0}},
        {"set a dead zone", kSet, DIPROP_DEADZONE, dword(DIJOFS_X, kOffset, 100), DI_OK, {5, 100, 0}},
    });
    sim().sim_fail(SIM_OP_SET_PROPERTY, 0, DIERR_GENERIC, 1);
    sim().sim_fail(SIM_OP_GET_PROPERTY, 0, DIERR_GENERIC, 1);
    check({
        {"set refused by a fault", kSet, DIPROP_DEADZONE, dword(DIJOFS_X, kOffset, 200), DIERR_GENERIC, {5, 200, 0}},
        {"get refused by a fault", kGet, DIPROP_RANGE, range(DIJOFS_X, kOffset), DIERR_GENERIC, {4, 0, 0}},
    });
    // The set for the device reached every axis; the refused set reached none.
    sim_device_info info{};
    ASSERT_TRUE(sim().sim_get_device(0, &info));
    EXPECT_TRUE(std::all_of(std::begin(info.saturation), std::end(info.saturation), [](DWORD s) { return s == 9000; }));
    EXPECT_EQ(info.dead_zone[0], 100u);
    ASSERT_EQ(device->Release(), 0u);
    check({
        {"set, released", kSet, DIPROP_RANGE, range(DIJOFS_X, kOffset, -1, 1), DIERR_NOTINITIALIZED, {4, kMinus1, 1}},
        {"get, released", kGet, DIPROP_DEADZONE, dword(DIJOFS_X, kOffset), DIERR_NOTINITIALIZED, {5, 0, 0}},
    });

    // A missing header is refused once the property is known, and logs only the property.
    device = open_device(0);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->SetProperty(DIPROP_DEADZONE, nullptr), DIERR_INVALIDPARAM);
    EXPECT_EQ(fields_of(last_call()), (std::array<DWORD, 7>{5, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(device->GetProperty(DIPROP_AUTOCENTER, nullptr), DIERR_INVALIDPARAM);
    EXPECT_EQ(device->SetProperty(DIPROP_FFLOAD, nullptr), DIERR_UNSUPPORTED);
}

TEST_F(SimulatorTest, EffectParameterChecks) {
    DICONDITION conditions[3] = {};  // the third only for the record that claims three
    const struct {
        const char* what;
        std::function<void(DIEFFECT&)> change;
        const GUID& guid;
        HRESULT expected;
    } cases[] = {
        {"complete", [](DIEFFECT&) {}, GUID_ConstantForce, DI_DOWNLOADSKIPPED},
        {"version 6 size", [](DIEFFECT& e) { e.dwSize = sizeof(EffectDx6); }, GUID_ConstantForce, DI_DOWNLOADSKIPPED},
        {"size 0", [](DIEFFECT& e) { e.dwSize = 0; }, GUID_ConstantForce, DIERR_INVALIDPARAM},
        {"no axis", [](DIEFFECT& e) { e.cAxes = 0; }, GUID_ConstantForce, DIERR_INVALIDPARAM},
        {"more axes than the joystick", [](DIEFFECT& e) { e.cAxes = 5; }, GUID_ConstantForce, DIERR_INVALIDPARAM},
        {"null axes", [](DIEFFECT& e) { e.rgdwAxes = nullptr; }, GUID_ConstantForce, DIERR_INVALIDPARAM},
        {"polar on one axis",
         [](DIEFFECT& e) {
             e.cAxes = 1;
             e.dwFlags = DIEFF_OBJECTOFFSETS | DIEFF_POLAR;
         },
         GUID_ConstantForce, DIERR_INVALIDPARAM},
        {"polar on two axes", [](DIEFFECT& e) { e.dwFlags = DIEFF_OBJECTOFFSETS | DIEFF_POLAR; }, GUID_ConstantForce,
         DI_DOWNLOADSKIPPED},
        {"constant force of 8 bytes", [](DIEFFECT& e) { e.cbTypeSpecificParams = 8; }, GUID_ConstantForce,
         DIERR_INVALIDPARAM},
        {"periodic of 4 bytes", [](DIEFFECT&) {}, GUID_Sine, DIERR_INVALIDPARAM},
        {"one condition per axis",
         [&](DIEFFECT& e) {
             e.cbTypeSpecificParams = 2 * sizeof(DICONDITION);
             e.lpvTypeSpecificParams = conditions;
         },
         GUID_Spring, DI_DOWNLOADSKIPPED},
        {"one condition for all",
         [&](DIEFFECT& e) {
             e.cbTypeSpecificParams = sizeof(DICONDITION);
             e.lpvTypeSpecificParams = conditions;
         },
         GUID_Damper, DI_DOWNLOADSKIPPED},
        {"three conditions",
         [&](DIEFFECT& e) {
             e.cbTypeSpecificParams = 3 * sizeof(DICONDITION);
             e.lpvTypeSpecificParams = conditions;
         },
         GUID_Friction, DIERR_INVALIDPARAM},
        {"unknown effect", [](DIEFFECT&) {}, GUID_XAxis, DIERR_DEVICENOTREG},
    };
    ASSERT_EQ(device->SetDataFormat(&kFormat), DI_OK);
    for (const auto& c : cases) {
        DIEFFECT e = constant_force();
        c.change(e);
        IDirectInputEffect* effect = reinterpret_cast<IDirectInputEffect*>(&e);
        EXPECT_EQ(device->CreateEffect(c.guid, &e, &effect, nullptr), c.expected) << c.what;
        EXPECT_EQ(effect == nullptr, FAILED(c.expected)) << c.what;
        if (effect) effect->Release();
    }
    IDirectInputDevice2A* plain = open_device(attach(false));
    DIEFFECT e = constant_force();
    IDirectInputEffect* effect = nullptr;
    EXPECT_EQ(plain->CreateEffect(GUID_ConstantForce, &e, &effect, nullptr), DIERR_UNSUPPORTED);
}

TEST_F(SimulatorTest, EffectsDownloadOnlyWhileAcquiredExclusively) {
    ASSERT_EQ(device->SetDataFormat(&kFormat), DI_OK);
    DIEFFECT params = constant_force();
    IDirectInputEffect* effect = nullptr;
    ASSERT_EQ(device->CreateEffect(GUID_ConstantForce, &params, &effect, nullptr), DI_DOWNLOADSKIPPED);
    auto set = [&](DWORD flags) { return [&, flags] { return effect->SetParameters(&params, flags); }; };
    auto cooperate = [&](DWORD flags) {
        return [&, flags] {
            device->Unacquire();
            device->SetCooperativeLevel(kWindow, flags);
            return device->Acquire();
        };
    };
    const struct {
        const char* what;
        std::function<HRESULT()> run;
        HRESULT expected;
        int downloaded, playing, start_count;
    } steps[] = {
        {"start unacquired", [&] { return effect->Start(1, 0); }, kNotExclusive, 0, 0, 0},
        {"stop unacquired", [&] { return effect->Stop(); }, kNotExclusive, 0, 0, 0},
        {"set and start unacquired", set(DIEP_TYPESPECIFICPARAMS | DIEP_START), kNotExclusive, 0, 0, 0},
        {"acquire shared", cooperate(kShared), DI_OK, 0, 0, 0},
        {"set shared", set(DIEP_TYPESPECIFICPARAMS), DI_DOWNLOADSKIPPED, 0, 0, 0},
        {"start shared", [&] { return effect->Start(1, 0); }, kNotExclusive, 0, 0, 0},
        {"acquire exclusively", cooperate(kExclusive), DI_OK, 0, 0, 0},
        {"set without download", set(DIEP_GAIN | DIEP_NODOWNLOAD), DI_DOWNLOADSKIPPED, 0, 0, 0},
        {"set", set(DIEP_GAIN), DI_OK, 1, 0, 0},
        {"set and start", set(DIEP_DIRECTION | DIEP_START), DI_OK, 1, 1, 1},
        {"set and restart", set(DIEP_START), DI_OK, 1, 1, 2},
        {"unknown set flag", set(0x00000200), DIERR_INVALIDPARAM, 1, 1, 2},
        {"stop", [&] { return effect->Stop(); }, DI_OK, 1, 0, 2},
        {"unload", [&] { return effect->Unload(); }, DI_OK, 0, 0, 2},
        {"unload again", [&] { return effect->Unload(); }, DI_NOEFFECT, 0, 0, 2},
        {"unknown start flag", [&] { return effect->Start(1, 2); }, DIERR_INVALIDPARAM, 0, 0, 2},
        {"start downloads", [&] { return effect->Start(INFINITE, DIES_SOLO); }, DI_OK, 1, 1, 3},
        {"unload playing", [&] { return effect->Unload(); }, DI_OK, 0, 0, 3},
        {"start again", [&] { return effect->Start(1, 0); }, DI_OK, 1, 1, 4},
        {"unacquire", [&] { return device->Unacquire(); }, DI_OK, 0, 0, 4},
    };
    for (const auto& s : steps) {
        EXPECT_EQ(s.run(), s.expected) << s.what;
        const sim_effect_info info = effect_info();
        EXPECT_EQ(info.downloaded, s.downloaded) << s.what;
        EXPECT_EQ(info.playing, s.playing) << s.what;
        EXPECT_EQ(info.start_count, s.start_count) << s.what;
    }
    // Acquired exclusively, creating downloads at once; the last release unloads.
    cooperate(kExclusive)();
    IDirectInputEffect* second = nullptr;
    ASSERT_EQ(device->CreateEffect(GUID_ConstantForce, &params, &second, nullptr), DI_OK);
    EXPECT_EQ(effect_info(1).downloaded, 1);
    EXPECT_EQ(second->Release(), 0u);
    EXPECT_EQ(effect_info(1).downloaded, 0);
    EXPECT_EQ(effect_info(1).refs, 0);
}

// Values beyond DirectInput's ranges are truncated to the nearest one in range and reported as
// DI_TRUNCATED, a success; a skipped download says so instead.
TEST_F(SimulatorTest, TruncatesValuesBeyondTheRanges) {
    ASSERT_EQ(device->SetDataFormat(&kFormat), DI_OK);
    ASSERT_EQ(device->SetCooperativeLevel(kWindow, kExclusive), DI_OK);
    ASSERT_EQ(device->Acquire(), DI_OK);
    DIEFFECT params = constant_force();
    IDirectInputEffect* effect = nullptr;
    force[0].lMagnitude = -14140;
    ASSERT_EQ(device->CreateEffect(GUID_ConstantForce, &params, &effect, nullptr), DI_TRUNCATED);
    EXPECT_EQ(block_of<DICONSTANTFORCE>(effect_info().params).lMagnitude, -10000);
    EXPECT_EQ(block_of<DICONSTANTFORCE>(last_call().params).lMagnitude, -14140) << "the log keeps what was passed";
    force[0].lMagnitude = 10000;
    EXPECT_EQ(effect->SetParameters(&params, DIEP_TYPESPECIFICPARAMS | DIEP_START), DI_OK);
    force[0].lMagnitude = 10001;
    EXPECT_EQ(effect->SetParameters(&params, DIEP_TYPESPECIFICPARAMS | DIEP_START), DI_TRUNCATED);
    EXPECT_EQ(effect->SetParameters(&params, DIEP_TYPESPECIFICPARAMS | DIEP_NODOWNLOAD), DI_DOWNLOADSKIPPED);
    EXPECT_EQ(block_of<DICONSTANTFORCE>(effect_info().params).lMagnitude, 10000);
    effect->Release();

    DIPERIODIC wave{static_cast<DWORD>(-99), -10001, 0, 1000};
    params.dwFlags = DIEFF_OBJECTOFFSETS | DIEFF_POLAR;
    params.cbTypeSpecificParams = sizeof wave;
    params.lpvTypeSpecificParams = &wave;
    ASSERT_EQ(device->CreateEffect(GUID_Sine, &params, &effect, nullptr), DI_TRUNCATED);
    const auto truncated_wave = block_of<DIPERIODIC>(effect_info(1).params);
    EXPECT_EQ(truncated_wave.dwMagnitude, 10000u);
    EXPECT_EQ(truncated_wave.lOffset, -10000);
    effect->Release();

    DICONDITION conditions[2] = {{10001, -10001, 10001, 10001, 20000, -1}, {-5, 5, -5, 5, 5, 5}};
    params.cbTypeSpecificParams = sizeof conditions;
    params.lpvTypeSpecificParams = conditions;
    ASSERT_EQ(device->CreateEffect(GUID_Spring, &params, &effect, nullptr), DI_TRUNCATED);
    const auto truncated = block_of<Conditions>(effect_info(2).params);
    const DICONDITION within = {10000, -10000, 10000, 10000, 10000, 0};
    EXPECT_EQ(std::memcmp(&truncated.x, &within, sizeof within), 0);
    EXPECT_EQ(std::memcmp(&truncated.y, &conditions[1], sizeof within), 0);
    effect->Release();
}

TEST_F(SimulatorTest, EffectsKeepTheirDeviceAliveAndReleasedObjectsAnswerSafely) {
    ASSERT_EQ(device->SetDataFormat(&kFormat), DI_OK);
    DIEFFECT params = constant_force();
    IDirectInputEffect* effect = nullptr;
    ASSERT_EQ(device->CreateEffect(GUID_ConstantForce, &params, &effect, nullptr), DI_DOWNLOADSKIPPED);
    EXPECT_EQ(effect->AddRef(), 2u);
    EXPECT_EQ(effect->Release(), 1u);
    EXPECT_EQ(device->Release(), 1u);  // the effect's reference
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_DEVICE), 1);
    EXPECT_EQ(directinput->Release(), 0u);
    EXPECT_EQ(effect->Release(), 0u);
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_NONE), 0);
    EXPECT_EQ(sim().sim_released_object_calls(), 0);

    const std::vector<Step> late = {
        {"acquire", [&] { return device->Acquire(); }, DIERR_NOTINITIALIZED},
        {"start", [&] { return effect->Start(1, 0); }, DIERR_NOTINITIALIZED},
        {"release", [&] { return static_cast<HRESULT>(effect->Release()); }, 0},
        {"add ref", [&] { return static_cast<HRESULT>(device->AddRef()); }, 0},
        {"enumerate", [&] { return directinput->EnumDevices(0, collect, nullptr, 0); }, DIERR_NOTINITIALIZED},
    };
    for (const Step& step : late) {
        EXPECT_EQ(step.run(), step.expected) << step.what;
        EXPECT_EQ(last_call().on_released, 1) << step.what;
    }
    EXPECT_EQ(sim().sim_released_object_calls(), static_cast<int>(late.size()));
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_NONE), 0);
}

// A device dropped while acquired is reported unless Unacquire was asked for since the last
// Acquire, even when that Unacquire was refused.
TEST_F(SimulatorTest, ReportsADeviceReleasedWhileAcquired) {
    struct Case {
        const char* what;
        bool acquire, unacquire, refuse_unacquire, acquire_again;
        int reported;
    };
    const Case cases[] = {
        {"never acquired", false, false, false, false, 0},
        {"acquired, released", true, false, false, false, 1},
        {"acquired, unacquired, released", true, true, false, false, 0},
        {"acquired, refused unacquire, released", true, true, true, false, 0},
        {"acquired, unacquired, acquired again, released", true, true, false, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        if (c.acquire) acquire(kExclusive);
        if (c.refuse_unacquire) sim().sim_fail(SIM_OP_UNACQUIRE, -1, E_FAIL, 1);
        if (c.unacquire) device->Unacquire();
        if (c.acquire_again) {
            EXPECT_EQ(device->Acquire(), DI_OK);
        }
        EXPECT_EQ(sim().sim_released_while_acquired(), 0);
        device->Release();
        EXPECT_EQ(sim().sim_released_while_acquired(), c.reported);
    }
}

TEST_F(SimulatorTest, FaultsCountDownPerDevice) {
    IDirectInputDevice2A* other = open_device(attach(true));
    acquire(kExclusive);
    ASSERT_EQ(other->SetDataFormat(&kFormat), DI_OK);
    ASSERT_EQ(other->Acquire(), DI_OK);
    DIJOYSTATE state{};
    auto read = [&](IDirectInputDevice2A* d) { return [&, d] { return d->GetDeviceState(sizeof state, &state); }; };
    sim().sim_fail(SIM_OP_GET_DEVICE_STATE, 0, DIERR_INPUTLOST, 2);
    sim().sim_fail(SIM_OP_GET_DEVICE_STATE, -1, DIERR_NOTACQUIRED, 1);
    sim().sim_fail(SIM_OP_POLL, 1, E_FAIL, 5);
    sim().sim_fail(SIM_OP_POLL, 1, DIERR_INPUTLOST, -1);  // replaces the one before
    run({
        {"device 0, first", read(device), DIERR_INPUTLOST},
        {"device 1 takes the any-device fault", read(other), DIERR_NOTACQUIRED},
        {"device 1, fault used up", read(other), DI_OK},
        {"device 0, second", read(device), DIERR_INPUTLOST},
        {"device 0, fault used up", read(device), DI_OK},
        {"poll device 0", [&] { return device->Poll(); }, DI_NOEFFECT},
        {"poll device 1", [&] { return other->Poll(); }, DIERR_INPUTLOST},
        {"poll device 1 again", [&] { return other->Poll(); }, DIERR_INPUTLOST},
    });
    sim().sim_clear_faults();
    EXPECT_EQ(other->Poll(), DI_NOEFFECT);

    // A failed creation hands out no object; a faulted release still releases.
    sim().sim_fail(SIM_OP_CREATE, -1, E_FAIL, 1);
    IDirectInputA* second = directinput;
    EXPECT_EQ(create(nullptr, 0x0500, &second, nullptr), E_FAIL);
    EXPECT_EQ(second, nullptr);
    sim().sim_fail(SIM_OP_RELEASE, 1, 7, 1);
    EXPECT_EQ(other->Release(), 7u);
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_DEVICE), 1);
    EXPECT_EQ(sim().sim_count_calls(SIM_OP_CREATE), 2);

    // A creation may also fail yet hand back its object, or succeed with none; handing back is
    // for creating calls only.
    sim().sim_fail_handing_back(SIM_OP_CREATE, -1, S_FALSE, 1);
    EXPECT_EQ(create(nullptr, 0x0500, &second, nullptr), S_FALSE);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_DIRECTINPUT), 2);
    EXPECT_EQ(second->Release(), 0u);
    sim().sim_fail(SIM_OP_CREATE, -1, DI_OK, 1);
    EXPECT_EQ(create(nullptr, 0x0500, &second, nullptr), DI_OK);
    EXPECT_EQ(second, nullptr);
    // Or fail leaving a pointer to an object it has released already: a call through it is a
    // call on a released object.
    const int late_calls = sim().sim_released_object_calls();
    sim().sim_fail_leaving_stale(SIM_OP_CREATE, -1, E_FAIL, 1);
    EXPECT_EQ(create(nullptr, 0x0500, &second, nullptr), E_FAIL);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(sim().sim_live_objects(SIM_OBJECT_DIRECTINPUT), 1);
    EXPECT_EQ(second->Release(), 0u);
    EXPECT_EQ(sim().sim_released_object_calls(), late_calls + 1);
    sim().sim_fail_handing_back(SIM_OP_POLL, -1, E_FAIL, 1);
    EXPECT_EQ(device->Poll(), DI_NOEFFECT);
}

}  // namespace
}  // namespace tamrilo::test
