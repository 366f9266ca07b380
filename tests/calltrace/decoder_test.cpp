// The call decoder behind --trace: a hand-built log record of each operation and the line it
// gives, flags, records and results by name.
#include <gtest/gtest.h>

#include <cstring>

#include "calltrace/decoder.h"

namespace tamrilo::test {
namespace {

constexpr int kDirectInput = 1, kDevice = 2, kEffect = 3;

sim_call on(sim_op op, sim_object_kind kind, HRESULT result = DI_OK) {
    sim_call c{};
    c.op = op;
    c.kind = kind;
    c.result = result;
    c.device = kind == SIM_OBJECT_DEVICE || kind == SIM_OBJECT_EFFECT ? 0 : -1;
    c.effect = -1;
    c.object = kind == SIM_OBJECT_DIRECTINPUT ? kDirectInput : kind == SIM_OBJECT_DEVICE ? kDevice : 0;
    if (kind == SIM_OBJECT_EFFECT) c.object = c.effect = kEffect;
    return c;
}

sim_call with(sim_call c, std::initializer_list<DWORD> arguments) {
    std::size_t i = 0;
    for (DWORD a : arguments) c.a[i++] = a;
    return c;
}

sim_call with_guid(sim_call c, const GUID& guid) {
    c.guid = guid;
    return c;
}

template <class Block>
sim_call with_effect(sim_call c, const GUID& guid, DWORD flags, LONG d0, LONG d1, const Block* blocks, DWORD count) {
    c.guid = guid;
    sim_effect_params& p = c.params;
    p.size = 52;  // DirectInput 5's DIEFFECT, as the 32-bit product hands it over
    p.flags = DIEFF_OBJECTOFFSETS | flags;
    p.duration = INFINITE;
    p.gain = 10000;
    p.trigger_button = DIEB_NOTRIGGER;
    p.axis_count = 2;
    p.axes[0] = DIJOFS_X;
    p.axes[1] = DIJOFS_Y;
    p.has_axes = p.has_direction = 1;
    p.direction[0] = d0;
    p.direction[1] = d1;
    p.type_specific_size = static_cast<DWORD>(sizeof(Block) * count);
    std::memcpy(p.type_specific, blocks, sizeof(Block) * count);
    return c;
}

sim_call released(sim_call c) {
    c.on_released = 1;
    return c;
}

DWORD property(REFGUID name) { return static_cast<DWORD>(platform::property_number(name)); }

TEST(CallDecoder, OneLinePerOperation) {
    sim_call create = with(on(SIM_OP_CREATE, SIM_OBJECT_NONE), {0x0500});
    create.handle = 0x400000;
    const GUID unknown = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
    const GUID joystick_2 = {0x9E0B5A42u, 0x3C1D, 0x11D2, {0x80, 0x01, 0x44, 0x45, 0x53, 0x54, 0, 0}};
    sim_call cooperative = with(on(SIM_OP_SET_COOPERATIVE_LEVEL, SIM_OBJECT_DEVICE), {0x25});
    cooperative.handle = 0x10EE0;
    const DICONSTANTFORCE constant{-4998};
    sim_call created = with_effect(on(SIM_OP_CREATE_EFFECT, SIM_OBJECT_DEVICE), GUID_ConstantForce, DIEFF_CARTESIAN,
                                   3000, 4000, &constant, 1);
    created.effect = kEffect;
    const DIPERIODIC wave{9999, -20, 9000, 100000};
    const DICONDITION spring[2] = {{-500, 8000, 7000, 10000, 9000, 300}, {0, 1, -1, 0, 0, 0}};

    const struct {
        sim_call call;
        const char* line;
    } cases[] = {
        {create, "DirectInputCreateA(version 0x500, instance 0x400000) -> DI_OK"},
        {with(on(SIM_OP_ENUM_DEVICES, SIM_OBJECT_DIRECTINPUT), {DIDEVTYPE_JOYSTICK, DIEDFL_ATTACHEDONLY}),
         "DirectInput #1 EnumDevices(DIDEVTYPE_JOYSTICK, DIEDFL_ATTACHEDONLY) -> DI_OK"},
        {with(on(SIM_OP_ENUM_DEVICES, SIM_OBJECT_DIRECTINPUT), {0, 0}),
         "DirectInput #1 EnumDevices(all types, 0x0 (DIEDFL_ALLDEVICES)) -> DI_OK"},
        {with_guid(on(SIM_OP_CREATE_DEVICE, SIM_OBJECT_DIRECTINPUT, DIERR_DEVICENOTREG), joystick_2),
         "DirectInput #1 CreateDevice(instance of joystick 2) -> DIERR_DEVICENOTREG"},
        {with_guid(on(SIM_OP_QUERY_INTERFACE, SIM_OBJECT_DEVICE), IID_IDirectInputDevice2A),
         "joystick 0 device #2 QueryInterface(IID_IDirectInputDevice2A) -> DI_OK"},
        {with_guid(on(SIM_OP_QUERY_INTERFACE, SIM_OBJECT_DEVICE, E_NOINTERFACE), unknown),
         "joystick 0 device #2 QueryInterface({12345678-9ABC-DEF0-0102-030405060708}) -> DIERR_NOINTERFACE"},
        {with(on(SIM_OP_ADD_REF, SIM_OBJECT_DEVICE), {2}), "joystick 0 device #2 AddRef() -> 2 references, DI_OK"},
        {released(with(on(SIM_OP_RELEASE, SIM_OBJECT_EFFECT, DIERR_NOTINITIALIZED), {0})),
         "effect #3 on joystick 0 Release() -> 0 references, DIERR_NOTINITIALIZED"},
        {with(on(SIM_OP_SET_DATA_FORMAT, SIM_OBJECT_DEVICE), {80, 44, 1}),
         "joystick 0 device #2 SetDataFormat(c_dfDIJoystick: dwDataSize 80, dwNumObjs 44) -> DI_OK"},
        {with(on(SIM_OP_SET_DATA_FORMAT, SIM_OBJECT_DEVICE, DIERR_INVALIDPARAM), {12, 3, 0}),
         "joystick 0 device #2 SetDataFormat(a data format of its own: dwDataSize 12, dwNumObjs 3) -> "
         "DIERR_INVALIDPARAM"},
        {cooperative,
         "joystick 0 device #2 SetCooperativeLevel(window 0x10EE0, DISCL_EXCLUSIVE|DISCL_FOREGROUND|0x20) -> DI_OK"},
        {with(on(SIM_OP_GET_PROPERTY, SIM_OBJECT_DEVICE),
              {property(DIPROP_DEADZONE), 20, 16, DIJOFS_Y, DIPH_BYOFFSET, 500}),
         "joystick 0 device #2 GetProperty(DIPROP_DEADZONE, {diph{dwSize 20, dwHeaderSize 16, dwObj DIJOFS_Y, dwHow "
         "DIPH_BYOFFSET}, dwData 500}) -> DI_OK"},
        {with(on(SIM_OP_SET_PROPERTY, SIM_OBJECT_DEVICE),
              {property(DIPROP_RANGE), 24, 16, DIJOFS_RZ, DIPH_BYOFFSET, static_cast<DWORD>(-10000), 10000}),
         "joystick 0 device #2 SetProperty(DIPROP_RANGE, {diph{dwSize 24, dwHeaderSize 16, dwObj DIJOFS_RZ, dwHow "
         "DIPH_BYOFFSET}, lMin -10000, lMax 10000}) -> DI_OK"},
        {with(on(SIM_OP_SET_PROPERTY, SIM_OBJECT_DEVICE, DIERR_ACQUIRED),
              {property(DIPROP_AUTOCENTER), 20, 16, 0, DIPH_DEVICE, DIPROPAUTOCENTER_OFF}),
         "joystick 0 device #2 SetProperty(DIPROP_AUTOCENTER, {diph{dwSize 20, dwHeaderSize 16, dwObj 0, dwHow "
         "DIPH_DEVICE}, dwData DIPROPAUTOCENTER_OFF}) -> DIERR_ACQUIRED"},
        {on(SIM_OP_ACQUIRE, SIM_OBJECT_DEVICE, DIERR_UNPLUGGED), "joystick 0 device #2 Acquire() -> DIERR_UNPLUGGED"},
        {on(SIM_OP_UNACQUIRE, SIM_OBJECT_DEVICE, DI_NOEFFECT), "joystick 0 device #2 Unacquire() -> DI_NOEFFECT"},
        {released(with(on(SIM_OP_GET_DEVICE_STATE, SIM_OBJECT_DEVICE, DIERR_NOTINITIALIZED), {80})),
         "joystick 0 device #2 GetDeviceState(size 80) -> DIERR_NOTINITIALIZED (the object had been released)"},
        {on(SIM_OP_POLL, SIM_OBJECT_DEVICE, DIERR_INPUTLOST), "joystick 0 device #2 Poll() -> DIERR_INPUTLOST"},
        {with(on(SIM_OP_GET_CAPABILITIES, SIM_OBJECT_DEVICE), {44}),
         "joystick 0 device #2 GetCapabilities(dwSize 44) -> DI_OK"},
        {created,
         "joystick 0 device #2 CreateEffect(GUID_ConstantForce, DIEFFECT{dwSize 52, dwFlags "
         "DIEFF_OBJECTOFFSETS|DIEFF_CARTESIAN, dwDuration INFINITE, dwSamplePeriod 0, dwGain 10000, dwTriggerButton "
         "DIEB_NOTRIGGER, dwTriggerRepeatInterval 0, cAxes 2, rgdwAxes [DIJOFS_X, DIJOFS_Y], rglDirection [3000, "
         "4000], lpEnvelope null, cbTypeSpecificParams 4, lpvTypeSpecificParams DICONSTANTFORCE{lMagnitude "
         "-4998}}) -> DI_OK, effect #3"},
        {with_effect(with(on(SIM_OP_SET_PARAMETERS, SIM_OBJECT_EFFECT, DI_DOWNLOADSKIPPED),
                          {DIEP_TYPESPECIFICPARAMS | DIEP_NODOWNLOAD}),
                     GUID_Sine, DIEFF_POLAR, 0, 0, &wave, 1),
         "effect #3 on joystick 0 SetParameters(DIEFFECT{dwSize 52, dwFlags DIEFF_OBJECTOFFSETS|DIEFF_POLAR, "
         "cbTypeSpecificParams 16, lpvTypeSpecificParams DIPERIODIC{dwMagnitude 9999, lOffset -20, dwPhase 9000, "
         "dwPeriod 100000}}, DIEP_TYPESPECIFICPARAMS|DIEP_NODOWNLOAD) -> DI_DOWNLOADSKIPPED"},
        {with_effect(with(on(SIM_OP_SET_PARAMETERS, SIM_OBJECT_EFFECT), {DIEP_TYPESPECIFICPARAMS | DIEP_START}),
                     GUID_Spring, DIEFF_CARTESIAN, 0, 0, spring, 2),
         "effect #3 on joystick 0 SetParameters(DIEFFECT{dwSize 52, dwFlags DIEFF_OBJECTOFFSETS|DIEFF_CARTESIAN, "
         "cbTypeSpecificParams 48, lpvTypeSpecificParams DICONDITION{lOffset -500, lPositiveCoefficient 8000, "
         "lNegativeCoefficient 7000, dwPositiveSaturation 10000, dwNegativeSaturation 9000, lDeadBand 300}, "
         "DICONDITION{lOffset 0, lPositiveCoefficient 1, lNegativeCoefficient -1, dwPositiveSaturation 0, "
         "dwNegativeSaturation 0, lDeadBand 0}}, DIEP_TYPESPECIFICPARAMS|DIEP_START) -> DI_OK"},
        // Without DIEP_AXES the axis count is not logged: the direction shows up to its last entry set.
        {with_effect(with(on(SIM_OP_SET_PARAMETERS, SIM_OBJECT_EFFECT), {DIEP_DIRECTION}), GUID_Square, DIEFF_POLAR,
                     9000, 0, &wave, 1),
         "effect #3 on joystick 0 SetParameters(DIEFFECT{dwSize 52, dwFlags DIEFF_OBJECTOFFSETS|DIEFF_POLAR, "
         "rglDirection [9000]}, DIEP_DIRECTION) -> DI_OK"},
        {with(on(SIM_OP_START, SIM_OBJECT_EFFECT, DIERR_NOTEXCLUSIVEACQUIRED), {INFINITE, DIES_SOLO}),
         "effect #3 on joystick 0 Start(iterations INFINITE, DIES_SOLO) -> DIERR_NOTEXCLUSIVEACQUIRED"},
        {with(on(SIM_OP_START, SIM_OBJECT_EFFECT), {1, 0}),
         "effect #3 on joystick 0 Start(iterations 1, 0x0) -> DI_OK"},
        {on(SIM_OP_STOP, SIM_OBJECT_EFFECT), "effect #3 on joystick 0 Stop() -> DI_OK"},
        {on(SIM_OP_UNLOAD, SIM_OBJECT_EFFECT, DI_NOEFFECT), "effect #3 on joystick 0 Unload() -> DI_NOEFFECT"},
        {on(SIM_OP_OTHER, SIM_OBJECT_DEVICE, DIERR_UNSUPPORTED),
         "joystick 0 device #2 (a method the library does not use)() -> DIERR_UNSUPPORTED"},
    };
    bool seen[SIM_OP_COUNT] = {};
    for (const auto& c : cases) {
        EXPECT_EQ(calltrace::describe_call(c.call), c.line);
        seen[c.call.op] = true;
    }
    for (int op = 0; op < SIM_OP_COUNT; ++op) EXPECT_TRUE(seen[op]) << "no case for operation " << op;
}

// A result or a type-specific record the decoder has no name for is shown as it is.
TEST(CallDecoder, UnnamedValuesAsTheyAre) {
    const sim_call odd = with_effect(on(SIM_OP_CREATE_EFFECT, SIM_OBJECT_DEVICE, static_cast<HRESULT>(0x80001234u)),
                                     GUID_ConstantForce, DIEFF_CARTESIAN, 1, 0, "ab", 2);
    const std::string line = calltrace::describe_call(odd);
    EXPECT_NE(line.find("cbTypeSpecificParams 2, lpvTypeSpecificParams 2 bytes}) -> 0x80001234"), std::string::npos)
        << line;
}

}  // namespace
}  // namespace tamrilo::test
