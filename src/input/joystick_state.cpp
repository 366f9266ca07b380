// Get_Joystick_State and Show_Capabilities: report the selected joystick's readings and
// capabilities in host variables.
#include "export.h"
#include "host/fixed_point.h"
#include "host/status.h"
#include "input/joystick.h"
#include "input/joystick_variables.h"

namespace tamrilo::input {
namespace {

// Status codes of Get_Joystick_State, all in OV_error
constexpr host::Fixed kReadBegun = 17;
constexpr host::Fixed kInputLost = 22;   // input lost or device not acquired; re-acquisition tried
constexpr host::Fixed kPolled = 97;      // ends every call whose second read succeeds
constexpr host::Fixed kReadFailed = 14;  // JOY_X_A then holds kNoReading
// Stored into JOY_X_A before reading; no axis position converts to it, so it stays visible
// when the reading fails.
constexpr host::Fixed kNoReading = 4078;

// A first read that finds the device not acquired is answered as lost input: DirectInput gives
// DIERR_NOTACQUIRED once an acquisition has failed (the window was in the background, the
// joystick was unplugged) and goes on giving it after the cause is gone.
bool needs_acquiring(HRESULT result) { return result == DIERR_INPUTLOST || result == DIERR_NOTACQUIRED; }

// A device may keep reporting lost input although Acquire succeeds each time; the reading gives
// up after this many re-acquisitions instead of holding the host's thread. A device that was
// merely switched away from comes back after the first.
constexpr int kMaxReacquisitions = 3;

// Status codes of Show_Capabilities, in OV_error
constexpr host::Fixed kCapabilitiesFailed = 13;
constexpr host::Fixed kCapabilitiesRead = 14;  // ends every successful call

constexpr DWORD kHatLimit = 360000;         // hundredths of a degree; anything above is no angle
constexpr host::Fixed kHatCentred = -1024;  // -1.0
constexpr host::Fixed kYes = 1024;          // 1.0: a button held, force feedback present
constexpr BYTE kPressedBit = 0x80;
constexpr host::Fixed kPressedToYes = kYes / kPressedBit;
static_assert(kPressedBit * kPressedToYes == kYes);

// The divisors below are the ones scripts were written against; they are neither 1024 nor
// each other. Products are formed in double so that device values outside their documented
// range saturate instead of wrapping; every in-range value gives the 32-bit result exactly.
host::Fixed axis_value(LONG position) { return host::truncate_finite_to_int32(position * 10000.0 / 9.766); }

host::Fixed hat_value(DWORD angle) {
    if (angle >= kHatLimit) return kHatCentred;
    return host::truncate_finite_to_int32(angle * 1000.0 / 97.65);
}

host::Fixed count_value(DWORD count) { return host::truncate_to_int32(count * 1000000.0 / 976.5); }

HRESULT read_state(DIJOYSTATE& state) { return joystick_device2->GetDeviceState(sizeof state, &state); }

}  // namespace
}  // namespace tamrilo::input

using namespace tamrilo;
using namespace tamrilo::input;

TAMRILO_EXPORT std::int32_t Get_Joystick_State() {
    host::Variable* error = nullptr;
    JoystickVariables joystick;
    // OV_info_3 is never written, but a script must declare it all the same.
    const auto lookups = [&] {
        return (error = host::find_host_var("OV_error")) != nullptr && host::find_host_var("OV_info_3") != nullptr &&
               joystick.find();
    };
    if (!host::look_up_between(joystick_selected, lookups)) return 0;

    *joystick.axis[0] = kNoReading;
    *error = kReadBegun;
    DIJOYSTATE state{};
    HRESULT result = read_state(state);
    for (int attempt = 0; needs_acquiring(result) && attempt < kMaxReacquisitions; ++attempt) {
        const HRESULT acquired = joystick_device2->Acquire();
        *error = kInputLost;
        if (FAILED(acquired)) break;
        result = read_state(state);
    }
    joystick_device2->Poll();
    *error = kPolled;
    if (FAILED(read_state(state))) {
        *error = kReadFailed;
        return 0;
    }

    const LONG axes[kAxisVariables] = {state.lX, state.lY, state.lZ, state.lRz};
#pragma GCC unroll 4
    for (int i = 0; i < kAxisVariables; ++i) *joystick.axis[i] = axis_value(axes[i]);
    *joystick.view = hat_value(state.rgdwPOV[0]);
    // The pressed bit shifted into place is kYes.
#pragma GCC unroll 16
    for (int i = 0; i < kButtonVariables; ++i)
        *joystick.button[i] = (state.rgbButtons[i] & kPressedBit) * kPressedToYes;
    return 0;
}

TAMRILO_EXPORT std::int32_t Show_Capabilities() {
    static constexpr const char* names[5] = {"OV_error", "NUMBER_OF_AXIS", "NUMBER_OF_VIEWS", "NUMBER_OF_BUTTONS",
                                             "FORCEFEEDBACK_ENABLE"};
    host::Variable* vars[5];
    if (!host::look_up_between(joystick_selected, [&] { return host::find_host_vars(vars, names); })) return 0;
    auto& [error, axes, views, buttons, force_feedback] = vars;

    DIDEVCAPS caps{};
    caps.dwSize = sizeof caps;
    if (FAILED(joystick_device2->GetCapabilities(&caps))) {
        *error = kCapabilitiesFailed;
        return 0;
    }
    *error = kCapabilitiesRead;
    *axes = count_value(caps.dwAxes);
    *views = count_value(caps.dwPOVs);
    *buttons = count_value(caps.dwButtons);
    *force_feedback = (caps.dwFlags & DIDC_FORCEFEEDBACK) ? kYes : 0;
    return 0;
}
