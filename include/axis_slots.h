// The axes of a joystick state (DIJOYSTATE) in their order: X, Y, Z, RX, RY, RZ, slider 0,
// slider 1. A data-format offset divided by 4 is the slot; the simulated DirectInput keeps its
// axis properties, and the force model its positions and forces, per slot.
#pragma once

namespace tamrilo {

inline constexpr int kAxisSlots = 8;

}  // namespace tamrilo
