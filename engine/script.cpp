#include "script.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iomanip>
#include <istream>
#include <map>
#include <ostream>
#include <sstream>
#include <vector>

#include "host_engine.h"
#include "library.h"
#include "sim_client.h"

namespace tamrilo::engine {
namespace {

// Splits a line into words; "quoted text" is one word.
std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        if (std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
        } else if (line[i] == '"') {
            const std::size_t end = line.find('"', i + 1);
            if (end == std::string::npos) throw ScriptError("unterminated quotation");
            words.push_back(line.substr(i + 1, end - i - 1));
            i = end + 1;
        } else {
            std::size_t end = i;
            while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end]))) ++end;
            words.push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return words;
}

long long parse_integer(const std::string& word) {
    long long value = 0;
    const char* first = word.data();
    const char* last = word.data() + word.size();
    int base = 10;
    bool negative = false;
    if (first != last && *first == '-') {
        negative = true;
        ++first;
    }
    if (last - first > 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X')) {
        first += 2;
        base = 16;
    }
    auto [ptr, ec] = std::from_chars(first, last, value, base);
    if (ec != std::errc() || ptr != last || first == last) throw ScriptError("bad number '" + word + "'");
    return negative ? -value : value;
}

std::int32_t parse_int32(const std::string& word) {
    const long long v = parse_integer(word);
    if (v < INT32_MIN || v > 0xFFFFFFFFLL) throw ScriptError("number out of range '" + word + "'");
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}

double parse_number(const std::string& word) {
    char* end = nullptr;
    const double v = std::strtod(word.c_str(), &end);
    if (word.empty() || end != word.c_str() + word.size()) throw ScriptError("bad number '" + word + "'");
    if (v * 1024.0 > 2147483647.0 || v * 1024.0 < -2147483648.0) throw ScriptError("number out of range '" + word + "'");
    return v;
}

class Runner {
public:
    Runner(const std::string& library_path, std::ostream& out, std::ostream& err)
        : library_(library_path), out_(out), err_(err) {
        sim_.load();
        library_.bind(engine_);
    }

    void run_line(const std::vector<std::string>& w, int line, const std::string& file) {
        const std::string& command = w[0];
        auto need = [&](std::size_t n, const char* usage) {
            if (w.size() != n) throw ScriptError(std::string("usage: ") + usage);
        };
        if (command == "var") {
            if (w.size() != 2 && w.size() != 3) throw ScriptError("usage: var NAME [TYPE-CODE]");
            engine_.declare(w[1], w.size() == 3 ? parse_int32(w[2]) : 0);
        } else if (command == "set") {
            need(3, "set NAME NUMBER");
            engine_.set(w[1], to_fixed(parse_number(w[2])));
        } else if (command == "raw") {
            need(3, "raw NAME INTEGER");
            engine_.set(w[1], parse_int32(w[2]));
        } else if (command == "call") {
            need(2, "call EXPORT");
            call(w[1]);
        } else if (command == "name") {
            need(2, "name EXPORT");
            if (!library_.has(w[1])) throw ScriptError("unknown export '" + w[1] + "'");
            HostString string;
            HostString* result = library_.call_with_string(w[1], &string);
            const char* chars = string.characters();
            out_ << w[1] << ": \"" << (chars ? chars : "") << "\" (length " << string.length() << ")"
                 << (result ? "" : ", no joystick selected") << "\n";
        } else if (command == "print") {
            if (w.size() < 2) throw ScriptError("usage: print NAME...");
            for (std::size_t i = 1; i < w.size(); ++i) print(w[i]);
        } else if (command == "expect") {
            need(3, "expect NAME INTEGER");
            const std::int32_t want = parse_int32(w[2]);
            const std::int32_t got = value(w[1]);
            if (got != want) {
                err_ << file << ":" << line << ": expected " << w[1] << " = " << want << ", got " << got << "\n";
                ++result_.failed_expectations;
            }
        } else if (command == "wait") {
            need(2, "wait MS");
            const long long ms = parse_integer(w[1]);
            // A day at most: a negative or absurd wait is a typing error, not a time to simulate.
            if (ms < 0 || ms > 86400000) throw ScriptError("wait takes 0 to 86400000 ms");
            if (!sim_.available()) throw ScriptError("the loaded DirectInput is not the simulated one");
            sim_.sim_advance_clock(static_cast<unsigned long long>(ms) * 1000ULL);
        } else if (command == "joystick") {
            joystick(w);
        } else {
            throw ScriptError("unknown command '" + command + "'");
        }
    }

    ScriptResult result() const { return result_; }

private:
    void call(const std::string& name) {
        if (!library_.has(name)) throw ScriptError("unknown export '" + name + "'");
        const int effects_before = sim_.available() ? sim_.sim_effect_count() : 0;
        library_.call(name);
        result_.effect_labels.note_created(name, effects_before, sim_);
    }

    std::int32_t value(const std::string& name) const {
        if (!engine_.has(name) || engine_.storage(name) == nullptr) throw ScriptError("unknown variable '" + name + "'");
        return engine_.get(name);
    }

    void print(const std::string& name) {
        const std::int32_t raw = value(name);
        out_ << name << " = " << std::setprecision(10) << from_fixed(raw) << " (raw " << raw << ")\n";
    }

    // joystick attach "NAME" [ff] [axes N] [buttons N] [povs N]
    // joystick state DEVICE X Y Z RZ POV [BUTTON...]   (buttons: numbers 1..32 held down)
    // joystick move DEVICE X Y Z RZ MS                    (a straight move, arriving MS ms later)
    // joystick unplug DEVICE | joystick plug DEVICE
    void joystick(const std::vector<std::string>& w) {
        if (!sim_.available()) throw ScriptError("the loaded DirectInput is not the simulated one");
        if (w.size() < 2) throw ScriptError("usage: joystick attach|state|move|unplug|plug ...");
        if (w[1] == "attach") {
            if (w.size() < 3) throw ScriptError("usage: joystick attach \"NAME\" [ff] [axes N] [buttons N] [povs N]");
            sim_joystick j{};
            std::strncpy(j.product_name, w[2].c_str(), sizeof j.product_name - 1);
            std::strncpy(j.instance_name, w[2].c_str(), sizeof j.instance_name - 1);
            j.axes = 4;
            j.buttons = 16;
            j.povs = 1;
            for (std::size_t i = 3; i < w.size(); ++i) {
                if (w[i] == "ff") {
                    j.force_feedback = 1;
                } else if ((w[i] == "axes" || w[i] == "buttons" || w[i] == "povs") && i + 1 < w.size()) {
                    const auto n = static_cast<DWORD>(parse_int32(w[i + 1]));
                    (w[i] == "axes" ? j.axes : w[i] == "buttons" ? j.buttons : j.povs) = n;
                    ++i;
                } else {
                    throw ScriptError("unknown joystick attribute '" + w[i] + "'");
                }
            }
            out_ << "joystick " << sim_.sim_attach(&j) << " attached: \"" << w[2] << "\"\n";
        } else if (w[1] == "state") {
            if (w.size() < 8) throw ScriptError("usage: joystick state DEVICE X Y Z RZ POV [BUTTON...]");
            DIJOYSTATE s{};
            s.lX = parse_int32(w[3]);
            s.lY = parse_int32(w[4]);
            s.lZ = parse_int32(w[5]);
            s.lRz = parse_int32(w[6]);
            s.rgdwPOV[0] = static_cast<DWORD>(parse_int32(w[7]));
            for (int i = 1; i < 4; ++i) s.rgdwPOV[i] = 0xFFFFFFFFu;
            for (std::size_t i = 8; i < w.size(); ++i) {
                const std::int32_t b = parse_int32(w[i]);
                if (b < 1 || b > 32) throw ScriptError("button numbers run from 1 to 32");
                s.rgbButtons[b - 1] = 0x80;
            }
            sim_.sim_set_state(parse_int32(w[2]), &s);
        } else if (w[1] == "move") {
            if (w.size() != 8) throw ScriptError("usage: joystick move DEVICE X Y Z RZ MS");
            DIJOYSTATE target{};
            target.lX = parse_int32(w[3]);
            target.lY = parse_int32(w[4]);
            target.lZ = parse_int32(w[5]);
            target.lRz = parse_int32(w[6]);
            const long long ms = parse_integer(w[7]);
            if (ms < 0) throw ScriptError("a move cannot take negative time");
            sim_.sim_move_stick(parse_int32(w[2]), &target, static_cast<unsigned long long>(ms) * 1000ULL);
        } else if (w[1] == "unplug" || w[1] == "plug") {
            if (w.size() != 3) throw ScriptError("usage: joystick unplug|plug DEVICE");
            sim_.sim_set_attached(parse_int32(w[2]), w[1] == "plug");
        } else {
            throw ScriptError("unknown joystick command '" + w[1] + "'");
        }
    }

    HostEngine engine_;
    Library library_;
    SimClient sim_;
    std::ostream& out_;
    std::ostream& err_;
    ScriptResult result_;
};

}  // namespace

ScriptResult run_script(std::istream& in, const std::string& file_name, const std::string& library_path,
                        std::ostream& out, std::ostream& err) {
    Runner runner(library_path, out, err);
    std::string text;
    int line = 0;
    while (std::getline(in, text)) {
        ++line;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        try {
            const auto words = split(text);
            if (words.empty() || words[0][0] == '#') continue;
            runner.run_line(words, line, file_name);
        } catch (const ScriptError& e) {
            throw ScriptError(file_name + ":" + std::to_string(line) + ": " + e.what());
        }
    }
    return runner.result();
}

}  // namespace tamrilo::engine
