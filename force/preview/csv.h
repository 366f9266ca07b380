// A run's forces as CSV: a row per millisecond, never thinned.
#pragma once

#include <iosfwd>

#include "force/preview/recording.h"

namespace tamrilo::force::preview {

// Columns: time in ms; position and force of each drawn axis; each effect's share on each drawn
// axis, empty while it does not play.
void write_force_csv(std::ostream& out, const ForceTrace& trace);

}  // namespace tamrilo::force::preview
