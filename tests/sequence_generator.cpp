#include "sequence_generator.h"

#include <cstring>
#include <sstream>

#include "harness.h"
#include "host_engine.h"
#include "library.h"

namespace tamrilo::test {
namespace {

constexpr std::int32_t kInteresting[] = {0,      1,       -1,      1023,   -1023,     1024,     -1024,
                                         10000,  -10000,  102400,  -102400, 219916,  -219916, INT32_MIN,
                                         INT32_MAX, 1536, 1434,    1638};

// MinGW's header gives some of these as unsigned constants.
constexpr HRESULT kFaults[] = {
    static_cast<HRESULT>(DIERR_INPUTLOST),    static_cast<HRESULT>(DIERR_GENERIC),
    static_cast<HRESULT>(DIERR_NOTACQUIRED),  static_cast<HRESULT>(DIERR_INVALIDPARAM),
    static_cast<HRESULT>(DIERR_UNPLUGGED),    static_cast<HRESULT>(DIERR_NOTEXCLUSIVEACQUIRED),
    static_cast<HRESULT>(E_NOINTERFACE),      static_cast<HRESULT>(S_FALSE),
    static_cast<HRESULT>(DI_DOWNLOADSKIPPED), static_cast<HRESULT>(DIERR_UNSUPPORTED)};

// Exports that open a context or select a joystick, drawn more often so that sequences get past
// the guards.
const char* const kOpeners[] = {"Get_Versionsnummer", "InitDirectInput", "InitJoystick_1", "InitJoystick_2"};

std::int32_t draw_value(Draw& draw) {
    if (draw.below(4) == 0) return static_cast<std::int32_t>(draw.any());
    return kInteresting[draw.below(std::size(kInteresting))];
}

}  // namespace

std::uint32_t Draw::below(std::uint32_t n) {
    if (n <= 1) return 0;
    return any() % n;
}

std::uint32_t Draw::any() {
    if (!from_bytes_) return random_();
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        v = (v << 8) | (size_ > 0 ? *data_ : 0);
        if (size_ > 0) {
            ++data_;
            --size_;
        }
    }
    return v;
}

Sequence generate_sequence(Draw& draw, std::size_t max_steps) {
    Sequence s;
    const std::uint32_t joysticks = draw.below(4);
    for (std::uint32_t i = 0; i < joysticks; ++i) {
        sim_joystick j{};
        std::snprintf(j.product_name, sizeof j.product_name, "Random Stick %u with a product name long enough to be cut", i);
        j.force_feedback = draw.below(4) != 0;
        j.axes = draw.below(7);
        j.buttons = draw.below(40);
        j.povs = draw.below(5);
        j.refuse_create_device = draw.below(8) == 0;
        j.refuse_device2 = draw.below(8) == 0;
        s.joysticks.push_back(j);
    }
    const auto& exports = all_export_names();
    const auto& variables = all_variable_names();
    // Most sequences open a context and select a joystick first, so that they get past the
    // guards into the devices and effects.
    if (draw.below(4) != 0) {
        for (const char* opener : {"Get_Versionsnummer", "InitDirectInput", draw.below(2) ? "InitJoystick_1" : "InitJoystick_2"}) {
            Step step;
            step.name = opener;
            s.steps.push_back(step);
        }
    }
    const std::size_t steps = 1 + draw.below(static_cast<std::uint32_t>(max_steps));
    for (std::size_t i = 0; i < steps; ++i) {
        Step step;
        const std::uint32_t kind = draw.below(100);
        if (kind < 45) {
            step.name = exports[1 + draw.below(static_cast<std::uint32_t>(exports.size() - 1))];  // A5_DLLAPI binds first, once
        } else if (kind < 60) {
            step.name = kOpeners[draw.below(std::size(kOpeners))];
        } else if (kind < 80) {
            step.kind = Step::kSet;
            step.name = variables[draw.below(static_cast<std::uint32_t>(variables.size()))];
            step.value = draw_value(draw);
        } else if (kind < 92) {
            step.kind = Step::kFault;
            step.op = static_cast<int>(draw.below(SIM_OP_COUNT));
            step.device = joysticks == 0 ? -1 : static_cast<int>(draw.below(joysticks + 1)) - 1;
            step.result = kFaults[draw.below(std::size(kFaults))];
            const int counts[] = {1, 2, 3, -1};
            step.count = counts[draw.below(4)];
        } else if (kind < 95 && joysticks > 0) {
            step.kind = Step::kPlug;
            step.device = static_cast<int>(draw.below(joysticks));
            step.value = static_cast<std::int32_t>(draw.below(2));
        } else if (kind < 98) {
            step.kind = Step::kMoveStorage;
            step.name = variables[draw.below(static_cast<std::uint32_t>(variables.size()))];
        } else {
            step.kind = Step::kUnstore;
            step.name = variables[draw.below(static_cast<std::uint32_t>(variables.size()))];
        }
        s.steps.push_back(step);
    }
    return s;
}

Outcome run_sequence(const Sequence& sequence, engine::SimClient& sim) {
    Outcome outcome;
    sim.sim_reset();
    for (const auto& j : sequence.joysticks) sim.sim_attach(&j);
    {
        engine::HostEngine host;
        for (const auto& name : all_variable_names()) host.declare(name);
        engine::Library library(engine::default_library_path());
        if (library.bind(host) != 511) outcome.violations.push_back("A5_DLLAPI did not return 511");

        auto call = [&](const std::string& name) {
            if (is_name_export(name)) {
                engine::HostString string;
                engine::HostString* result = library.call_with_string(name, &string);
                if (result != nullptr && result != &string) outcome.violations.push_back(name + " returned a foreign pointer");
            } else if (const std::int32_t result = library.call(name); result != 0) {
                outcome.violations.push_back(name + " returned " + std::to_string(result));
            }
        };

        for (const auto& step : sequence.steps) {
            switch (step.kind) {
                case Step::kCall: call(step.name); break;
                case Step::kSet: host.set(step.name, step.value); break;
                case Step::kUnstore: host.declare_without_storage(step.name); break;
                case Step::kMoveStorage:
                    if (host.storage(step.name) != nullptr) host.move_storage(step.name);
                    break;
                case Step::kFault: sim.sim_fail(step.op, step.device, step.result, step.count); break;
                case Step::kPlug: sim.sim_set_attached(step.device, step.value); break;
            }
        }

        for (const auto& name : all_variable_names()) {
            outcome.variables.push_back(host.storage(name) != nullptr ? host.get(name) : INT32_MIN + 1);
        }
        const int n = sim.sim_call_count();
        for (int i = 0; i < n; ++i) {
            sim_call c{};
            sim.sim_get_call(i, &c);
            std::ostringstream line;
            line << c.op << ' ' << c.object << ' ' << c.kind << ' ' << c.device << ' ' << c.effect << ' ' << c.result << ' '
                 << c.on_released << ' ' << c.outer_null;
            for (DWORD a : c.a) line << ' ' << a;
            const auto* p = reinterpret_cast<const unsigned char*>(&c.params);
            for (std::size_t k = 0; k < sizeof c.params; ++k) line << ' ' << int(p[k]);
            outcome.log.push_back(line.str());
        }
        if (sim.sim_released_object_calls() != 0) outcome.violations.push_back("a call reached a released object");

        // Closing: a healthy joystick alone, a fresh context and selection, then everything freed.
        sim.sim_clear_faults();
        for (std::size_t d = 0; d < sequence.joysticks.size(); ++d) sim.sim_set_attached(static_cast<int>(d), 0);
        sim_joystick healthy{};
        std::strcpy(healthy.product_name, "Closing Stick");
        healthy.force_feedback = 1;
        healthy.axes = 4;
        healthy.buttons = 16;
        healthy.povs = 1;
        sim.sim_attach(&healthy);
        for (const auto& name : all_variable_names()) host.declare(name);
        call("Get_Versionsnummer");
        call("InitDirectInput");
        call("InitJoystick_1");
        if (host.get("OV_info_2") != 1) outcome.violations.push_back("closing selection failed");
        call("FreeDirectInput");
        if (const int live = sim.sim_live_objects(SIM_OBJECT_NONE); live != 0) {
            outcome.violations.push_back(std::to_string(live) + " DirectInput objects left alive");
        }
        if (sim.sim_released_object_calls() != 0) outcome.violations.push_back("a closing call reached a released object");
    }
    return outcome;
}

std::string describe(const Sequence& sequence) {
    std::ostringstream out;
    for (const auto& j : sequence.joysticks) {
        out << "joystick ff=" << j.force_feedback << " axes=" << j.axes << " buttons=" << j.buttons << " povs=" << j.povs
            << " refuse_create_device=" << j.refuse_create_device << " refuse_device2=" << j.refuse_device2 << "\n";
    }
    for (const auto& s : sequence.steps) {
        switch (s.kind) {
            case Step::kCall: out << "call " << s.name; break;
            case Step::kSet: out << "raw " << s.name << ' ' << s.value; break;
            case Step::kUnstore: out << "unstore " << s.name; break;
            case Step::kMoveStorage: out << "move " << s.name; break;
            case Step::kFault:
                out << "fault op=" << s.op << " device=" << s.device << " result=0x" << std::hex
                    << static_cast<std::uint32_t>(s.result) << std::dec << " count=" << s.count;
                break;
            case Step::kPlug: out << (s.value ? "plug " : "unplug ") << s.device; break;
        }
        out << "\n";
    }
    return out.str();
}

}  // namespace tamrilo::test
