// tamrilo-host: runs a script of export calls against Tamrilo, the way the host engine would.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "console.h"
#include "foreground_window.h"
#include "force_output.h"
#include "library.h"
#include "script.h"
#include "simulator_folder.h"
#include "tamrilo_version.h"
#include "watch.h"

namespace {

int usage() {
    std::cerr << "usage: tamrilo-host [--library PATH] [--simulator] [--plot FILE.svg] [--csv FILE] SCRIPT\n"
                 "       tamrilo-host [--library PATH] [--simulator] --watch\n"
                 "       tamrilo-host --version\n"
                 "Loads the library (by default the one beside this program), binds it, and runs\n"
                 "the script. Exit codes: 0 all expectations held, 1 an expectation failed,\n"
                 "2 script or load error.\n"
                 "--simulator uses the simulated DirectInput from the simulator folder beside this\n"
                 "program instead of the system's. --watch shows the first joystick live until a\n"
                 "key is pressed (exit code 1 when there is none). --plot and --csv write the forces\n"
                 "the simulated joystick exerted.\n";
    return 2;
}

constexpr int kWatchIntervalMilliseconds = 50;

}  // namespace

int main(int argc, char** argv) {
    std::string library = tamrilo::engine::default_library_path();
    std::string script;
    bool simulator = false;
    bool watch = false;
    std::string plot;
    std::string csv;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--library" && i + 1 < argc) {
            library = argv[++i];
        } else if (arg == "--simulator") {
            simulator = true;
        } else if (arg == "--watch") {
            watch = true;
        } else if (arg == "--version") {
            std::cout << "tamrilo-host " << TAMRILO_VERSION << "\n";
            return 0;
        } else if (arg == "--plot" && i + 1 < argc) {
            plot = argv[++i];
        } else if (arg == "--csv" && i + 1 < argc) {
            csv = argv[++i];
        } else if (!arg.empty() && arg[0] == '-') {
            return usage();
        } else if (script.empty()) {
            script = arg;
        } else {
            return usage();
        }
    }
    if (script.empty() == !watch) return usage();
    try {
        if (simulator) tamrilo::engine::load_simulator_from_folder();
        tamrilo::engine::ForegroundWindow window(std::cerr);
        if (watch) {
            tamrilo::engine::WatchOptions options;
            options.stop_requested = [&] { return window.key_pressed() || tamrilo::engine::key_pressed(); };
            options.between_frames = [&] {
                window.answer_messages();
                tamrilo::engine::pause_milliseconds(kWatchIntervalMilliseconds);
            };
            options.redraw_in_place = tamrilo::engine::enable_redraw_in_place();
            return tamrilo::engine::watch_joystick(library, options, std::cout, std::cerr);
        }
        tamrilo::engine::ForceOutputs outputs(plot, csv);
        std::ifstream in(script);
        if (!in) {
            std::cerr << "tamrilo-host: cannot open " << script << "\n";
            return 2;
        }
        const auto result = tamrilo::engine::run_script(in, script, library, std::cout, std::cerr);
        if (outputs.wanted()) {
            tamrilo::engine::SimClient sim;
            sim.load();
            for (const auto& note : outputs.write(sim, result.effect_labels, std::filesystem::path(script).filename().string())) std::cerr << "tamrilo-host: " << note << "\n";
        }
        return result.failed_expectations == 0 ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "tamrilo-host: " << e.what() << "\n";
        return 2;
    }
}
