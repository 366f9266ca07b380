// Elsewhere than Windows there are no virtual joysticks: only the simulated DirectInput has
// joysticks a script can drive.
#include "script/joysticks/backend.h"

namespace tamrilo::joysticks {

std::unique_ptr<JoystickBackend> make_virtual_joysticks() { return nullptr; }

}  // namespace tamrilo::joysticks
