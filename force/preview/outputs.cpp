#include "force/preview/outputs.h"

#include <stdexcept>

#include "force/preview/csv.h"
#include "force/preview/svg.h"

namespace tamrilo::force::preview {

namespace {

void open_for_writing(std::ofstream& file, const std::string& path) {
    if (path.empty()) return;
    file.open(path, std::ios::binary | std::ios::trunc);
    if (!file) throw std::runtime_error("cannot write " + path);
}

void finish(std::ofstream& file, const std::string& path) {
    file.close();
    if (!file) throw std::runtime_error("writing " + path + " failed");
}

}  // namespace

ForceOutputs::ForceOutputs(const std::string& plot_path, const std::string& csv_path)
    : plot_path_(plot_path), csv_path_(csv_path) {
    open_for_writing(plot_, plot_path);
    open_for_writing(csv_, csv_path);
}

std::vector<std::string> draw_forces(const ForceSource& source, const std::string& title, std::ostream* svg,
                                     std::ostream* csv) {
    const ForceTrace trace = plan_forces(source);
    ForceCurves curves(trace);
    if (csv) write_force_csv_header(*csv, trace);
    walk_forces(source, trace, [&](const ForceRow& row) {
        curves.add(row);
        if (csv) write_force_csv_row(*csv, trace, row);
    });
    if (svg) write_force_svg(*svg, trace, curves, title);
    std::vector<std::string> told = trace.notes;
    for (const auto& band : trace.bands) {
        if (!band.remarks.empty()) told.push_back(band.label + ": " + band.remarks);
    }
    return told;
}

std::vector<std::string> ForceOutputs::write(const ForceSource& source, const std::string& title) {
    auto told = draw_forces(source, title, plot_.is_open() ? &plot_ : nullptr, csv_.is_open() ? &csv_ : nullptr);
    if (plot_.is_open()) finish(plot_, plot_path_);
    if (csv_.is_open()) finish(csv_, csv_path_);
    return told;
}

}  // namespace tamrilo::force::preview
