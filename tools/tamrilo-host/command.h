// tamrilo-host as a function of its arguments and output streams, so that tests can run it
// the way a user does, natively and under Wine.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "tools/tamrilo-host/options.h"

namespace tamrilo::tool {

// Exit codes: 0 every expectation held, 1 an expectation failed (or, with --strict, a lookup
// found an undeclared name), 2 a usage, script or load error.
constexpr int kExitHeld = 0;
constexpr int kExitFailed = 1;
constexpr int kExitError = 2;

// Reads the arguments into `options`. Returns the exit code when there is nothing more to do:
// --help and --version answered, or a usage error reported on `err`.
std::optional<int> parse_host_options(const std::vector<std::string>& arguments, HostOptions& options,
                                      std::ostream& out, std::ostream& err);

// Runs the script the options name and prints the summary; returns the exit code.
int run_host_script(const HostOptions& options, std::ostream& out, std::ostream& err);

// Both of the above: tamrilo-host without its window, simulator folder and --watch.
int run_host(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace tamrilo::tool
