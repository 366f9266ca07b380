#include "script/commands.h"

#include <algorithm>
#include <iomanip>
#include <limits>
#include <sstream>

#include "script/check.h"
#include "script/condition.h"
#include "script/numbers.h"
#include "script/spelling.h"
#include "script/vocabulary.h"

namespace tamrilo::script {
namespace {

using engine::from_fixed;
using engine::to_fixed;
using joysticks::JoystickBackend;
using joysticks::JoystickSpec;

constexpr std::size_t kAny = std::numeric_limits<std::size_t>::max();
constexpr std::uint32_t kMaxRepeat = 1000000000u;
// A day at most: a longer wait is a typing error, not a time to simulate.
constexpr std::uint32_t kMaxWaitMs = 86400000u;

// The variables `declare` declares for one of its words.
std::vector<std::string> declared_by(const std::string& word) {
    std::vector<std::string> variables;
    bool found = false;
    for (const auto& family : variable_families()) {
        if (word != "all" && word != family.name) continue;
        found = true;
        variables.insert(variables.end(), family.variables.begin(), family.variables.end());
    }
    if (!found) {
        std::vector<std::string> names = {"all"};
        for (const auto& family : variable_families()) names.push_back(family.name);
        throw ScriptError("unknown variable family '" + word + "'" + did_you_mean(word, names));
    }
    return variables;
}

// The export `call` (or, with a host string, `name`) may call.
void check_export(const std::string& name, bool with_string) {
    const auto& names = export_names();
    if (std::find(names.begin(), names.end(), name) == names.end()) {
        throw ScriptError("unknown export '" + name + "'" + did_you_mean(name, names));
    }
    if (name == "A5_DLLAPI" && !with_string) {
        throw ScriptError(
            "A5_DLLAPI takes the engine record; tamrilo-host binds the library before the first line runs");
    }
    if (with_string && (name == "A5_DLLAPI" || !takes_argument(name))) {
        throw ScriptError("'name' calls Get_Joystick_Name_1 or Get_Joystick_Name_2; use 'call " + name + "'");
    }
    if (!with_string && takes_argument(name)) throw ScriptError(name + " takes a host string; use 'name " + name + "'");
}

// expect NAME INTEGER | expect NAME raw INTEGER | expect NAME value NUMBER: the raw value expected.
std::int32_t expected(const Words& w) {
    if (w.size() == 3) return parse_raw(w[2]);
    if (w[2] == "raw") return parse_raw(w[3]);
    if (w[2] == "value") return to_fixed(parse_script_value(w[3]));
    throw ScriptError("usage: expect NAME [raw] INTEGER | expect NAME value NUMBER");
}

// The names an echo word shows the values of: {NAME} anywhere in it.
std::vector<std::string> echoed_names(const std::string& word) {
    std::vector<std::string> names;
    for (std::size_t open = word.find('{'); open != std::string::npos; open = word.find('{', open + 1)) {
        const std::size_t close = word.find('}', open);
        if (close == std::string::npos) break;
        names.push_back(word.substr(open + 1, close - open - 1));
        open = close;
    }
    return names;
}

// One joystick line, read whole before the backend is asked for anything.
struct JoystickLine {
    std::string action;
    JoystickSpec spec;  // attach
    int device = 0;
    DIJOYSTATE state{};  // state; the target of move
    std::uint32_t ms = 0;
};

DIJOYSTATE axes(const Words& w) {
    DIJOYSTATE s{};
    s.lX = parse_raw(w[3]);
    s.lY = parse_raw(w[4]);
    s.lZ = parse_raw(w[5]);
    s.lRz = parse_raw(w[6]);
    return s;
}

// joystick attach "NAME" [ff] [axes N] [buttons N] [povs N]
// joystick state DEVICE X Y Z RZ POV [BUTTON...]   (buttons: numbers 1..32 held down)
// joystick move DEVICE X Y Z RZ MS                   (a straight move, arriving MS ms later)
// joystick unplug DEVICE | joystick plug DEVICE
JoystickLine parse_joystick(const Words& w) {
    JoystickLine j;
    j.action = w[1];
    if (j.action == "attach") {
        if (w.size() < 3) throw ScriptError("usage: joystick attach \"NAME\" [ff] [axes N] [buttons N] [povs N]");
        j.spec.name = w[2];
        for (std::size_t i = 3; i < w.size(); ++i) {
            if (w[i] == "ff") {
                j.spec.force_feedback = true;
            } else if ((w[i] == "axes" || w[i] == "buttons" || w[i] == "povs") && i + 1 < w.size()) {
                const auto n = static_cast<DWORD>(parse_raw(w[i + 1]));
                (w[i] == "axes" ? j.spec.axes : w[i] == "buttons" ? j.spec.buttons : j.spec.povs) = n;
                ++i;
            } else {
                throw ScriptError("unknown joystick attribute '" + w[i] + "'");
            }
        }
        return j;
    }
    if (j.action == "state") {
        if (w.size() < 8) throw ScriptError("usage: joystick state DEVICE X Y Z RZ POV [BUTTON...]");
        j.state = axes(w);
        j.state.rgdwPOV[0] = static_cast<DWORD>(parse_raw(w[7]));
        for (int i = 1; i < 4; ++i) j.state.rgdwPOV[i] = 0xFFFFFFFFu;
        for (std::size_t i = 8; i < w.size(); ++i) {
            const std::int32_t b = parse_raw(w[i]);
            if (b < 1 || b > 32) throw ScriptError("button numbers run from 1 to 32");
            j.state.rgbButtons[b - 1] = 0x80;
        }
    } else if (j.action == "move") {
        if (w.size() != 8) throw ScriptError("usage: joystick move DEVICE X Y Z RZ MS");
        j.state = axes(w);
        j.ms = parse_count(w[7], kMaxWaitMs);
    } else if (j.action == "unplug" || j.action == "plug") {
        if (w.size() != 3) throw ScriptError("usage: joystick unplug|plug DEVICE");
    } else {
        throw ScriptError("unknown joystick command '" + j.action + "'" +
                          did_you_mean(j.action, {"attach", "state", "move", "unplug", "plug"}));
    }
    j.device = parse_raw(w[2]);
    return j;
}

void var(Runner& r, const Words& w) { r.engine.declare(w[1], w.size() == 3 ? parse_raw(w[2]) : 0); }
void check_var(Checker& c, const Words& w) {
    if (w.size() == 3) parse_raw(w[2]);
    c.declare(w[1]);
}

void declare(Runner& r, const Words& w) {
    for (std::size_t i = 1; i < w.size(); ++i) {
        for (const auto& name : declared_by(w[i])) {
            if (!r.engine.has(name)) r.engine.declare(name);
        }
    }
}
void check_declare(Checker& c, const Words& w) {
    for (std::size_t i = 1; i < w.size(); ++i) {
        for (const auto& name : declared_by(w[i])) c.declare(name);
    }
}

void set(Runner& r, const Words& w) { r.engine.set(w[1], to_fixed(parse_script_value(w[2]))); }
void check_set(Checker& c, const Words& w) {
    parse_script_value(w[2]);
    c.store(w[1]);
}

void raw(Runner& r, const Words& w) { r.engine.set(w[1], parse_raw(w[2])); }
void check_raw(Checker& c, const Words& w) {
    parse_raw(w[2]);
    c.store(w[1]);
}

void call(Runner& r, const Words& w) { r.call_export(w[1]); }
void check_call(Checker&, const Words& w) { check_export(w[1], false); }

void name(Runner& r, const Words& w) { r.call_name_export(w[1]); }
void check_name(Checker&, const Words& w) { check_export(w[1], true); }

// Several names print on one line, so that a frame of a loop is a line.
void print(Runner& r, const Words& w) {
    for (std::size_t i = 1; i < w.size(); ++i) {
        const std::int32_t raw = r.value(w[i]);
        r.out << (i > 1 ? ", " : "") << w[i] << " = " << shown_value(w[i], raw);
        // A status code is an integer scripts compare as it is stored, not a script value.
        r.out << (is_status_name(w[i]) ? " (status code)" : " (raw " + std::to_string(raw) + ")");
    }
    r.out << "\n";
}
void check_reads(Checker& c, const Words& w) {
    for (std::size_t i = 1; i < w.size(); ++i) c.read(w[i]);
}

void status(Runner& r, const Words&) {
    r.out << "status";
    for (const auto& name : family_variables("status")) r.out << " " << name << "=" << r.value(name);
    r.out << "\n";
    for (const auto& name : family_variables("status")) {
        const std::string meaning = r.meaning(name, r.value(name));
        if (!meaning.empty()) r.out << "  " << meaning << "\n";
    }
}
void check_status(Checker& c, const Words&) {
    for (const auto& name : family_variables("status")) c.read(name);
}

void echo(Runner& r, const Words& w) {
    for (std::size_t i = 1; i < w.size(); ++i) {
        std::string word = w[i];
        for (const auto& name : echoed_names(w[i])) {
            const std::string braced = "{" + name + "}";
            word.replace(word.find(braced), braced.size(), shown_value(name, r.value(name)));
        }
        r.out << (i > 1 ? " " : "") << word;
    }
    r.out << "\n";
}
void check_echo(Checker& c, const Words& w) {
    for (std::size_t i = 1; i < w.size(); ++i) {
        for (const auto& name : echoed_names(w[i])) c.read(name);
    }
}

std::string both_forms(std::int32_t raw) {
    std::ostringstream s;
    s << raw << " (script value " << std::setprecision(10) << from_fixed(raw) << ")";
    return s.str();
}

void expect(Runner& r, const Words& w) {
    const std::int32_t want = expected(w);
    const std::int32_t got = r.value(w[1]);
    if (got == want) {
        ++r.result.expectations_held;
        return;
    }
    ++r.result.failed_expectations;
    r.err << r.where() << "expected " << w[1] << " = " << both_forms(want) << ", got " << both_forms(got) << "\n";
    const std::string meaning = r.meaning(w[1], got);
    if (!meaning.empty()) r.err << r.where() << "  " << meaning << "\n";
}
void check_expect(Checker& c, const Words& w) {
    expected(w);
    c.read(w[1]);
}

void wait(Runner& r, const Words& w) { r.wait(parse_count(w[1], kMaxWaitMs)); }
void check_wait(Checker&, const Words& w) { parse_count(w[1], kMaxWaitMs); }

void check_repeat(Checker&, const Words& w) { parse_count(w[1], kMaxRepeat); }
void check_condition(Checker& c, const Words& w) { c.read(parse_condition(w).name); }

void drive_joysticks(Runner& r, const Words& w) {
    const JoystickLine j = parse_joystick(w);
    JoystickBackend& joysticks = r.joysticks();
    if (j.action == "attach") {
        const int device = joysticks.attach(j.spec);
        r.out << "joystick " << device << " attached: \"" << j.spec.name << "\"\n";
        return;
    }
    if (!joysticks.has(j.device)) throw ScriptError("no joystick " + w[2] + " is attached");
    if (j.action == "state") {
        joysticks.set_state(j.device, j.state);
    } else if (j.action == "move") {
        joysticks.move(j.device, j.state, static_cast<unsigned long long>(j.ms) * 1000u);
    } else {
        joysticks.set_attached(j.device, j.action == "plug");
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
void check_joystick(Checker&, const Words& w) { parse_joystick(w); }

const std::vector<Command> kCommands = {
    {"var", "NAME [TYPE-CODE]", "declares a host variable (type codes 3 and 9 keep the value in word 1)", 1, 2, var,
     check_var},
    {"declare", "FAMILY...", "declares every variable of the families named, or of all of them", 1, kAny, declare,
     check_declare},
    {"set", "NAME NUMBER", "stores a script value (NUMBER x 1024, rounded)", 2, 2, set, check_set},
    {"raw", "NAME INTEGER", "stores a raw 32-bit integer as it is", 2, 2, raw, check_raw},
    {"call", "EXPORT", "calls an export that takes no argument", 1, 1, call, check_call},
    {"name", "EXPORT", "calls Get_Joystick_Name_1 or _2 with a host string and prints the name", 1, 1, name,
     check_name},
    {"print", "NAME...", "prints variables on one line as script values and raw integers (status codes raw)", 1, kAny,
     print, check_reads},
    {"status", "", "prints the six status variables as the raw integers scripts compare, and what they mean", 0, 0,
     status, check_status},
    {"echo", "TEXT...", "prints the text; {NAME} in it shows the variable's value", 0, kAny, echo, check_echo},
    {"expect", "NAME [raw] INTEGER | NAME value NUMBER", "checks a variable against a raw integer or a script value", 2,
     3, expect, check_expect},
    {"wait", "MS", "moves the simulated clock on by MS milliseconds (sleeps on a real DirectInput)", 1, 1, wait,
     check_wait},
    {"repeat", "N", "runs the lines up to the matching 'end' N times", 1, 1, nullptr, check_repeat},
    {"while", "NAME OP NUMBER | NAME OP raw INTEGER",
     "runs the lines up to the matching 'end' while the condition holds (OP: == != < <= > >=), at most --max-time", 3,
     4, nullptr, check_condition},
    {"if", "NAME OP NUMBER | NAME OP raw INTEGER",
     "runs the lines up to 'else' or 'end' when the condition holds, else those after 'else'", 3, 4, nullptr,
     check_condition},
    {"else", "", "begins the lines an 'if' runs when its condition does not hold", 0, 0, nullptr, nullptr},
    {"end", "", "ends a repeat, while or if block", 0, 0, nullptr, nullptr},
    {"joystick", "attach|state|move|unplug|plug ...",
     "drives the simulated joysticks, or on Wine's own DirectInput the virtual ones (see docs/scripting.md)", 1, kAny,
     joystick, check_joystick},
};

}  // namespace

const std::vector<Command>& commands() { return kCommands; }

std::uint32_t repeat_count(const Words& words) { return parse_count(words[1], kMaxRepeat); }

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
