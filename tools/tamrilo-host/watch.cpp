#include "tools/tamrilo-host/watch.h"

#include <cmath>
#include <cstdio>
#include <ostream>
#include <sstream>

#include "engine/host_engine.h"
#include "engine/library.h"
#include "script/vocabulary.h"

namespace tamrilo::tool {
namespace {

using engine::Fixed;
using engine::from_fixed;
using engine::HostEngine;
using engine::HostString;
using engine::Library;
using engine::to_fixed;

const char* const kAxes[][2] = {{"X", "JOY_X_A"}, {"Y", "JOY_Y_A"}, {"Z", "JOY_RUD_A"}, {"RZ", "JOY_ROT_A"}};
constexpr int kButtons = 16;
constexpr int kBarWidth = 41;
constexpr double kAxisEnd = 10000.0;
// What JOY_X_A holds when the reading failed: no position reads it.
constexpr Fixed kReadingFailed = 4078;
constexpr int kStatusRead = 97;
// Lines of one refresh: name, four axes, hat, buttons, status.
constexpr int kFrameLines = 8;

// The variables the exports the watch calls look up.
const char* const kFamilies[] = {"status", "version", "joystick", "capabilities"};

std::string fixed_text(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%9.1f", value);
    return text;
}

std::string frame(const HostEngine& host, const std::string& name, bool force_feedback) {
    std::ostringstream f;
    f << "Joystick: " << name << "  (force feedback: " << (force_feedback ? "yes" : "no") << ")\n";
    for (const auto& axis : kAxes) {
        const double v = from_fixed(host.get(axis[1]));
        f << (axis[0][1] ? "" : " ") << axis[0] << "  " << axis_bar(v, kBarWidth) << " " << fixed_text(v) << "\n";
    }
    f << "Hat      " << hat_text(from_fixed(host.get("JOY_VIEW"))) << "\n";
    f << "Buttons ";
    for (int b = 1; b <= kButtons; ++b) {
        const bool held = host.get("BUTTON_" + std::to_string(b)) == to_fixed(1);
        f << ' ' << (held ? std::to_string(b) : std::string("."));
    }
    f << "\n";
    const Fixed status = host.get("OV_error");
    if (status == kStatusRead && host.get("JOY_X_A") != kReadingFailed) {
        f << "reading: ok\n";
    } else {
        f << "reading failed (OV_error " << status << "): is another program using the joystick, or is "
          << "the tamrilo-host window not in the foreground?\n";
    }
    return f.str();
}

}  // namespace

std::string axis_bar(double position, int width) {
    const int inner = width - 2;
    const int centre = inner / 2;
    double clamped = std::fmax(-kAxisEnd, std::fmin(kAxisEnd, position));
    const int mark = centre + static_cast<int>(std::lround(clamped / kAxisEnd * centre));
    std::string bar(static_cast<std::size_t>(inner), ' ');
    for (int i = std::min(mark, centre); i <= std::max(mark, centre); ++i) bar[static_cast<std::size_t>(i)] = '#';
    bar[static_cast<std::size_t>(centre)] = '|';
    return "[" + bar + "]";
}

std::string hat_text(double degrees) {
    if (degrees < 0) return "centred";
    static const char* const kDirections[] = {"north", "north-east", "east", "south-east",
                                              "south", "south-west", "west", "north-west"};
    const int sector = static_cast<int>(std::lround(degrees / 45.0)) % 8;
    char text[64];
    std::snprintf(text, sizeof text, "%s (%.1f degrees)", kDirections[sector], degrees);
    return text;
}

int watch_joystick(const std::string& library_path, const WatchOptions& options, std::ostream& out, std::ostream& err) {
    HostEngine host;
    for (const char* family : kFamilies) {
        for (const auto& name : script::family_variables(family)) host.declare(name);
    }
    Library library(library_path);
    library.bind(host);

    library.call("Get_Versionsnummer");
    library.call("InitDirectInput");
    if (host.get("OV_info_1") != 1) {
        err << "tamrilo-host: DirectInput could not be opened (InitDirectInput: OV_error " << host.get("OV_error")
            << ")\n";
        return 1;
    }
    library.call("InitJoystick_1");
    if (host.get("OV_info_2") != 1) {
        err << "tamrilo-host: no joystick is attached (InitJoystick_1: OV_error " << host.get("OV_error") << ")\n";
        library.call("FreeDirectInput");
        return 1;
    }
    HostString name_string;
    library.call_with_string("Get_Joystick_Name_1", &name_string);
    const std::string name = name_string.characters() ? name_string.characters() : "";
    library.call("Show_Capabilities");
    const bool force_feedback = host.get("FORCEFEEDBACK_ENABLE") == to_fixed(1);

    out << "Watching the first joystick; press any key to stop.\n";
    bool first = true;
    while (!options.stop_requested()) {
        library.call("Get_Joystick_State");
        if (options.redraw_in_place && !first) out << "\x1b[" << kFrameLines << "A\r";
        std::string text = frame(host, name, force_feedback);
        if (options.redraw_in_place) {
            // Each line is cleared to its end, so a shorter line leaves nothing of the last one.
            for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 4)
                text.insert(at, "\x1b[K");
        }
        out << text << std::flush;
        first = false;
        options.between_frames();
    }
    library.call("FreeDirectInput");
    return 0;
}

}  // namespace tamrilo::tool
