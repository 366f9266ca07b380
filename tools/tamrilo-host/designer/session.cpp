#include "tools/tamrilo-host/designer/session.h"

#include <algorithm>
#include <ostream>

#include "script/commands.h"
#include "script/reader.h"
#include "script/status_meanings.h"
#include "script/vocabulary.h"

namespace tamrilo::designer {
namespace {

script::ScriptOptions traced() {
    script::ScriptOptions options;
    options.trace = true;
    return options;
}

// Real time between two readings that the simulated clock takes at most: a page that was away
// for a while does not make the simulator compute minutes of history.
constexpr long long kLongestStepUs = 1000000;
constexpr int kDevice = 0;

}  // namespace

Session::Session(const std::string& library_path, std::ostream& console)
    : console_(console), runner_(library_path, "designer", traced(), transcript_, transcript_) {
    run("declare all");
    if (simulated()) run("joystick attach \"Designer stick\" ff");
    for (const char* name : {"Get_Versionsnummer", "InitDirectInput", "InitJoystick_1"})
        run("call " + std::string(name));
    selected_ = runner_.engine.get("OV_info_2") == 1;
    show_transcript();
    clock_synced_ = std::chrono::steady_clock::now();
}

Session::~Session() { stop_all(); }

void Session::run(const std::string& line) {
    transcript_ << line << "\n";
    const script::Words words = script::split_words(line);
    script::command_of(words).run(runner_, words);
}

void Session::show_transcript() {
    console_ << transcript_.str() << std::flush;
    transcript_.str("");
}

std::vector<std::string> Session::call(const Effect& effect, const Values& values, const std::string& export_name) {
    const auto lines = script_lines(effect, values, export_name);
    for (const auto& line : lines) run(line);
    last_export_ = export_name;
    show_transcript();
    return lines;
}

std::vector<Status> Session::status() const {
    std::vector<Status> out;
    for (const auto& name : script::family_variables("status")) {
        const std::int32_t code = runner_.engine.get(name);
        const script::StatusMeaning* row = script::status_meaning(last_export_, name, code);
        out.push_back({name, code, row ? script::meaning_text(*row) : ""});
    }
    return out;
}

StickReading Session::read_stick() {
    if (simulated()) {
        const auto now = std::chrono::steady_clock::now();
        const long long us = std::chrono::duration_cast<std::chrono::microseconds>(now - clock_synced_).count();
        clock_synced_ = now;
        runner_.sim.sim_advance_clock(static_cast<unsigned long long>(std::clamp(us, 0LL, kLongestStepUs)));
    }
    run("call Get_Joystick_State");
    transcript_.str("");  // read ten times a second: not worth the console
    StickReading r;
    r.selected = selected_;
    r.x = engine::from_fixed(runner_.engine.get("JOY_X_A"));
    r.y = engine::from_fixed(runner_.engine.get("JOY_Y_A"));
    for (int b = 1; b <= 16; ++b) {
        if (runner_.engine.get("BUTTON_" + std::to_string(b)) == engine::to_fixed(1)) r.buttons_held.push_back(b);
    }
    if (simulated()) {
        sim_force_sample sample{};
        if (runner_.sim.sim_force_at(kDevice, static_cast<long long>(runner_.sim.sim_clock()), &sample)) {
            r.force_known = true;
            r.force_x = sample.force[DIJOFS_X / 4];
            r.force_y = sample.force[DIJOFS_Y / 4];
        }
    }
    return r;
}

void Session::place_stick(long x, long y) {
    if (!simulated()) throw DesignError("only the simulated stick can be moved from the page");
    run("joystick state " + std::to_string(kDevice) + " " + std::to_string(x) + " " + std::to_string(y) + " 0 0 -1");
    transcript_.str("");
}

void Session::stop_all() {
    for (const Effect& e : effects()) run("call " + e.stop);
    last_export_.clear();
    show_transcript();
}

}  // namespace tamrilo::designer
