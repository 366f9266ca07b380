// The world every part of the simulated DirectInput shares.
#include "sim/world.h"

namespace tamrilo::sim {

World& world() {
    static World instance;
    return instance;
}

}  // namespace tamrilo::sim
