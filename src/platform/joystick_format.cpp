// The standard joystick data format, the layout of DIJOYSTATE. On Windows it comes with the
// system's DirectInput import library; elsewhere the library carries it itself.
#include "platform/dinput.h"

namespace {

constexpr DWORD kAxis = DIDFT_OPTIONAL | DIDFT_AXIS | DIDFT_ANYINSTANCE;
constexpr DWORD kPov = DIDFT_OPTIONAL | DIDFT_POV | DIDFT_ANYINSTANCE;
constexpr DWORD kButton = DIDFT_OPTIONAL | DIDFT_BUTTON | DIDFT_ANYINSTANCE;

#define BUTTON(n) \
    { nullptr, DIJOFS_BUTTON(n), kButton, 0 }
DIOBJECTDATAFORMAT joystick_objects[] = {
    {&GUID_XAxis, DIJOFS_X, kAxis, DIDOI_ASPECTPOSITION},
    {&GUID_YAxis, DIJOFS_Y, kAxis, DIDOI_ASPECTPOSITION},
    {&GUID_ZAxis, DIJOFS_Z, kAxis, DIDOI_ASPECTPOSITION},
    {&GUID_RxAxis, DIJOFS_RX, kAxis, DIDOI_ASPECTPOSITION},
    {&GUID_RyAxis, DIJOFS_RY, kAxis, DIDOI_ASPECTPOSITION},
    {&GUID_RzAxis, DIJOFS_RZ, kAxis, DIDOI_ASPECTPOSITION},
    {&GUID_Slider, DIJOFS_SLIDER(0), kAxis, DIDOI_ASPECTPOSITION},
    {&GUID_Slider, DIJOFS_SLIDER(1), kAxis, DIDOI_ASPECTPOSITION},
    {&GUID_POV, DIJOFS_POV(0), kPov, 0},
    {&GUID_POV, DIJOFS_POV(1), kPov, 0},
    {&GUID_POV, DIJOFS_POV(2), kPov, 0},
    {&GUID_POV, DIJOFS_POV(3), kPov, 0},
    BUTTON(0),
    BUTTON(1),
    BUTTON(2),
    BUTTON(3),
    BUTTON(4),
    BUTTON(5),
    BUTTON(6),
    BUTTON(7),
    BUTTON(8),
    BUTTON(9),
    BUTTON(10),
    BUTTON(11),
    BUTTON(12),
    BUTTON(13),
    BUTTON(14),
    BUTTON(15),
    BUTTON(16),
    BUTTON(17),
    BUTTON(18),
    BUTTON(19),
    BUTTON(20),
    BUTTON(21),
    BUTTON(22),
    BUTTON(23),
    BUTTON(24),
    BUTTON(25),
    BUTTON(26),
    BUTTON(27),
    BUTTON(28),
    BUTTON(29),
    BUTTON(30),
    BUTTON(31),
};
#undef BUTTON

}  // namespace

extern const DIDATAFORMAT c_dfDIJoystick = {
    sizeof(DIDATAFORMAT),
    sizeof(DIOBJECTDATAFORMAT),
    DIDF_ABSAXIS,
    sizeof(DIJOYSTATE),
    sizeof(joystick_objects) / sizeof(joystick_objects[0]),
    joystick_objects,
};
