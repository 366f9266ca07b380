// A run's forces as a picture: an SVG written by hand (a few polylines, rectangles and labels),
// readable in any browser.
#pragma once

#include <iosfwd>
#include <string>

#include "force/preview/recording.h"

namespace tamrilo::force::preview {

// Time in milliseconds along the bottom, a panel per drawn axis with its force and stick
// position, and a band per effect showing when it played. Curves are thinned to two points per
// pixel column (the lowest and highest of the samples there), so that long runs stay small; each
// curve's points are (millisecond, value) pairs, placed by the transform of their panel.
void write_force_svg(std::ostream& out, const ForceTrace& trace, const std::string& title);

}  // namespace tamrilo::force::preview
