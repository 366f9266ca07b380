// tamrilo-host: runs a script of export calls against Tamrilo, the way the host engine would.
#include <iostream>

#include "engine/library.h"
#include "tools/tamrilo-host/command.h"
#include "tools/tamrilo-host/console.h"
#include "tools/tamrilo-host/foreground_window.h"
#include "tools/tamrilo-host/simulator_folder.h"
#include "tools/tamrilo-host/watch.h"

namespace {

constexpr int kWatchIntervalMilliseconds = 50;

}  // namespace

int main(int argc, char** argv) {
    using namespace tamrilo::tool;
    HostOptions options;
    if (const auto code =
            parse_host_options(std::vector<std::string>(argv + 1, argv + argc), options, std::cout, std::cerr)) {
        return *code;
    }
    try {
        if (options.simulator) {
            if (const auto code = run_again_with_wine_override()) return *code;
            load_simulator_from_folder();
        }
        ForegroundWindow window;
        options.script_options.no_window_reason = window.problem();
        if (options.watch) {
            if (!window.problem().empty()) std::cerr << "tamrilo-host: warning: " << window.problem() << "\n";
            WatchOptions watch;
            watch.stop_requested = [&] { return window.key_pressed() || key_pressed(); };
            watch.between_frames = [&] {
                window.answer_messages();
                pause_milliseconds(kWatchIntervalMilliseconds);
            };
            watch.redraw_in_place = enable_redraw_in_place();
            const std::string library =
                options.library.empty() ? tamrilo::engine::default_library_path() : options.library;
            return watch_joystick(library, watch, std::cout, std::cerr);
        }
        return run_host_script(options, std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "tamrilo-host: " << e.what() << "\n";
        return kExitError;
    }
}
