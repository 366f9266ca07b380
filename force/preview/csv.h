// A run's forces as CSV: a row per millisecond, never thinned, written as the rows are made.
#pragma once

#include <iosfwd>

#include "force/preview/recording.h"

namespace tamrilo::force::preview {

// Columns: time in ms; position and force of each drawn axis; each effect's share on each drawn
// axis, empty while it does not play.
void write_force_csv_header(std::ostream& out, const ForceTrace& trace);
void write_force_csv_row(std::ostream& out, const ForceTrace& trace, const ForceRow& row);

}  // namespace tamrilo::force::preview
