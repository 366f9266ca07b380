// Get_Joystick_Name_1 and Get_Joystick_Name_2: point a host string object at the product name
// of the first or the last attached joystick. They run an enumeration of their own and depend
// on the selection only for their result.
#include <cstring>

#include "export.h"
#include "host/status.h"
#include "input/context.h"
#include "input/joystick.h"

namespace tamrilo::input {
namespace {

// The host reads this many characters whatever the name's own length; the last is always 0.
constexpr std::size_t kNameLength = 50;
// Copied whole, bytes after the name's own terminating zero included.
constexpr std::size_t kNameCopied = kNameLength - 1;

// The host string object's words that the name exports fill.
constexpr int kStringCharacters = 3;
constexpr int kStringLength = 4;
constexpr int kStringHostField = 5;

// Status codes of Get_Joystick_Name_2, all in OV_error
constexpr host::Fixed kNameBegun = 1;
constexpr host::Fixed kNamesEnumerated = 2;
constexpr host::Fixed kNameDone = 3;

// The host string object is left pointing into these for as long as the library is loaded.
char joystick1_name[kNameLength];
char joystick2_name[kNameLength];

template <char (&name)[kNameLength], BOOL kAfterwards>
BOOL CALLBACK take_name(LPCDIDEVICEINSTANCEA instance, LPVOID) {
    std::memcpy(name, instance->tszProductName, kNameCopied);
    return kAfterwards;
}

bool enumerate_names(IDirectInputA* context, LPDIENUMDEVICESCALLBACKA callback) {
    return SUCCEEDED(context->EnumDevices(DIDEVTYPE_JOYSTICK, callback, nullptr, DIEDFL_ATTACHEDONLY));
}

void point_at(host::Word* string, const char* name) {
    if (string == nullptr) return;
    string[kStringHostField] = 0;
    string[kStringLength] = kNameLength;
    string[kStringCharacters] = reinterpret_cast<host::Word>(name);
}

host::Word* result(host::Word* string) { return joystick_selected() ? string : nullptr; }

}  // namespace
}  // namespace tamrilo::input

using namespace tamrilo;
using namespace tamrilo::input;

TAMRILO_EXPORT host::Word* Get_Joystick_Name_1(host::Word* string) {
    IDirectInputA* context = usable_directinput();
    if (context == nullptr) return nullptr;
    if (enumerate_names(context, take_name<joystick1_name, DIENUM_STOP>)) point_at(string, joystick1_name);
    return result(string);
}

TAMRILO_EXPORT host::Word* Get_Joystick_Name_2(host::Word* string) {
    host::StatusVariables status;
    if (!host::look_up_between(usable_directinput, [&] { return status.find(); })) return nullptr;
    IDirectInputA* context = usable_directinput();
    status.clear();
    *status.error = kNameBegun;
    const bool enumerated = enumerate_names(context, take_name<joystick2_name, DIENUM_CONTINUE>);
    *status.error = kNamesEnumerated;
    if (enumerated) point_at(string, joystick2_name);
    *status.error = kNameDone;
    return result(string);
}
