#include "script/runner.h"

#include <algorithm>
#include <chrono>
#include <iomanip>
#include <sstream>
#include <thread>

#include "calltrace/decoder.h"
#include "script/spelling.h"
#include "script/status_meanings.h"
#include "script/vocabulary.h"

namespace tamrilo::script {

std::string shown_value(const std::string& name, std::int32_t raw) {
    std::ostringstream s;
    if (is_status_name(name)) {
        s << raw;
    } else {
        s << std::setprecision(10) << engine::from_fixed(raw);
    }
    return s.str();
}

Runner::Runner(const std::string& library_path, const std::string& script_file, const ScriptOptions& script_options,
               std::ostream& output, std::ostream& errors)
    : file(script_file), options(script_options), out(output), err(errors), library(library_path) {
    sim.load();
    library.bind(engine);
    // The simulated DirectInput needs no window; a real one may refuse the joystick without.
    if (!sim.available() && !options.no_window_reason.empty()) {
        err << "tamrilo-host: warning: " << options.no_window_reason << "\n";
    }
}

Runner::~Runner() = default;

void Runner::finish() {
    if (joysticks_) result.device_recording = joysticks_->device_recording();
}

JoystickBackend& Runner::joysticks() {
    if (!joysticks_) joysticks_ = tamrilo::joysticks::make_joystick_backend(sim);
    if (!joysticks_) {
        throw ScriptError("the loaded DirectInput is not the simulated one and no virtual joystick is installed");
    }
    return *joysticks_;
}

std::int32_t Runner::value(const std::string& name) const {
    if (!engine.has(name) || engine.storage(name) == nullptr)
        throw ScriptError(undeclared_variable(name, engine.names()));
    return engine.get(name);
}

std::string Runner::meaning(const std::string& variable, std::int32_t code) const {
    const StatusMeaning* row = status_meaning(last_export_, variable, code);
    if (row == nullptr) return "";
    return last_export_ + " left " + variable + " " + std::to_string(code) + ": " + meaning_text(*row);
}

void Runner::check_time() const {
    const auto elapsed = std::chrono::steady_clock::now() - started_;
    const auto ms =
        static_cast<unsigned long long>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
    if (std::max(ms, waited_ms_) > options.max_time_seconds * 1000ull) {
        throw ScriptError("the loop still runs after --max-time " + std::to_string(options.max_time_seconds) +
                          " s of script time");
    }
}

void Runner::call_export(const std::string& name) {
    if (!library.has(name)) throw ScriptError("the library has no export '" + name + "'");
    const int effects_before = before_export();
    library.call(name);
    result.effect_labels.note_created(name, effects_before, sim);
    if (joysticks_) joysticks_->exported(name);
    after_export(name);
    if (engine.lookups().empty()) {
        if (const char* step = missing_step_without_lookups(name))
            err << where() << name << " did nothing: " << step << "\n";
    }
    for (const auto& variable : family_variables("status")) {
        if (!engine.has(variable) || engine.storage(variable) == nullptr) continue;
        const StatusMeaning* row = status_meaning(name, variable, engine.get(variable));
        if (row != nullptr && row->missing_step != nullptr)
            err << where() << meaning(variable, engine.get(variable)) << "\n";
    }
    engine.clear_lookups();
}

void Runner::call_name_export(const std::string& name) {
    if (!library.has(name)) throw ScriptError("the library has no export '" + name + "'");
    before_export();
    engine::HostString string;
    engine::HostString* filled = library.call_with_string(name, &string);
    if (joysticks_) joysticks_->exported(name);
    after_export(name);
    engine.clear_lookups();
    const char* chars = string.characters();
    out << name << ": \"" << (chars ? chars : "") << "\" (length " << string.length() << ")"
        << (filled ? "" : ", no joystick selected") << "\n";
    if (chars == nullptr)
        err << where() << name << " did nothing: no DirectInput object: " << missing_directinput() << "\n";
}

int Runner::before_export() {
    // Only what this one call did is kept: a long script must not grow the lookup list or the
    // simulator's log without bound.
    engine.clear_lookups();
    if (options.trace) {
        before_.clear();
        for (const auto& name : engine.names()) {
            if (engine.storage(name) != nullptr) before_.emplace_back(name, engine.get(name));
        }
    }
    if (!sim.available()) return 0;
    sim.sim_clear_log();
    return sim.sim_effect_count();
}

void Runner::after_export(const std::string& export_name) {
    ++result.export_calls;
    last_export_ = export_name;
    for (const auto& looked_up : engine.lookups()) {
        if (engine.has(looked_up)) continue;
        ++result.undeclared_lookups;
        const std::string family = family_of(looked_up);
        err << where() << export_name << " looked up '" << looked_up
            << "', which the script has not declared; the export stopped there (declare it: var " << looked_up
            << (family.empty() ? "" : ", or declare " + family) << ")\n";
    }
    if (options.trace) trace(export_name);
    if (sim.available()) sim.sim_clear_log();
}

void Runner::wait(std::uint32_t milliseconds) {
    waited_ms_ += milliseconds;
    if (sim.available()) {
        sim.sim_advance_clock(static_cast<unsigned long long>(milliseconds) * 1000u);
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

// Each lookup with the value it found, and the new value when the export wrote one.
void Runner::trace(const std::string& export_name) {
    out << "  line " << line << ": " << export_name << " looked up:";
    if (engine.lookups().empty()) out << " nothing";
    for (const auto& name : engine.lookups()) {
        out << " " << name;
        const auto found = std::find_if(before_.begin(), before_.end(), [&](const auto& v) { return v.first == name; });
        if (found == before_.end()) {
            out << " (undeclared)";
            continue;
        }
        out << " = " << shown_value(name, found->second);
        const std::int32_t now = engine.get(name);
        if (now != found->second) out << " -> " << shown_value(name, now);
    }
    out << "\n";
    for (const auto& variable : family_variables("status")) {
        if (!engine.has(variable) || engine.storage(variable) == nullptr) continue;
        const std::string text = meaning(variable, engine.get(variable));
        if (!text.empty()) out << "  " << text << "\n";
    }
    if (!sim.available()) {
        out << "  (the DirectInput calls are known only with the simulated DirectInput)\n";
        return;
    }
    const int calls = sim.sim_call_count();
    for (int i = 0; i < calls; ++i) {
        sim_call c{};
        if (sim.sim_get_call(i, &c)) out << "  -> " << calltrace::describe_call(c) << "\n";
    }
}

}  // namespace tamrilo::script
