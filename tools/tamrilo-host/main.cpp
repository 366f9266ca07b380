// tamrilo-host: runs a script of export calls against Tamrilo, the way the host engine would.
#include <csignal>
#include <filesystem>
#include <iostream>

#include "engine/library.h"
#include "tools/tamrilo-host/command.h"
#include "tools/tamrilo-host/console.h"
#include "tools/tamrilo-host/designer/server.h"
#include "tools/tamrilo-host/foreground_window.h"
#include "tools/tamrilo-host/simulator_folder.h"
#include "tools/tamrilo-host/watch.h"

namespace {

constexpr int kWatchIntervalMilliseconds = 50;

// Ctrl+C stops the designer the orderly way, so that it stops every effect before it ends.
volatile std::sig_atomic_t interrupted = 0;
extern "C" void on_interrupt(int) { interrupted = 1; }

}  // namespace

int main(int argc, char** argv) {
    using namespace tamrilo::tool;
    HostOptions options;
    if (const auto code =
            parse_host_options(std::vector<std::string>(argv + 1, argv + argc), options, std::cout, std::cerr)) {
        return *code;
    }
    try {
        // The designer plays on the simulated stick unless the system's DirectInput is asked for;
        // without the simulator folder (a build tree, where the simulator may already stand in
        // for DirectInput beside the program) the page says which DirectInput it drives.
        const bool designer_simulator =
            options.designer && !options.system_directinput && std::filesystem::is_regular_file(simulator_path());
        if (options.simulator || designer_simulator) {
            if (const auto code = run_again_with_wine_override()) return *code;
            load_simulator_from_folder();
        }
        ForegroundWindow window;
        options.script_options.no_window_reason = window.problem();
        const std::string library = options.library.empty() ? tamrilo::engine::default_library_path() : options.library;
        if (options.designer) {
            tamrilo::designer::ServerOptions designer;
            designer.library = library;
            designer.port = options.port;
            designer.listening = [](const std::string& address) {
                std::cout << "tamrilo-host: the effect designer is at " << address
                          << "\n(open it in a browser on this machine; a key or Ctrl+C stops it and every effect)"
                          << std::endl;
            };
            std::signal(SIGINT, on_interrupt);
            std::signal(SIGTERM, on_interrupt);
            designer.stop_requested = [&] {
                window.answer_messages();
                return interrupted != 0 || window.key_pressed() || key_pressed();
            };
            return tamrilo::designer::serve_designer(designer, std::cout, std::cerr);
        }
        if (options.watch) {
            if (!window.problem().empty()) std::cerr << "tamrilo-host: warning: " << window.problem() << "\n";
            WatchOptions watch;
            watch.stop_requested = [&] { return window.key_pressed() || key_pressed(); };
            watch.between_frames = [&] {
                window.answer_messages();
                pause_milliseconds(kWatchIntervalMilliseconds);
            };
            watch.redraw_in_place = enable_redraw_in_place();
            return watch_joystick(library, watch, std::cout, std::cerr);
        }
        return run_host_script(options, std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "tamrilo-host: " << e.what() << "\n";
        return kExitError;
    }
}
