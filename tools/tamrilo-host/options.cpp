#include "tools/tamrilo-host/options.h"

#include <CLI/CLI.hpp>

namespace tamrilo::tool {

void add_options(CLI::App& app, HostOptions& options) {
    // A script is a path first: /home/author/rumble.txt under Wine is not a Windows-style option.
    app.allow_windows_style_options(false);
    app.add_option("script", options.script, "the script to run")->type_name("SCRIPT");
    app.add_flag("-h,--help", options.help, "print this summary of options and commands, and exit");
    app.add_flag("--version", options.version, "print the version, and exit");
    app.add_option("--library", options.library, "the library to load (default: the one beside this program)")
        ->type_name("PATH");
    app.add_flag("--simulator", options.simulator,
                 "use the simulated DirectInput from the simulator folder beside this program");
    app.add_flag("--watch", options.watch,
                 "instead of a script, show the first joystick live until a key is pressed (exit 1 without one)");
    app.add_flag("--designer", options.designer,
                 "instead of a script, serve the effect designer page on this machine and print its address");
    app.add_option("--port", options.port, "the designer's port (default: a free one)")
        ->type_name("N")
        ->check(CLI::Range(1, 65535));
    app.add_flag("--system-directinput", options.system_directinput,
                 "the designer drives the system's DirectInput (a real stick) instead of the simulated one");
    app.add_option("--plot", options.plot, "write the forces the simulated joystick exerted as an SVG picture")
        ->type_name("FILE.svg");
    app.add_option("--csv", options.csv, "write the same forces, sampled every millisecond, as CSV")->type_name("FILE");
    app.add_flag("--strict", options.script_options.strict,
                 "fail the run (exit 1) when an export looks up an undeclared name");
    app.add_flag("--trace", options.script_options.trace,
                 "print under each export call its script line, the values its host lookups found and the "
                 "DirectInput calls it made");
    app.add_option("--max-time", options.script_options.max_time_seconds,
                   "end a run whose while loop still runs after this many seconds of script time (default 60)")
        ->type_name("SECONDS");
}

}  // namespace tamrilo::tool
