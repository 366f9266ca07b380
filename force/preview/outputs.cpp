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

std::vector<std::string> ForceOutputs::write(const engine::SimClient& sim, const EffectLabels& labels,
                                             const std::string& title) {
    const ForceTrace trace = trace_forces(sim, labels);
    if (plot_.is_open()) {
        write_force_svg(plot_, trace, title);
        finish(plot_, plot_path_);
    }
    if (csv_.is_open()) {
        write_force_csv(csv_, trace);
        finish(csv_, csv_path_);
    }
    std::vector<std::string> told = trace.notes;
    for (const auto& band : trace.bands) {
        if (!band.remarks.empty()) told.push_back(band.label + ": " + band.remarks);
    }
    return told;
}

}  // namespace tamrilo::force::preview
