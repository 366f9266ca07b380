#include "force/preview/csv.h"

#include <ostream>

namespace tamrilo::force::preview {

namespace {

// Quoted when it holds a comma or a quote, as CSV readers expect ("sine, slot 1").
std::string field(const std::string& text) {
    if (text.find_first_of(",\"\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace

void write_force_csv(std::ostream& out, const ForceTrace& trace) {
    out << "time_ms";
    for (int axis : trace.axes)
        out << ',' << field(std::string(axis_name(axis)) + " position") << ','
            << field(std::string(axis_name(axis)) + " force");
    for (const auto& band : trace.bands) {
        for (int axis : trace.axes) out << ',' << field(band.label + " " + axis_name(axis));
    }
    out << '\n';
    for (std::size_t ms = 0; ms < trace.rows.size(); ++ms) {
        const ForceTrace::Row& row = trace.rows[ms];
        out << ms;
        for (int axis : trace.axes) out << ',' << row.position[axis] << ',' << row.force[axis];
        for (const auto& share : row.share) {
            out << ',';
            if (share) out << *share;
        }
        out << '\n';
    }
}

}  // namespace tamrilo::force::preview
