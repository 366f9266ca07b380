#include "force/preview/csv.h"

#include <charconv>
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

void write_force_csv_header(std::ostream& out, const ForceTrace& trace) {
    out << "time_ms";
    for (int axis : trace.axes)
        out << ',' << field(std::string(axis_name(axis)) + " position") << ','
            << field(std::string(axis_name(axis)) + " force");
    for (const auto& band : trace.bands) {
        for (int axis : trace.axes) out << ',' << field(band.label + " " + axis_name(axis));
    }
    out << '\n';
}

void write_force_csv_row(std::ostream& out, const ForceTrace& trace, const ForceRow& row) {
    // A long run has a row per millisecond: each is formatted into one line and written at once.
    std::string line;
    auto put = [&line](long long value) {
        char digits[24];
        line.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
    };
    put(row.ms);
    for (int axis : trace.axes) {
        line += ',';
        put(row.position[static_cast<std::size_t>(axis)]);
        line += ',';
        put(row.force[static_cast<std::size_t>(axis)]);
    }
    for (const auto& share : row.share) {
        line += ',';
        if (share) put(*share);
    }
    line += '\n';
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
}

}  // namespace tamrilo::force::preview
