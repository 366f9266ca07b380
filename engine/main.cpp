// tamrilo-host: runs a script of export calls against Tamrilo, the way the host engine would.
#include <fstream>
#include <iostream>
#include <string>

#include "library.h"
#include "script.h"

namespace {

int usage() {
    std::cerr << "usage: tamrilo-host [--library PATH] SCRIPT\n"
                 "Loads the library (by default the one beside this program), binds it, and runs\n"
                 "the script. Exit codes: 0 all expectations held, 1 an expectation failed,\n"
                 "2 script or load error.\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string library = tamrilo::engine::default_library_path();
    std::string script;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--library" && i + 1 < argc) {
            library = argv[++i];
        } else if (!arg.empty() && arg[0] == '-') {
            return usage();
        } else if (script.empty()) {
            script = arg;
        } else {
            return usage();
        }
    }
    if (script.empty()) return usage();
    std::ifstream in(script);
    if (!in) {
        std::cerr << "tamrilo-host: cannot open " << script << "\n";
        return 2;
    }
    try {
        const auto result = tamrilo::engine::run_script(in, script, library, std::cout, std::cerr);
        return result.failed_expectations == 0 ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "tamrilo-host: " << e.what() << "\n";
        return 2;
    }
}
