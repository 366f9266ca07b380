#include "script/commands.h"

#include <iomanip>
#include <limits>
#include <sstream>

#include "script/numbers.h"
#include "script/spelling.h"
#include "script/vocabulary.h"

namespace tamrilo::script {
namespace {

using engine::from_fixed;
using engine::to_fixed;
using joysticks::JoystickSpec;

constexpr std::size_t kAny = std::numeric_limits<std::size_t>::max();

bool is_status_name(const std::string& name) {
    for (const auto& status : family_variables("status")) {
        if (status == name) return true;
    }
    return false;
}

void var(Runner& r, const Words& w) { r.engine.declare(w[1], w.size() == 3 ? parse_raw(w[2]) : 0); }

void declare(Runner& r, const Words& w) {
    for (std::size_t i = 1; i < w.size(); ++i) {
        bool found = false;
        for (const auto& family : variable_families()) {
            if (w[i] != "all" && w[i] != family.name) continue;
            found = true;
            for (const auto& name : family.variables) {
                if (!r.engine.has(name)) r.engine.declare(name);
            }
        }
        if (!found) {
            std::vector<std::string> names = {"all"};
            for (const auto& family : variable_families()) names.push_back(family.name);
            throw ScriptError("unknown variable family '" + w[i] + "'" + did_you_mean(w[i], names));
        }
    }
}

void set(Runner& r, const Words& w) { r.engine.set(w[1], to_fixed(parse_script_value(w[2]))); }

void raw(Runner& r, const Words& w) { r.engine.set(w[1], parse_raw(w[2])); }

void call(Runner& r, const Words& w) { r.call_export(w[1]); }

void name(Runner& r, const Words& w) { r.call_name_export(w[1]); }

void print(Runner& r, const Words& w) {
    for (std::size_t i = 1; i < w.size(); ++i) {
        const std::int32_t raw = r.value(w[i]);
        // A status code is an integer scripts compare as it is stored, not a script value.
        if (is_status_name(w[i])) {
            r.out << w[i] << " = " << raw << " (status code)\n";
        } else {
            r.out << w[i] << " = " << std::setprecision(10) << from_fixed(raw) << " (raw " << raw << ")\n";
        }
    }
}

void status(Runner& r, const Words&) {
    r.out << "status";
    for (const auto& name : family_variables("status")) r.out << " " << name << "=" << r.value(name);
    r.out << "\n";
}

void echo(Runner& r, const Words& w) {
    for (std::size_t i = 1; i < w.size(); ++i) r.out << (i > 1 ? " " : "") << w[i];
    r.out << "\n";
}

std::string both_forms(std::int32_t raw) {
    std::ostringstream s;
    s << raw << " (script value " << std::setprecision(10) << from_fixed(raw) << ")";
    return s.str();
}

// expect NAME INTEGER | expect NAME raw INTEGER | expect NAME value NUMBER
void expect(Runner& r, const Words& w) {
    std::int32_t want = 0;
    if (w.size() == 3) {
        want = parse_raw(w[2]);
    } else if (w[2] == "raw") {
        want = parse_raw(w[3]);
    } else if (w[2] == "value") {
        want = to_fixed(parse_script_value(w[3]));
    } else {
        throw ScriptError("usage: expect NAME [raw] INTEGER | expect NAME value NUMBER");
    }
    const std::int32_t got = r.value(w[1]);
    if (got == want) {
        ++r.result.expectations_held;
        return;
    }
    ++r.result.failed_expectations;
    r.err << r.where() << "expected " << w[1] << " = " << both_forms(want) << ", got " << both_forms(got) << "\n";
}

// A day at most: a longer wait is a typing error, not a time to simulate.
constexpr std::uint32_t kMaxWaitMs = 86400000u;

void wait(Runner& r, const Words& w) { r.wait(parse_count(w[1], kMaxWaitMs)); }

int device_number(Runner& r, const std::string& word) {
    const std::int32_t device = parse_raw(word);
    if (!r.joysticks().has(device)) throw ScriptError("no joystick " + word + " is attached");
    return device;
}

// joystick attach "NAME" [ff] [axes N] [buttons N] [povs N]
// joystick state DEVICE X Y Z RZ POV [BUTTON...]   (buttons: numbers 1..32 held down)
// joystick move DEVICE X Y Z RZ MS                   (a straight move, arriving MS ms later)
// joystick unplug DEVICE | joystick plug DEVICE
void drive_joysticks(Runner& r, const Words& w) {
    JoystickBackend& joysticks = r.joysticks();
    if (w[1] == "attach") {
        if (w.size() < 3) throw ScriptError("usage: joystick attach \"NAME\" [ff] [axes N] [buttons N] [povs N]");
        JoystickSpec j;
        j.name = w[2];
        for (std::size_t i = 3; i < w.size(); ++i) {
            if (w[i] == "ff") {
                j.force_feedback = true;
            } else if ((w[i] == "axes" || w[i] == "buttons" || w[i] == "povs") && i + 1 < w.size()) {
                const auto n = static_cast<DWORD>(parse_raw(w[i + 1]));
                (w[i] == "axes" ? j.axes : w[i] == "buttons" ? j.buttons : j.povs) = n;
                ++i;
            } else {
                throw ScriptError("unknown joystick attribute '" + w[i] + "'");
            }
        }
        r.out << "joystick " << joysticks.attach(j) << " attached: \"" << w[2] << "\"\n";
    } else if (w[1] == "state") {
        if (w.size() < 8) throw ScriptError("usage: joystick state DEVICE X Y Z RZ POV [BUTTON...]");
        DIJOYSTATE s{};
        s.lX = parse_raw(w[3]);
        s.lY = parse_raw(w[4]);
        s.lZ = parse_raw(w[5]);
        s.lRz = parse_raw(w[6]);
        s.rgdwPOV[0] = static_cast<DWORD>(parse_raw(w[7]));
        for (int i = 1; i < 4; ++i) s.rgdwPOV[i] = 0xFFFFFFFFu;
        for (std::size_t i = 8; i < w.size(); ++i) {
            const std::int32_t b = parse_raw(w[i]);
            if (b < 1 || b > 32) throw ScriptError("button numbers run from 1 to 32");
            s.rgbButtons[b - 1] = 0x80;
        }
        joysticks.set_state(device_number(r, w[2]), s);
    } else if (w[1] == "move") {
        if (w.size() != 8) throw ScriptError("usage: joystick move DEVICE X Y Z RZ MS");
        DIJOYSTATE target{};
        target.lX = parse_raw(w[3]);
        target.lY = parse_raw(w[4]);
        target.lZ = parse_raw(w[5]);
        target.lRz = parse_raw(w[6]);
        const std::uint32_t ms = parse_count(w[7], kMaxWaitMs);
        joysticks.move(device_number(r, w[2]), target, static_cast<unsigned long long>(ms) * 1000u);
    } else if (w[1] == "unplug" || w[1] == "plug") {
        if (w.size() != 3) throw ScriptError("usage: joystick unplug|plug DEVICE");
        joysticks.set_attached(device_number(r, w[2]), w[1] == "plug");
    } else {
        throw ScriptError("unknown joystick command '" + w[1] + "'" +
                          did_you_mean(w[1], {"attach", "state", "move", "unplug", "plug"}));
    }
}

// What a backend could not do is an error of the script line that asked for it.
void joystick(Runner& r, const Words& w) {
    try {
        drive_joysticks(r, w);
    } catch (const joysticks::JoystickError& e) {
        throw ScriptError(e.what());
    }
}

const std::vector<Command> kCommands = {
    {"var", "NAME [TYPE-CODE]", "declares a host variable (type codes 3 and 9 keep the value in word 1)", 1, 2, var},
    {"declare", "FAMILY...", "declares every variable of the families named, or of all of them", 1, kAny, declare},
    {"set", "NAME NUMBER", "stores a script value (NUMBER x 1024, rounded)", 2, 2, set},
    {"raw", "NAME INTEGER", "stores a raw 32-bit integer as it is", 2, 2, raw},
    {"call", "EXPORT", "calls an export that takes no argument", 1, 1, call},
    {"name", "EXPORT", "calls Get_Joystick_Name_1 or _2 with a host string and prints the name", 1, 1, name},
    {"print", "NAME...", "prints variables as script values and raw integers (status codes raw)", 1, kAny, print},
    {"status", "", "prints the six status variables as the raw integers scripts compare", 0, 0, status},
    {"echo", "TEXT...", "prints the text", 0, kAny, echo},
    {"expect", "NAME [raw] INTEGER | NAME value NUMBER", "checks a variable against a raw integer or a script value", 2,
     3, expect},
    {"wait", "MS", "moves the simulated clock on by MS milliseconds (sleeps on a real DirectInput)", 1, 1, wait},
    {"repeat", "N", "runs the lines up to the matching 'end' N times", 1, 1, nullptr},
    {"end", "", "ends a repeat block", 0, 0, nullptr},
    {"joystick", "attach|state|move|unplug|plug ...",
     "drives the simulated joysticks, or on Wine's own DirectInput the virtual ones (see docs/scripting.md)", 1, kAny,
     joystick},
};

}  // namespace

const std::vector<Command>& commands() { return kCommands; }

const Command& command_of(const Words& words) {
    for (const auto& command : kCommands) {
        if (words[0] != command.name) continue;
        const std::size_t arguments = words.size() - 1;
        if (arguments < command.min_arguments || arguments > command.max_arguments) {
            throw ScriptError(std::string("usage: ") + command.name + (*command.arguments ? " " : "") +
                              command.arguments);
        }
        return command;
    }
    std::vector<std::string> names;
    for (const auto& command : kCommands) names.push_back(command.name);
    throw ScriptError("unknown command '" + words[0] + "'" + did_you_mean(words[0], names));
}

}  // namespace tamrilo::script
