#include "force/preview/svg.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <ostream>
#include <vector>

namespace tamrilo::force::preview {

namespace {

constexpr int kWidth = 1200;
constexpr int kLeft = 80;
constexpr int kRight = 30;
constexpr int kPlotWidth = kWidth - kLeft - kRight;
constexpr int kPanelHeight = 180;
constexpr int kPanelGap = 44;
constexpr int kBandHeight = 28;
constexpr int kNoteHeight = 18;
constexpr double kFullScale = 10000.0;
constexpr const char* kForceColour = "#c0392b";
constexpr const char* kPositionColour = "#2471a3";
constexpr const char* kFlagColour = "#b03a2e";

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

// The milliseconds to draw of a curve with `count` samples: all of them when they fit two to a
// pixel column, else the lowest and highest sample of each column, in time order, and the last.
std::vector<std::size_t> thinned(std::size_t count, const std::function<LONG(std::size_t)>& value) {
    std::vector<std::size_t> keep;
    if (count <= 2 * static_cast<std::size_t>(kPlotWidth)) {
        for (std::size_t i = 0; i < count; ++i) keep.push_back(i);
        return keep;
    }
    std::size_t begin = 0;
    for (int column = 0; column < kPlotWidth; ++column) {
        const std::size_t end = count * static_cast<std::size_t>(column + 1) / kPlotWidth;
        std::size_t low = begin, high = begin;
        for (std::size_t i = begin; i < end; ++i) {
            if (value(i) < value(low)) low = i;
            if (value(i) > value(high)) high = i;
        }
        keep.push_back(std::min(low, high));
        if (low != high) keep.push_back(std::max(low, high));
        begin = end;
    }
    if (keep.back() != count - 1) keep.push_back(count - 1);
    return keep;
}

// A tick step of 1, 2 or 5 times a power of ten giving about ten ticks.
long long tick_step(long long span) {
    long long step = 1;
    while (span / step > 10) {
        if (span / (step * 2) <= 10) return step * 2;
        if (span / (step * 5) <= 10) return step * 5;
        step *= 10;
    }
    return step;
}

class Picture {
public:
    Picture(std::ostream& out, const ForceTrace& trace) : out_(out), trace_(trace) {
        span_ms_ = std::max<long long>(trace.end_ms, 1);
        panels_top_ = 64 + kNoteHeight * static_cast<int>(trace.notes.size());
        bands_top_ = panels_top_ + static_cast<int>(trace.axes.size()) * (kPanelHeight + kPanelGap);
        axis_y_ = bands_top_ + kBandHeight * static_cast<int>(trace.bands.size()) + 8;
        height_ = axis_y_ + 52;
    }

    void write(const std::string& title) {
        out_ << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\"" << height_
             << "\" viewBox=\"0 0 " << kWidth << ' ' << height_ << "\" font-family=\"sans-serif\" font-size=\"12\">\n"
             << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
             << "<text x=\"" << kLeft << "\" y=\"26\" font-size=\"16\" font-weight=\"bold\">" << escaped(title)
             << "</text>\n";
        legend();
        for (std::size_t i = 0; i < trace_.notes.size(); ++i) {
            out_ << "<text class=\"note\" x=\"" << kLeft << "\" y=\"" << 48 + kNoteHeight * static_cast<int>(i) << "\">"
                 << escaped(trace_.notes[i]) << "</text>\n";
        }
        time_grid();
        for (std::size_t i = 0; i < trace_.axes.size(); ++i) panel(i);
        for (std::size_t i = 0; i < trace_.bands.size(); ++i) band(i);
        out_ << "</svg>\n";
    }

private:
    double x(long long ms) const {
        return kLeft + static_cast<double>(ms) * kPlotWidth / static_cast<double>(span_ms_);
    }
    int panel_top(std::size_t i) const { return panels_top_ + static_cast<int>(i) * (kPanelHeight + kPanelGap); }

    void legend() {
        const int x0 = kWidth - kRight - 260;
        out_ << "<g class=\"legend\">"
             << "<line x1=\"" << x0 << "\" y1=\"22\" x2=\"" << x0 + 24 << "\" y2=\"22\" stroke=\"" << kForceColour
             << "\" stroke-width=\"2\"/>"
             << "<text x=\"" << x0 + 30 << "\" y=\"26\">force</text>"
             << "<line x1=\"" << x0 + 90 << "\" y1=\"22\" x2=\"" << x0 + 114 << "\" y2=\"22\" stroke=\""
             << kPositionColour << "\" stroke-width=\"2\" stroke-dasharray=\"5 3\"/>"
             << "<text x=\"" << x0 + 120 << "\" y=\"26\">stick position</text></g>\n";
    }

    // Vertical lines at each tick through panels and bands, and the time axis below them.
    void time_grid() {
        const long long step = tick_step(span_ms_);
        out_ << "<g class=\"time-axis\">\n";
        for (long long t = 0; t <= span_ms_; t += step) {
            out_ << "<line x1=\"" << x(t) << "\" y1=\"" << panels_top_ << "\" x2=\"" << x(t) << "\" y2=\"" << axis_y_
                 << "\" stroke=\"#e5e5e5\"/><text x=\"" << x(t) << "\" y=\"" << axis_y_ + 16
                 << "\" text-anchor=\"middle\">" << t << "</text>\n";
        }
        out_ << "<line x1=\"" << kLeft << "\" y1=\"" << axis_y_ << "\" x2=\"" << kLeft + kPlotWidth << "\" y2=\""
             << axis_y_ << "\" stroke=\"black\"/>\n<text x=\"" << kLeft + kPlotWidth / 2 << "\" y=\"" << axis_y_ + 40
             << "\" text-anchor=\"middle\">time (ms)</text>\n</g>\n";
    }

    void panel(std::size_t i) {
        const int axis = trace_.axes[i];
        const int top = panel_top(i);
        const int middle = top + kPanelHeight / 2;
        const char* name = axis_name(axis);
        out_ << "<g class=\"panel\" data-axis=\"" << name << "\">\n"
             << "<text x=\"" << kLeft << "\" y=\"" << top - 8 << "\" font-weight=\"bold\">" << name
             << " axis: force and stick position (positive: toward larger " << name << ")</text>\n"
             << "<clipPath id=\"clip-" << i << "\"><rect x=\"" << kLeft << "\" y=\"" << top - 1 << "\" width=\""
             << kPlotWidth << "\" height=\"" << kPanelHeight + 2 << "\"/></clipPath>\n"
             << "<rect x=\"" << kLeft << "\" y=\"" << top << "\" width=\"" << kPlotWidth << "\" height=\""
             << kPanelHeight << "\" fill=\"none\" stroke=\"#999\"/>\n";
        for (int v : {10000, 5000, 0, -5000, -10000}) {
            const double y = middle - v * (kPanelHeight / 2.0) / kFullScale;
            out_ << "<line x1=\"" << kLeft << "\" y1=\"" << y << "\" x2=\"" << kLeft + kPlotWidth << "\" y2=\"" << y
                 << "\" stroke=\"" << (v == 0 ? "#aaa" : "#eee") << "\"/><text x=\"" << kLeft - 6 << "\" y=\"" << y + 4
                 << "\" text-anchor=\"end\">" << v << "</text>\n";
        }
        // Clipped in the panel's own coordinates: a clip on the curve itself would be scaled with it.
        out_ << "<g clip-path=\"url(#clip-" << i << ")\">\n";
        curve(i, "position", kPositionColour, " stroke-dasharray=\"5 3\"",
              [&](std::size_t ms) { return trace_.rows[ms].position[axis]; });
        curve(i, "force", kForceColour, "", [&](std::size_t ms) { return trace_.rows[ms].force[axis]; });
        out_ << "</g>\n</g>\n";
    }

    void curve(std::size_t i, const char* kind, const char* colour, const char* dash,
               const std::function<LONG(std::size_t)>& value) {
        const double sx = static_cast<double>(kPlotWidth) / static_cast<double>(span_ms_);
        const double sy = (kPanelHeight / 2.0) / kFullScale;
        out_ << "<polyline class=\"" << kind << "\" data-axis=\"" << axis_name(trace_.axes[i])
             << "\" transform=\"translate(" << kLeft << ' ' << panel_top(i) + kPanelHeight / 2 << ") scale(" << sx
             << ' ' << -sy << ")\" vector-effect=\"non-scaling-stroke\" fill=\"none\" stroke=\"" << colour
             << "\" stroke-width=\"1.5\"" << dash << " points=\"";
        bool first = true;
        for (std::size_t ms : thinned(trace_.rows.size(), value)) {
            out_ << (first ? "" : " ") << ms << ',' << value(ms);
            first = false;
        }
        out_ << "\"/>\n";
    }

    void band(std::size_t i) {
        const ForceTrace::Band& b = trace_.bands[i];
        const int top = bands_top_ + kBandHeight * static_cast<int>(i);
        const bool flagged = !b.remarks.empty();
        out_ << "<g class=\"band\" data-effect=\"" << b.effect << "\">";
        for (const auto& [from, to] : b.spans_ms) {
            out_ << "<rect x=\"" << x(from) << "\" y=\"" << top + 15 << "\" width=\"" << std::max(1.0, x(to) - x(from))
                 << "\" height=\"9\" fill=\"" << (flagged ? kFlagColour : "#7d8fa3") << "\" fill-opacity=\"0.8\"/>";
        }
        out_ << "<text x=\"" << kLeft + 2 << "\" y=\"" << top + 11 << "\">" << escaped(b.label);
        if (flagged)
            out_ << " <tspan class=\"flag\" fill=\"" << kFlagColour << "\">(!) " << escaped(b.remarks) << "</tspan>";
        if (b.spans_ms.empty()) out_ << " (started, never pushed)";
        out_ << "</text></g>\n";
    }

    std::ostream& out_;
    const ForceTrace& trace_;
    long long span_ms_;
    int panels_top_, bands_top_, axis_y_, height_;
};

}  // namespace

void write_force_svg(std::ostream& out, const ForceTrace& trace, const std::string& title) {
    Picture(out, trace).write(title);
}

}  // namespace tamrilo::force::preview
