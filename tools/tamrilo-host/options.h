// The command-line options of tamrilo-host: one struct, filled by one function, so that an
// option is added in one place (a field here, a line in add_options).
#pragma once

#include <string>

#include "script/types.h"

namespace CLI {
class App;
}

namespace tamrilo::tool {

struct HostOptions {
    std::string script;
    std::string library;  // empty: the library beside the program
    bool help = false;
    bool version = false;
    bool simulator = false;           // load the simulated DirectInput from the simulator folder
    bool watch = false;               // show the first joystick live instead of running a script
    bool designer = false;            // serve the effect designer instead of running a script
    int port = 0;                     // the designer's port; 0: any free one
    bool system_directinput = false;  // the designer drives the system's DirectInput, not the simulated one
    std::string plot;                 // an SVG picture of the forces the simulated joystick exerted
    std::string csv;                  // the same forces as CSV
    script::ScriptOptions script_options;
};

void add_options(CLI::App& app, HostOptions& options);

}  // namespace tamrilo::tool
