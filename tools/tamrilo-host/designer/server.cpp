#include "tools/tamrilo-host/designer/server.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <iomanip>
#include <map>
#include <mutex>
#include <ostream>
#include <random>
#include <sstream>
#include <thread>

#include "tools/tamrilo-host/designer/assets.h"
#include "tools/tamrilo-host/designer/session.h"

namespace tamrilo::designer {
namespace {

constexpr const char* kLoopback = "127.0.0.1";
// An open page asks for the stick ten times a second (once a second in a background tab). When
// no page has asked anything for this long, the browser crashed or was killed without closing
// the page: the effects stop, as when a page closes.
constexpr auto kPageSilence = std::chrono::seconds(5);

// 128 random bits in hexadecimal: the page's address is the only way to the server.
std::string random_token() {
    std::random_device device;
    std::ostringstream s;
    for (int i = 0; i < 4; ++i) s << std::hex << std::setw(8) << std::setfill('0') << device();
    return s.str();
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

template <class T, class F>
std::string list(const std::vector<T>& items, F item) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + item(items[i]);
    return out + "]";
}

std::string text_list(const std::vector<std::string>& items) { return list(items, quoted); }

std::string effects_json() {
    return list(effects(), [](const Effect& e) {
        return "{\"family\":" + quoted(e.family) + ",\"label\":" + quoted(e.label) + ",\"define\":" + quoted(e.define) +
               ",\"start\":" + quoted(e.start) + ",\"stop\":" + quoted(e.stop) + ",\"variables\":" +
               list(e.variables,
                    [](const Variable& v) {
                        return "{\"name\":" + quoted(v.name) + ",\"unit\":" + quoted(v.unit) +
                               ",\"meaning\":" + quoted(v.meaning) + ",\"min\":" + number_text(v.min) +
                               ",\"max\":" + number_text(v.max) + ",\"initial\":" + number_text(v.initial) + "}";
                    }) +
               "}";
    });
}

// The lines as the engine's own scripts write them: assignments and export calls.
std::vector<std::string> engine_lines(const std::vector<std::string>& host_lines) {
    std::vector<std::string> out;
    for (const auto& line : host_lines) {
        std::istringstream words(line);
        std::string command, name, value;
        words >> command >> name >> value;
        out.push_back(command == "set" ? name + " = " + value + ";" : name + "();");
    }
    return out;
}

std::string preview_json(const Effect& effect, const Values& values) {
    const Preview p = preview(effect, values);
    std::vector<std::string> host = script_lines(effect, values, effect.define);
    host.push_back("call " + effect.start);
    return "{\"sent\":" +
           list(p.sent,
                [](const SentField& f) {
                    return "{\"field\":" + quoted(f.field) + ",\"from\":" + quoted(f.from) +
                           ",\"value\":" + std::to_string(f.value) + "}";
                }) +
           ",\"along\":" + quoted(p.along) + ",\"series\":" +
           list(p.series,
                [](const Series& s) {
                    return "{\"name\":" + quoted(s.name) + ",\"points\":" +
                           list(s.points,
                                [](const auto& pt) {
                                    return "[" + number_text(pt.first) + "," + number_text(pt.second) + "]";
                                }) +
                           "}";
                }) +
           ",\"notes\":" + text_list(p.notes) + ",\"script\":" + text_list(host) +
           ",\"engine_script\":" + text_list(engine_lines(host)) + "}";
}

std::string status_json(const std::vector<Status>& status) {
    return list(status, [](const Status& s) {
        return "{\"variable\":" + quoted(s.variable) + ",\"code\":" + std::to_string(s.code) +
               ",\"meaning\":" + quoted(s.meaning) + "}";
    });
}

std::string stick_json(const StickReading& r) {
    std::vector<std::string> buttons;
    for (const int b : r.buttons_held) buttons.push_back(std::to_string(b));
    std::string out = "{\"selected\":" + std::string(r.selected ? "true" : "false") + ",\"x\":" + number_text(r.x) +
                      ",\"y\":" + number_text(r.y) +
                      ",\"buttons\":" + list(buttons, [](const std::string& b) { return b; });
    if (r.force_known) out += ",\"force\":[" + std::to_string(r.force_x) + "," + std::to_string(r.force_y) + "]";
    return out + "}";
}

std::map<std::string, std::string> parameters(const httplib::Request& request) {
    return {request.params.begin(), request.params.end()};
}

void send_json(httplib::Response& response, const std::string& json) { response.set_content(json, "application/json"); }

void refuse(httplib::Response& response, int status, const std::string& message) {
    response.status = status;
    response.set_content("{\"error\":" + quoted(message) + "}", "application/json");
}

// A whole number in -10000 … 10000 for the stick's position.
long stick_axis(const httplib::Request& request, const char* name) {
    const std::string text = request.get_param_value(name);
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < -10000 || v > 10000)
        throw DesignError(std::string("stick ") + name + ": '" + text + "' is not a whole number from -10000 to 10000");
    return v;
}

}  // namespace

int serve_designer(const ServerOptions& options, std::ostream& console, std::ostream& err) {
    Session session(options.library, console);
    std::mutex session_mutex;  // the library is called from one thread at a time
    const std::string token = random_token();
    httplib::Server server;
    const int port = options.port == 0 ? server.bind_to_any_port(kLoopback) : options.port;
    if (options.port != 0 && !server.bind_to_port(kLoopback, port)) {
        err << "tamrilo-host: cannot listen on " << kLoopback << ":" << port << "\n";
        return 2;
    }
    if (port < 0) {
        err << "tamrilo-host: cannot listen on " << kLoopback << "\n";
        return 2;
    }
    const std::string hosts[] = {std::string(kLoopback) + ":" + std::to_string(port),
                                 "localhost:" + std::to_string(port)};

    // When a page last asked something (steady clock ticks; 0 before the first request).
    std::atomic<std::chrono::steady_clock::rep> last_request{0};
    server.set_pre_routing_handler([&](const httplib::Request& request, httplib::Response& response) {
        // Another web page the browser shows may send requests here; its Host names its own site.
        const std::string host = request.get_header_value("Host");
        if (host != hosts[0] && host != hosts[1]) {
            refuse(response, 403, "refused: the designer answers only at " + hosts[0]);
            return httplib::Server::HandlerResponse::Handled;
        }
        if (request.get_param_value("token") != token) {
            refuse(response, 403, "refused: the address lacks the token tamrilo-host printed");
            return httplib::Server::HandlerResponse::Handled;
        }
        last_request.store(std::chrono::steady_clock::now().time_since_epoch().count());
        response.set_header("Cache-Control", "no-store");
        response.set_header("X-Content-Type-Options", "nosniff");
        response.set_header("Content-Security-Policy", "default-src 'self'; frame-ancestors 'none'");
        return httplib::Server::HandlerResponse::Unhandled;
    });
    // Every answer of the session as JSON, a DesignError as a refusal with its message.
    const auto answer = [&](auto work) {
        return [&, work](const httplib::Request& request, httplib::Response& response) {
            try {
                std::lock_guard lock(session_mutex);
                send_json(response, work(request));
            } catch (const std::exception& e) {
                refuse(response, 400, e.what());
            }
        };
    };

    const std::pair<const char*, const char*> pages[] = {
        {"/", "text/html"}, {"/designer.js", "text/javascript"}, {"/designer.css", "text/css"}};
    for (const auto& [path, type] : pages) {
        const std::string name = std::string(path) == "/" ? "index.html" : std::string(path).substr(1);
        std::string text(asset(name));
        for (std::size_t at; (at = text.find("@TOKEN@")) != std::string::npos;) text.replace(at, 7, token);
        server.Get(path, [text, type = type](const httplib::Request&, httplib::Response& response) {
            response.set_content(text, type);
        });
    }
    server.Get("/effects", answer([&](const httplib::Request&) {
                   return "{\"simulated\":" + std::string(session.simulated() ? "true" : "false") +
                          ",\"effects\":" + effects_json() + "}";
               }));
    server.Get("/preview", answer([&](const httplib::Request& request) {
                   const Effect& effect = effect_named(request.get_param_value("effect"));
                   return preview_json(effect, checked_values(effect, parameters(request)));
               }));
    server.Post("/call", answer([&](const httplib::Request& request) {
                    const Effect& effect = effect_named(request.get_param_value("effect"));
                    const std::string action = request.get_param_value("action");
                    const std::string export_name = action == "define"  ? effect.define
                                                    : action == "start" ? effect.start
                                                    : action == "stop"  ? effect.stop
                                                                        : "";
                    if (export_name.empty()) throw DesignError("no action '" + action + "' (define, start or stop)");
                    const auto lines = session.call(effect, checked_values(effect, parameters(request)), export_name);
                    return "{\"lines\":" + text_list(lines) + ",\"status\":" + status_json(session.status()) + "}";
                }));
    server.Get("/stick", answer([&](const httplib::Request&) { return stick_json(session.read_stick()); }));
    server.Post("/stick", answer([&](const httplib::Request& request) {
                    session.place_stick(stick_axis(request, "x"), stick_axis(request, "y"));
                    return stick_json(session.read_stick());
                }));
    server.Post("/close", answer([&](const httplib::Request&) {
                    session.stop_all();
                    last_request.store(0);  // stopped already: the silence after it needs no second stop
                    return std::string("{}");
                }));

    std::thread listener([&] { server.listen_after_bind(); });
    if (options.listening) options.listening("http://" + hosts[0] + "/?token=" + token);
    std::chrono::steady_clock::rep silence_handled = 0;  // the request whose silence stopped the effects
    while (!options.stop_requested()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const auto last = last_request.load();
        const std::chrono::steady_clock::time_point last_time{std::chrono::steady_clock::duration(last)};
        if (last != 0 && last != silence_handled && std::chrono::steady_clock::now() - last_time > kPageSilence) {
            silence_handled = last;
            std::lock_guard lock(session_mutex);
            session.stop_all();
        }
    }
    server.stop();
    listener.join();
    return 0;  // the session, ended here, stops every effect
}

}  // namespace tamrilo::designer
