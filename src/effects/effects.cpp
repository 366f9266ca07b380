#include "effects/effects.h"

#include "effects/steps.h"
#include "platform/release.h"

namespace tamrilo::effects {

bool drop_all_effect_objects() {
    bool dropped = false;
    for (Slot& slot : slots) dropped = platform::release(slot.object) || dropped;
    return dropped;
}

bool release_constant_force() { return platform::release(slots[kConstantForceSlot].object); }

}  // namespace tamrilo::effects
