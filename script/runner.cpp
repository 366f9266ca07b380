#include "script/runner.h"

#include <chrono>
#include <thread>

#include "calltrace/decoder.h"
#include "script/spelling.h"
#include "script/vocabulary.h"

namespace tamrilo::script {

Runner::Runner(const std::string& library_path, const std::string& script_file, const ScriptOptions& script_options,
               std::ostream& output, std::ostream& errors)
    : file(script_file), options(script_options), out(output), err(errors), library(library_path) {
    sim.load();
    library.bind(engine);
}

Runner::~Runner() = default;

JoystickBackend& Runner::joysticks() {
    if (!joysticks_) joysticks_ = tamrilo::joysticks::make_joystick_backend(sim);
    if (!joysticks_) {
        throw ScriptError("the loaded DirectInput is not the simulated one and no virtual joystick is installed");
    }
    return *joysticks_;
}

std::int32_t Runner::value(const std::string& name) const {
    if (!engine.has(name) || engine.storage(name) == nullptr) {
        std::vector<std::string> known = engine.names();
        const auto library_names = library_variable_names();
        known.insert(known.end(), library_names.begin(), library_names.end());
        throw ScriptError("unknown variable '" + name + "'" + did_you_mean(name, known));
    }
    return engine.get(name);
}

void Runner::call_export(const std::string& name) {
    if (!library.has(name)) throw ScriptError("unknown export '" + name + "'" + did_you_mean(name, export_names()));
    if (name == "A5_DLLAPI") {
        throw ScriptError(
            "A5_DLLAPI takes the engine record; tamrilo-host binds the library before the first line runs");
    }
    if (takes_argument(name)) throw ScriptError(name + " takes a host string; use 'name " + name + "'");
    const int effects_before = before_export();
    library.call(name);
    result.effect_labels.note_created(name, effects_before, sim);
    after_export(name);
}

void Runner::call_name_export(const std::string& name) {
    if (!library.has(name)) throw ScriptError("unknown export '" + name + "'" + did_you_mean(name, export_names()));
    if (!takes_argument(name) || name == "A5_DLLAPI") {
        throw ScriptError("'name' calls Get_Joystick_Name_1 or Get_Joystick_Name_2; use 'call " + name + "'");
    }
    before_export();
    engine::HostString string;
    engine::HostString* filled = library.call_with_string(name, &string);
    after_export(name);
    const char* chars = string.characters();
    out << name << ": \"" << (chars ? chars : "") << "\" (length " << string.length() << ")"
        << (filled ? "" : ", no joystick selected") << "\n";
}

int Runner::before_export() {
    // Only what this one call did is kept: a long script must not grow the lookup list or the
    // simulator's log without bound.
    engine.clear_lookups();
    if (!sim.available()) return 0;
    sim.sim_clear_log();
    return sim.sim_effect_count();
}

void Runner::after_export(const std::string& export_name) {
    ++result.export_calls;
    for (const auto& looked_up : engine.lookups()) {
        if (engine.has(looked_up)) continue;
        ++result.undeclared_lookups;
        const std::string family = family_of(looked_up);
        err << where() << export_name << " looked up '" << looked_up
            << "', which the script has not declared; the export stopped there (declare it: var " << looked_up
            << (family.empty() ? "" : ", or declare " + family) << ")\n";
    }
    if (options.trace) trace(export_name);
    engine.clear_lookups();
    if (sim.available()) sim.sim_clear_log();
}

void Runner::wait(std::uint32_t milliseconds) {
    if (sim.available()) {
        sim.sim_advance_clock(static_cast<unsigned long long>(milliseconds) * 1000u);
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

void Runner::trace(const std::string& export_name) {
    out << "  " << export_name << " looked up:";
    if (engine.lookups().empty()) out << " nothing";
    for (const auto& name : engine.lookups()) out << " " << name << (engine.has(name) ? "" : " (undeclared)");
    out << "\n";
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
