// A run's forces as a picture: an SVG written by hand (a few polylines, rectangles and labels),
// readable in any browser.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "force/preview/recording.h"

namespace tamrilo::force::preview {

// What the picture keeps of the rows: per pixel column of time, the lowest and the highest value
// of each curve and when they came, so that its size is bounded however long the run is and a
// spike of one millisecond is still drawn. A run shorter than the columns keeps every sample.
class ForceCurves {
public:
    explicit ForceCurves(const ForceTrace& trace);
    void add(const ForceRow& row);

    struct Point {
        std::size_t column;
        long long ms;
        LONG value;
    };
    // The points of one curve of a drawn axis (its index in trace.axes), in time order: the
    // lowest and highest of each column, or one point where they are the same sample.
    std::vector<Point> points(std::size_t axis_index, bool force) const;
    // Columns of time: the samples, or the picture's pixel columns when there are more samples.
    std::size_t columns() const { return columns_; }

private:
    struct Column {
        Point low, high;
        bool seen = false;
    };
    long long samples_;
    std::size_t columns_;
    std::vector<int> axes_;
    std::vector<std::vector<Column>> curves_;  // position then force, for each drawn axis
};

// Time in milliseconds along the bottom, a panel per drawn axis with its force and stick
// position, and a band per effect showing when it played. Every coordinate is in the picture's
// own pixels, so that every renderer draws the same lines.
void write_force_svg(std::ostream& out, const ForceTrace& trace, const ForceCurves& curves, const std::string& title);

}  // namespace tamrilo::force::preview
