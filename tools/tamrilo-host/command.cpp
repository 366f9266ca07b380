#include "tools/tamrilo-host/command.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>

#include <CLI/CLI.hpp>

#include "engine/library.h"
#include "force/preview/device.h"
#include "force/preview/outputs.h"
#include "script/commands.h"
#include "script/script.h"
#include "script/spelling.h"
#include "script/vocabulary.h"
#include "tamrilo_version.h"
#include "tools/tamrilo-host/options.h"

namespace tamrilo::tool {
namespace {

using script::Command;
using script::commands;
using script::variable_families;

void print_help(const CLI::App& app, std::ostream& out) {
    out << "usage: tamrilo-host [OPTIONS] SCRIPT\n"
           "       tamrilo-host [--library PATH] [--simulator] --watch\n"
           "       tamrilo-host [--library PATH] [--port N] [--system-directinput] --designer\n"
           "Loads the library, binds it as the host engine does, and runs the script.\n"
           "Exit codes: 0 every expectation held, 1 an expectation failed (or --strict and an\n"
           "undeclared lookup), 2 usage, script or load error.\n\nOptions:\n";
    for (const CLI::Option* option : app.get_options()) {
        if (option->get_positional()) continue;
        std::string names = option->get_name(false, true);
        if (option->get_type_size() != 0) names += " " + option->get_type_name();
        out << "  " << names << std::string(names.size() < 20 ? 20 - names.size() : 1, ' ') << option->get_description()
            << "\n";
    }
    out << "\nScript commands (one a line; '#' starts a comment):\n";
    for (const Command& command : commands()) {
        const std::string usage = std::string(command.name) + (*command.arguments ? " " : "") + command.arguments;
        out << "  " << usage << "\n      " << command.help << "\n";
    }
    out << "\nVariable families for 'declare': all";
    for (const auto& family : variable_families()) out << " " << family.name;
    out << "\nSee docs/scripting.md for the whole language.\n";
}

std::string counted(long long n, const std::string& thing) {
    return std::to_string(n) + " " + thing + (n == 1 ? "" : "s");
}

// Why a script path cannot be read, or "" when it can.
std::string unreadable(const std::string& path, std::ifstream& in) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return "cannot read " + path + ": it is a directory";
    in.open(path, std::ios::binary);
    if (!in) return "cannot open " + path + ": " + std::strerror(errno);
    return "";
}

}  // namespace

std::optional<int> parse_host_options(const std::vector<std::string>& arguments, HostOptions& options,
                                      std::ostream& out, std::ostream& err) {
    CLI::App app("tamrilo-host", "tamrilo-host");
    app.set_help_flag();
    app.allow_extras();
    add_options(app, options);
    try {
        std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        err << "tamrilo-host: " << e.what() << "\n";
        return kExitError;
    }
    if (options.help) {
        print_help(app, out);
        return kExitHeld;
    }
    if (options.version) {
        out << "tamrilo-host " << TAMRILO_VERSION << "\n";
        return kExitHeld;
    }
    for (const std::string& extra : app.remaining()) {
        if (extra.size() > 1 && extra[0] == '-') {
            std::vector<std::string> known;
            for (const CLI::Option* option : app.get_options()) {
                for (const auto& name : option->get_lnames()) known.push_back("--" + name);
            }
            err << "tamrilo-host: unknown option '" << extra << "'"
                << script::did_you_mean(extra.substr(0, extra.find('=')), known) << "\n";
        } else {
            err << "tamrilo-host: one script at a time; '" << extra << "' is a second one\n";
        }
        return kExitError;
    }
    if (options.watch && !options.script.empty()) {
        err << "tamrilo-host: --watch runs no script; give one or the other\n";
        return kExitError;
    }
    if (options.designer && (options.watch || !options.script.empty())) {
        err << "tamrilo-host: --designer runs no script and no watch; give one of them\n";
        return kExitError;
    }
    if ((options.port != 0 || options.system_directinput) && !options.designer) {
        err << "tamrilo-host: --port and --system-directinput go with --designer\n";
        return kExitError;
    }
    if (options.script.empty() && !options.watch && !options.designer) {
        err << "usage: tamrilo-host [OPTIONS] SCRIPT (tamrilo-host --help for more)\n";
        return kExitError;
    }
    return std::nullopt;
}

int run_host_script(const HostOptions& options, std::ostream& out, std::ostream& err) {
    std::ifstream in;
    if (const std::string problem = unreadable(options.script, in); !problem.empty()) {
        err << "tamrilo-host: " << problem << "\n";
        return kExitError;
    }
    try {
        // Opened first, so that a path that cannot be written stops the run before it starts.
        force::preview::ForceOutputs outputs(options.plot, options.csv);
        const std::string library = options.library.empty() ? engine::default_library_path() : options.library;
        const script::ScriptResult result =
            script::run_script(in, options.script, library, out, err, options.script_options);
        if (outputs.wanted()) {
            engine::SimClient sim;
            sim.load();
            const std::string title = std::filesystem::path(options.script).filename().string();
            // The simulated DirectInput's own record; else what a virtual joystick was sent.
            const force::preview::ForceSource source =
                !sim.available() && result.device_recording
                    ? force::preview::device_source(*result.device_recording)
                    : force::preview::simulator_source(sim, result.effect_labels);
            for (const auto& note : outputs.write(source, title)) err << "tamrilo-host: " << note << "\n";
        }
        out << "tamrilo-host: " << counted(result.export_calls, "export call") << ", "
            << counted(result.expectations_held, "expectation") << " held, " << result.failed_expectations << " failed";
        if (result.undeclared_lookups != 0) out << ", " << counted(result.undeclared_lookups, "undeclared lookup");
        out << "\n";
        return result.failed(options.script_options) ? kExitFailed : kExitHeld;
    } catch (const std::exception& e) {
        err << "tamrilo-host: " << e.what() << "\n";
        return kExitError;
    }
}

int run_host(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    HostOptions options;
    if (const auto code = parse_host_options(arguments, options, out, err)) return *code;
    return run_host_script(options, out, err);
}

}  // namespace tamrilo::tool
