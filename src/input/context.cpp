// InitDirectInput and FreeDirectInput: open the DirectInput context after the version check,
// and release what earlier calls left.
#include "input/context.h"

#include "effects/effects.h"
#include "export.h"
#include "host/status.h"
#include "input/joystick.h"
#include "module/module.h"
#include "platform/release.h"
#include "platform/user_interface.h"

namespace tamrilo::input {

IDirectInputA* directinput = nullptr;
HWND cooperative_window = nullptr;

namespace {

// Status codes of InitDirectInput
constexpr host::Fixed kCreated = 1;                // OV_info_1; OV_error 0
constexpr host::Fixed kCreateFailed = 1;           // OV_error
constexpr host::Fixed kOldContextReleased = 1;     // OV_info_2
constexpr host::Fixed kDeviceReleased = 1;         // OV_info_3 (FreeDirectInput: OV_info_2)
constexpr host::Fixed kDevice2Released = 2;        // OV_info_3 (FreeDirectInput: OV_info_2)
constexpr host::Fixed kConstantForceReleased = 1;  // OV_info_5
// Status codes of FreeDirectInput
constexpr host::Fixed kContextReleased = 1;  // OV_info_1

// Releases the selected joystick's interfaces, writing each release's code into `code`.
void release_joystick(host::Variable& code) {
    if (platform::release_device(joystick_device)) code = kDeviceReleased;
    if (platform::release_device(joystick_device2)) code = kDevice2Released;
}

bool release_directinput() { return platform::release(directinput); }

}  // namespace
}  // namespace tamrilo::input

using namespace tamrilo;
using namespace tamrilo::input;

TAMRILO_EXPORT std::int32_t InitDirectInput() {
    cooperative_window = platform::foreground_window();
    host::Variable* version = host::find_host_var("FF_versionsnummer");
    host::StatusVariables status;
    if (version == nullptr || !status.find()) return 0;
    status.clear();
    if (!module::version_accepted(*version)) return 0;

    if (effects::release_constant_force()) status.info_n(5) = kConstantForceReleased;
    release_joystick(status.info_n(3));
    if (release_directinput()) status.info_n(2) = kOldContextReleased;

    IDirectInputA* created = nullptr;
    const HRESULT result = DirectInputCreateA(module::module_handle(), DIRECTINPUT_VERSION, &created, nullptr);
    // Anything but DI_OK is a failed creation: the context stays unusable until a later
    // InitDirectInput succeeds.
    directinput = platform::take_created(result, created, platform::Creation::only_di_ok);
    if (result == DI_OK) {
        status.info_n(1) = kCreated;
        *status.error = 0;
    } else {
        *status.error = kCreateFailed;
    }
    return 0;
}

TAMRILO_EXPORT std::int32_t FreeDirectInput() {
    host::StatusVariables status;
    if (!status.find()) return 0;
    status.clear();
    release_joystick(status.info_n(2));
    if (release_directinput()) status.info_n(1) = kContextReleased;
    return 0;
}
