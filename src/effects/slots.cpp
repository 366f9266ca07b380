// Placeholder until the effect slots exist: there is no effect object to drop yet.
#include "effects/slots.h"

namespace tamrilo::effects {

bool drop_all_effect_objects() { return false; }
bool release_constant_force() { return false; }

}  // namespace tamrilo::effects
