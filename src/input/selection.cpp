// InitJoystick_1 and InitJoystick_2: select the first or the last attached joystick, configure
// it and acquire it. The two differ only in the enumeration callback and in where some steps
// report, so both run one procedure driven by a row of codes.
#include <iterator>

#include "effects/effects.h"
#include "export.h"
#include "host/status.h"
#include "input/context.h"
#include "input/joystick.h"
#include "input/joystick_variables.h"
#include "platform/release.h"

namespace tamrilo::input {
namespace {

// Presets that no reading of the joystick produces, so a script can tell that no state has
// been read since the selection.
constexpr host::Fixed kAxisPreset = 2000;
constexpr host::Fixed kViewPreset = 1000;
constexpr host::Fixed kButtonPreset = 2;

// Exclusive access while the host's window is in the foreground: force feedback needs it.
constexpr DWORD kCooperativeLevel = DISCL_EXCLUSIVE | DISCL_FOREGROUND;
constexpr LONG kAxisMin = -10000;
constexpr LONG kAxisMax = 10000;
constexpr DWORD kRangedAxes[] = {DIJOFS_X, DIJOFS_Y, DIJOFS_Z, DIJOFS_RZ};

using host::Code;
using host::store;
using enum host::StatusVariable;

// Status codes common to both exports
constexpr Code kNoDirectInput{kError, 2};
constexpr Code kEffectsDropped{kInfo4, 1};
constexpr Code kNoDevice2{kInfo2, 2};
constexpr Code kDevice2Present{kInfo2, 1};
constexpr Code kNoDevice{kInfo1, 2};
constexpr Code kDevicePresent{kInfo1, 1};
constexpr Code kAutocenterFailed{kError, 53};
constexpr Code kAcquireFailed{kError, 9};

// What sets InitJoystick_1 and InitJoystick_2 apart.
struct Selection {
    LPDIENUMDEVICESCALLBACKA callback;
    Code data_format_failed;
    Code cooperative_level_called;
    Code cooperative_level_failed;
    Code cooperative_level_set;
    Code range_failed[4];  // X, Y, Z, RZ
};

void drop_selection() {
    platform::release_device(joystick_device2);
    platform::release_device(joystick_device);
}

// Takes the joystick's interfaces into the globals; false when its device cannot be created,
// and the joystick is skipped. One taken later replaces an earlier one, whose interfaces are
// released.
bool take_joystick(LPCDIDEVICEINSTANCEA instance) {
    IDirectInputDeviceA* created = nullptr;
    const HRESULT result = directinput->CreateDevice(instance->guidInstance, &created, nullptr);
    IDirectInputDeviceA* device = platform::take_created(result, created, platform::Creation::any_success);
    if (device == nullptr) return false;
    drop_selection();
    joystick_device = device;
    void* device2 = nullptr;
    if (FAILED(device->QueryInterface(IID_IDirectInputDevice2A, &device2))) device2 = nullptr;
    joystick_device2 = static_cast<IDirectInputDevice2A*>(device2);
    return true;
}

BOOL CALLBACK select_first(LPCDIDEVICEINSTANCEA instance, LPVOID) {
    return take_joystick(instance) ? DIENUM_STOP : DIENUM_CONTINUE;
}

BOOL CALLBACK select_last(LPCDIDEVICEINSTANCEA instance, LPVOID) {
    take_joystick(instance);
    return DIENUM_CONTINUE;
}

constexpr Selection kFirst = {
    .callback = select_first,
    .data_format_failed = {kInfo3, 3},
    .cooperative_level_called = {kInfo3, 4},
    .cooperative_level_failed = {kInfo4, 4},
    .cooperative_level_set = {kError, 7},
    .range_failed = {{kInfo5, 6}, {kError, 6}, {kError, 7}, {kError, 8}},
};

constexpr Selection kLast = {
    .callback = select_last,
    .data_format_failed = {kError, 3},
    .cooperative_level_called = {},
    .cooperative_level_failed = {kError, 4},
    .cooperative_level_set = {},
    .range_failed = {{kError, 5}, {kError, 6}, {kError, 7}, {kError, 8}},
};

void preset(const JoystickVariables& joystick) {
    for (host::Variable* axis : joystick.axis) *axis = kAxisPreset;
    *joystick.view = kViewPreset;
    for (host::Variable* button : joystick.button) *button = kButtonPreset;
}

// Configures the selected joystick and acquires it, reporting each step.
void configure(const host::StatusVariables& status, const Selection& how) {
    if (FAILED(joystick_device->SetDataFormat(&c_dfDIJoystick))) {
        store(status, how.data_format_failed);
        return;
    }
    const HRESULT level = joystick_device->SetCooperativeLevel(cooperative_window, kCooperativeLevel);
    store(status, how.cooperative_level_called);
    if (FAILED(level)) {
        store(status, how.cooperative_level_failed);
        return;
    }
    store(status, how.cooperative_level_set);

    for (std::size_t i = 0; i < std::size(kRangedAxes); ++i) {
        DIPROPRANGE range{
            {sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), kRangedAxes[i], DIPH_BYOFFSET}, kAxisMin, kAxisMax};
        if (FAILED(joystick_device->SetProperty(DIPROP_RANGE, &range.diph))) store(status, how.range_failed[i]);
    }
    DIPROPDWORD autocenter{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, DIPROPAUTOCENTER_OFF};
    if (FAILED(joystick_device->SetProperty(DIPROP_AUTOCENTER, &autocenter.diph))) store(status, kAutocenterFailed);

    if (FAILED(joystick_device->Acquire())) store(status, kAcquireFailed);
}

std::int32_t select_joystick(const Selection& how) {
    host::StatusVariables status;
    JoystickVariables joystick;
    if (!status.find() || !joystick.find()) return 0;
    status.clear();
    preset(joystick);

    IDirectInputA* context = usable_directinput();
    drop_selection();
    if (context == nullptr) {
        store(status, kNoDirectInput);
        return 0;
    }

    const HRESULT enumerated = context->EnumDevices(DIDEVTYPE_JOYSTICK, how.callback, nullptr, DIEDFL_ATTACHEDONLY);
    if (SUCCEEDED(enumerated) && joystick_selected() && effects::drop_all_effect_objects()) {
        store(status, kEffectsDropped);
    }
    if (!joystick_selected()) {
        store(status, kNoDevice2);
        return 0;
    }
    store(status, kDevice2Present);
    if (joystick_device == nullptr) {
        store(status, kNoDevice);
        return 0;
    }
    store(status, kDevicePresent);
    configure(status, how);
    return 0;
}

}  // namespace
}  // namespace tamrilo::input

using namespace tamrilo::input;

TAMRILO_EXPORT std::int32_t InitJoystick_1() { return select_joystick(kFirst); }
TAMRILO_EXPORT std::int32_t InitJoystick_2() { return select_joystick(kLast); }
