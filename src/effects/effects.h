// What the rest of the library needs of the effects: dropping their objects.
#pragma once

namespace tamrilo::effects {

// Releases every slot's effect object and empties the slot, as selecting a joystick does;
// true when at least one slot held one.
bool drop_all_effect_objects();

// Releases the constant force's effect object (InitDirectInput does this before it releases
// the devices); true when there was one.
bool release_constant_force();

}  // namespace tamrilo::effects
