// tamrilo-host --designer: a web server on the loopback address that serves the designer's page
// and answers its requests with the session's calls.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

namespace tamrilo::designer {

struct ServerOptions {
    std::string library;  // the library to load
    int port = 0;         // 0: any free port
    // Called with the page's address (token included) once the server listens.
    std::function<void(const std::string& address)> listening;
    // Asked every tenth of a second; the server stops when it answers true.
    std::function<bool()> stop_requested;
};

// Serves until stop_requested, then stops every effect. Returns 0, or 2 after saying why on `err`
// when the port cannot be had. The console shows every call the page makes.
int serve_designer(const ServerOptions& options, std::ostream& console, std::ostream& err);

}  // namespace tamrilo::designer
