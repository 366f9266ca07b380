// The files tamrilo-host's --plot and --csv name. They are opened before the script runs, so a
// path that cannot be written stops the run before anything happens.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "force/preview/recording.h"

namespace tamrilo::force::preview {

class ForceOutputs {
public:
    // Empty paths ask for no file. Throws std::runtime_error naming a path that cannot be written.
    ForceOutputs(const std::string& plot_path, const std::string& csv_path);
    bool wanted() const { return plot_.is_open() || csv_.is_open(); }
    // Reads the run back from the simulator and writes the files; returns what the user should be
    // told (no effect played, values outside DirectInput's ranges, …).
    std::vector<std::string> write(const engine::SimClient& sim, const EffectLabels& labels, const std::string& title);

private:
    std::string plot_path_, csv_path_;
    std::ofstream plot_, csv_;
};

}  // namespace tamrilo::force::preview
