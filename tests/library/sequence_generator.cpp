#include "library/sequence_generator.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <sstream>
#include <utility>

#include "engine/host_engine.h"
#include "engine/library.h"
#include "harness.h"

namespace tamrilo::test {
namespace {

constexpr std::int32_t kInteresting[] = {0,      1,       -1,     1023,    -1023,     1024,      -1024, 10000, -10000,
                                         102400, -102400, 219916, -219916, INT32_MIN, INT32_MAX, 1536,  1434,  1638};

// Joystick readings across and beyond DirectInput's ranges: axis positions around the centre,
// at full deflection and where the stored value leaves 32 bits; hat angles centred (all bits
// set), on the compass points, at the last angle and beyond; button bytes with and without the
// pressed bit.
constexpr LONG kAxisPositions[] = {0,      1,       -1,     5000,    -5000,   10000,     -10000,   4883,
                                   214748, -214748, 214749, -214749, 2000000, INT32_MAX, INT32_MIN};
constexpr DWORD kHatAngles[] = {0xFFFFFFFF, 0, 9000, 18000, 27000, 35999, 36000, 359999, 360000, 0xFFFF, 0x7FFFFFFF};
constexpr BYTE kButtonBytes[] = {0x00, 0x80, 0x7F, 0xFF, 0x01, 0x81};
// Device-side dead zone and saturation, as a driver may report them: in range, at its ends and
// beyond.
constexpr DWORD kZoneValues[] = {0, 1, 5000, 9999, 10000, 10001, 20000, 0x7FFFFFFF, 0xFFFFFFFF};
// Host objects keep their value in word 0, or in word 1 for type codes 3 and 9.
constexpr int kTypeCodes[] = {0, 1, 2, 3, 9};

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

// What a host that runs script code while it answers a lookup may call back in with: exports
// that release or replace the context, the joystick and the effect objects an export in progress
// has tested.
const char* const kReentries[] = {"FreeDirectInput", "InitDirectInput", "InitJoystick_1", "InitJoystick_2"};

// The exports whose calls each DirectInput operation answers, so that a fault can be met at once
// by a call it answers: most faults injected at random would otherwise wait for a call that never
// comes. The other effect operations are met by a burst of one effect's exports; AddRef and the
// methods the library does not use by none.
struct Meeting {
    int op;
    std::vector<const char*> exports;  // empty: an effect burst
};
const Meeting kMeetings[] = {
    {SIM_OP_CREATE, {"InitDirectInput"}},
    {SIM_OP_ENUM_DEVICES, {"InitJoystick_1", "InitJoystick_2", "Get_Joystick_Name_1", "Get_Joystick_Name_2"}},
    {SIM_OP_CREATE_DEVICE, {"InitJoystick_1", "InitJoystick_2"}},
    {SIM_OP_QUERY_INTERFACE, {"InitJoystick_1", "InitJoystick_2"}},
    {SIM_OP_RELEASE, {"InitDirectInput", "FreeDirectInput", "InitJoystick_1", "InitJoystick_2"}},
    {SIM_OP_SET_DATA_FORMAT, {"InitJoystick_1", "InitJoystick_2"}},
    {SIM_OP_SET_COOPERATIVE_LEVEL, {"InitJoystick_1", "InitJoystick_2"}},
    {SIM_OP_GET_PROPERTY, {"Get_Dead_Zone_X", "Get_Dead_Zone_Y", "Get_Saturation_Zone_X", "Get_Saturation_Zone_Y"}},
    {SIM_OP_SET_PROPERTY,
     {"InitJoystick_1", "InitJoystick_2", "Set_Dead_Zone_X", "Set_Dead_Zone_Y", "Set_Saturation_Zone_X",
      "Set_Saturation_Zone_Y"}},
    {SIM_OP_ACQUIRE, {"InitJoystick_1", "InitJoystick_2", "Get_Joystick_State"}},
    {SIM_OP_UNACQUIRE, {"InitDirectInput", "FreeDirectInput", "InitJoystick_1", "InitJoystick_2"}},
    {SIM_OP_GET_DEVICE_STATE, {"Get_Joystick_State"}},
    {SIM_OP_POLL, {"Get_Joystick_State"}},
    {SIM_OP_GET_CAPABILITIES, {"Show_Capabilities"}},
    {SIM_OP_CREATE_EFFECT, {}},
    {SIM_OP_SET_PARAMETERS, {}},
    {SIM_OP_START, {"Define_Placement", "Define_Friction", "Define_Damp"}},  // the condition effects start so
    {SIM_OP_STOP, {}},
    {SIM_OP_UNLOAD, {}},
};

// Every effect: its Define, the export that sends new values (Change or Play), and its Stop.
struct EffectExports {
    std::string define, change, stop;
};

const std::vector<EffectExports>& effect_exports() {
    static const std::vector<EffectExports> all = [] {
        std::vector<EffectExports> v;
        for (const char* family : {"Const_Forces", "Placement", "Friction", "Damp"}) {
            v.push_back(
                {std::string("Define_") + family, std::string("Change_") + family, std::string("Stop_") + family});
        }
        for (const char* word : {"Sine", "Triangle", "Periodic_Cresc", "Periodic_Decresc", "Quadrat"}) {
            for (int n = 1; n <= 5; ++n) {
                const std::string suffix = std::string(word) + "_" + std::to_string(n);
                v.push_back({"Define_" + suffix, "Play_" + suffix, "Stop_" + suffix});
            }
        }
        return v;
    }();
    return all;
}

std::int32_t draw_value(Draw& draw) {
    if (draw.below(4) == 0) return static_cast<std::int32_t>(draw.any());
    return kInteresting[draw.below(std::size(kInteresting))];
}

template <class T, std::size_t N>
T pick(Draw& draw, const T (&values)[N]) {
    return values[draw.below(N)];
}

DIJOYSTATE draw_state(Draw& draw) {
    DIJOYSTATE state{};
    for (LONG* axis : {&state.lX, &state.lY, &state.lZ, &state.lRz}) {
        *axis = draw.below(5) == 0 ? static_cast<LONG>(draw.any()) : pick(draw, kAxisPositions);
    }
    state.rgdwPOV[0] = draw.below(5) == 0 ? draw.any() : pick(draw, kHatAngles);
    for (BYTE& button : state.rgbButtons) button = pick(draw, kButtonBytes);
    return state;
}

Step call_step(const std::string& name) {
    Step step;
    step.name = name;
    return step;
}

// Independent forms of the conversions into host variables, in exact integer arithmetic (the
// library's divisors 9.766, 97.65 and 976.5 as fractions), saturated to 32 bits.
std::int32_t saturated(std::int64_t v) {
    if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}
std::int32_t expected_axis(LONG position) { return saturated(std::int64_t{position} * 10000000 / 9766); }
std::int32_t expected_hat(DWORD angle) {
    return angle >= 360000 ? -1024 : saturated(std::int64_t{angle} * 100000 / 9765);
}
std::int32_t expected_count(DWORD count) { return saturated(std::int64_t{count} * 2000000 / 1953); }
std::int32_t expected_button(BYTE state) { return state >= 0x80 ? 1024 : 0; }
// Zones: the dead zone as it is, the saturation zone as 10000 less the saturation; percent
// times 1024 is hundredths of a percent times 100000 / 9765, and back.
std::int32_t expected_percent(bool saturation, DWORD device) {
    const std::int64_t zone = saturation ? 10000 - std::int64_t{device} : std::int64_t{device};
    return saturated(zone * 100000 / 9765);
}
DWORD expected_device(bool saturation, std::int32_t percent) {
    std::int64_t zone = std::int64_t{percent} * 9765 / 100000;
    if (saturation) zone = 10000 - zone;
    return static_cast<DWORD>(std::clamp<std::int64_t>(zone, 0, 10000));
}

// Checks the host variables an export converted values into against what DirectInput delivered
// during that call (`calls`).
class ConversionCheck {
public:
    ConversionCheck(const engine::HostEngine& host, engine::SimClient& sim, const Sequence& sequence,
                    std::vector<std::string>& violations)
        : host_(host), sim_(sim), sequence_(sequence), violations_(violations) {}

    bool readable(const std::string& variable) const {
        return host_.has(variable) && host_.storage(variable) != nullptr;
    }

    void check(const std::string& name, const std::vector<sim_call>& calls, std::int32_t zone_before) {
        name_ = name;
        if (name == "Get_Joystick_State") {
            state(calls);
        } else if (name == "Show_Capabilities") {
            capabilities(calls);
        } else if (name.find("_Zone_") != std::string::npos) {
            zone(calls, zone_before);
        }
    }

private:
    static const sim_call* last_of(const std::vector<sim_call>& calls, int op) {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
            if (it->op == op) return &*it;
        }
        return nullptr;
    }

    void expect(const std::string& variable, std::int32_t expected) {
        if (!readable(variable)) return;
        if (const std::int32_t got = host_.get(variable); got != expected) {
            violations_.push_back(name_ + " left " + variable + " = " + std::to_string(got) + ", expected " +
                                  std::to_string(expected));
        }
    }

    void state(const std::vector<sim_call>& calls) {
        const sim_call* read = last_of(calls, SIM_OP_GET_DEVICE_STATE);
        if (read == nullptr) return;
        if (read->result < 0) {
            expect("OV_error", 14);
            expect("JOY_X_A", 4078);
            return;
        }
        expect("OV_error", 97);
        DIJOYSTATE delivered{};
        // A success code from an injected fault delivers nothing: what is written then is not
        // DirectInput's reading.
        if (read->result != DI_OK || !sim_.sim_last_state(&delivered)) return;
        const LONG axes[] = {delivered.lX, delivered.lY, delivered.lZ, delivered.lRz};
        const char* const names[] = {"JOY_X_A", "JOY_Y_A", "JOY_RUD_A", "JOY_ROT_A"};
        for (int i = 0; i < 4; ++i) expect(names[i], expected_axis(axes[i]));
        expect("JOY_VIEW", expected_hat(delivered.rgdwPOV[0]));
        for (int b = 0; b < 16; ++b)
            expect("BUTTON_" + std::to_string(b + 1), expected_button(delivered.rgbButtons[b]));
    }

    void capabilities(const std::vector<sim_call>& calls) {
        const sim_call* read = last_of(calls, SIM_OP_GET_CAPABILITIES);
        if (read == nullptr) return;
        if (read->result < 0) {
            expect("OV_error", 13);
            return;
        }
        expect("OV_error", 14);
        if (read->result != DI_OK || read->device < 0 ||
            static_cast<std::size_t>(read->device) >= sequence_.joysticks.size()) {
            return;
        }
        const sim_joystick& j = sequence_.joysticks[static_cast<std::size_t>(read->device)];
        expect("NUMBER_OF_AXIS", expected_count(j.axes));
        expect("NUMBER_OF_VIEWS", expected_count(j.povs));
        expect("NUMBER_OF_BUTTONS", expected_count(j.buttons));
        expect("FORCEFEEDBACK_ENABLE", j.force_feedback ? 1024 : 0);
    }

    // Get_/Set_Dead_Zone_X … Set_Saturation_Zone_Y: the variable is the export's name without
    // its first four letters.
    void zone(const std::vector<sim_call>& calls, std::int32_t before) {
        const bool set = name_.rfind("Set_", 0) == 0;
        const bool saturation = name_.find("Saturation") != std::string::npos;
        const std::string variable = name_.substr(4);
        const sim_call* c = last_of(calls, set ? SIM_OP_SET_PROPERTY : SIM_OP_GET_PROPERTY);
        if (c == nullptr) return;
        if (set && c->a[5] != expected_device(saturation, before)) {
            violations_.push_back(name_ + " sent " + std::to_string(c->a[5]) + " for " + std::to_string(before) +
                                  ", expected " + std::to_string(expected_device(saturation, before)));
        }
        expect(variable, c->result < 0 ? before : expected_percent(saturation, c->a[5]));
    }

    const engine::HostEngine& host_;
    engine::SimClient& sim_;
    const Sequence& sequence_;
    std::vector<std::string>& violations_;
    std::string name_;
};

}  // namespace

std::uint32_t Draw::below(std::uint32_t n) {
    if (n <= 1) return 0;
    return any() % n;
}

std::uint32_t Draw::any() {
    std::uint32_t v = 0;
    if (!from_bytes_) {
        v = static_cast<std::uint32_t>(random_());
    } else {
        for (int i = 0; i < 4; ++i) {
            v = (v << 8) | (size_ > 0 ? *data_ : 0);
            if (size_ > 0) {
                ++data_;
                --size_;
            }
        }
    }
    if (recorded_ != nullptr) {
        for (int shift = 24; shift >= 0; shift -= 8) recorded_->push_back(static_cast<std::uint8_t>(v >> shift));
    }
    return v;
}

Sequence generate_sequence(Draw& draw, std::size_t max_steps) {
    Sequence s;
    const std::uint32_t joysticks = draw.below(4);
    for (std::uint32_t i = 0; i < joysticks; ++i) {
        sim_joystick j{};
        std::snprintf(j.product_name, sizeof j.product_name,
                      "Random Stick %u with a product name long enough to be cut", i);
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
    auto any_variable = [&] { return variables[draw.below(static_cast<std::uint32_t>(variables.size()))]; };
    // Most sequences open a context and select a joystick first, so that they get past the
    // guards into the devices and effects.
    if (draw.below(4) != 0) {
        for (const char* opener :
             {"Get_Versionsnummer", "InitDirectInput", draw.below(2) ? "InitJoystick_1" : "InitJoystick_2"}) {
            s.steps.push_back(call_step(opener));
        }
    }
    const std::size_t steps = s.steps.size() + 1 + draw.below(static_cast<std::uint32_t>(max_steps));
    int rebind_in = -1;  // steps until an unbound library is bound again
    // An effect defined, then sent new values or stopped a few times, so that every family's
    // later steps find their object.
    auto effect_burst = [&] {
        const EffectExports& effect = effect_exports()[draw.below(static_cast<std::uint32_t>(effect_exports().size()))];
        s.steps.push_back(call_step(effect.define));
        for (std::uint32_t n = draw.below(4); n > 0; --n) {
            s.steps.push_back(call_step(draw.below(3) == 0 ? effect.stop : effect.change));
        }
    };
    while (s.steps.size() < steps) {
        if (rebind_in >= 0 && rebind_in-- == 0) {
            Step step;
            step.kind = Step::kBind;
            step.value = 3;
            s.steps.push_back(step);
            continue;
        }
        Step step;
        const std::uint32_t kind = draw.below(100);
        const bool has_joystick = joysticks > 0;
        if (kind < 22) {
            step.name =
                exports[1 + draw.below(static_cast<std::uint32_t>(exports.size() - 1))];  // A5_DLLAPI binds first, once
            if (is_name_export(step.name)) step.value = draw.below(4) == 0;
        } else if (kind < 32) {
            effect_burst();
            continue;
        } else if (kind < 42) {
            step.name = pick(draw, kOpeners);
        } else if (kind < 51) {
            step.kind = Step::kSet;
            step.name = any_variable();
            step.value = draw_value(draw);
        } else if (kind < 73) {
            step.kind = Step::kFault;
            step.op = static_cast<int>(draw.below(SIM_OP_COUNT));
            step.device = joysticks == 0 ? -1 : static_cast<int>(draw.below(joysticks + 1)) - 1;
            step.result = pick(draw, kFaults);
            const int counts[] = {1, 2, 3, -1};
            step.count = pick(draw, counts);
            s.steps.push_back(step);
            // Most faults are met at once by a call they answer.
            const auto meeting = std::find_if(std::begin(kMeetings), std::end(kMeetings),
                                              [&](const Meeting& m) { return m.op == step.op; });
            for (std::uint32_t n = meeting == std::end(kMeetings) ? 0 : 1 + draw.below(4); n > 0; --n) {
                if (meeting->exports.empty()) {
                    effect_burst();
                } else {
                    s.steps.push_back(
                        call_step(meeting->exports[draw.below(static_cast<std::uint32_t>(meeting->exports.size()))]));
                }
            }
            continue;
        } else if (kind < 76 && has_joystick) {
            step.kind = Step::kPlug;
            step.device = static_cast<int>(draw.below(joysticks));
            step.value = static_cast<std::int32_t>(draw.below(2));
        } else if (kind < 83 && has_joystick) {
            step.kind = Step::kState;
            step.device = static_cast<int>(draw.below(joysticks));
            step.state = draw_state(draw);
        } else if (kind < 87 && has_joystick) {
            step.kind = Step::kAxisProperty;
            step.device = static_cast<int>(draw.below(joysticks));
            step.op = draw.below(2) == 0 ? SIM_DEAD_ZONE : SIM_SATURATION;
            step.count = draw.below(2) == 0 ? DIJOFS_X : DIJOFS_Y;
            step.value = static_cast<std::int32_t>(pick(draw, kZoneValues));
        } else if (kind < 90) {
            step.kind = Step::kMoveStorage;
            step.name = any_variable();
        } else if (kind < 92) {
            step.kind = Step::kUnstore;
            step.name = any_variable();
        } else if (kind < 95) {
            step.kind = Step::kRedeclare;
            step.name = any_variable();
            step.value = pick(draw, kTypeCodes);
        } else if (kind < 97) {
            step.kind = Step::kForget;
            step.name = any_variable();
        } else if (kind < 99) {
            step.kind = Step::kBind;
            step.value = static_cast<std::int32_t>(draw.below(4));
            if (step.value != 3 && rebind_in < 0) rebind_in = static_cast<int>(draw.below(6));
        } else {
            // Armed for the next lookup of a status variable (every reporting export looks one
            // up) or of any variable.
            step.kind = Step::kReenter;
            step.name = draw.below(2) == 0 ? kStatusNames[draw.below(6)] : any_variable();
            step.value = static_cast<std::int32_t>(draw.below(static_cast<std::uint32_t>(std::size(kReentries))));
        }
        s.steps.push_back(step);
    }
    return s;
}

const char* kind_name(Step::Kind kind) {
    static const char* const names[Step::kKinds] = {"call",      "set",           "unstore", "move storage",
                                                    "redeclare", "forget",        "fault",   "plug",
                                                    "state",     "axis property", "bind",    "reenter"};
    return names[kind];
}

Outcome run_sequence(const Sequence& sequence, engine::SimClient& sim) {
    Outcome outcome;
    sim.sim_reset();
    for (const auto& j : sequence.joysticks) sim.sim_attach(&j);
    {
        engine::HostEngine host;
        for (const auto& name : all_variable_names()) host.declare(name);
        engine::Library library(engine::default_library_path());
        if (library.bind(host) != tamrilo::kBindingResult)
            outcome.violations.push_back("A5_DLLAPI did not return its binding result");
        // Engine records a host might hand over by mistake: no function table, or a table whose
        // lookup function is null.
        const engine::Word no_table[4] = {0x5A5A, 0, 0, 0};
        const engine::Word null_lookup_table[4] = {};
        const engine::Word no_lookup[4] = {0x5A5A, reinterpret_cast<engine::Word>(null_lookup_table), 0, 0};
        ConversionCheck conversions(host, sim, sequence, outcome.violations);
        // The variable whose next lookup calls back in, and the export it calls; empty when none
        // is armed. A call back in fires once and is counted as an export call.
        std::string reenter_on, reenter_call;
        host.on_lookup = [&](const std::string& looked_up) {
            if (reenter_call.empty() || looked_up != reenter_on) return;
            const std::string name = std::exchange(reenter_call, std::string());
            ++outcome.export_calls;
            if (const std::int32_t result = library.call(name); result != 0) {
                outcome.violations.push_back(name + " called back in returned " + std::to_string(result));
            }
        };

        auto call = [&](const std::string& name, bool null_string) {
            const bool zone = name.find("_Zone_") != std::string::npos;
            const std::string zone_variable = zone ? name.substr(4) : std::string();
            const std::int32_t zone_before = zone && conversions.readable(zone_variable) ? host.get(zone_variable) : 0;
            const int log_from = sim.sim_call_count();
            ++outcome.export_calls;
            if (is_name_export(name)) {
                engine::HostString string;
                engine::HostString* passed = null_string ? nullptr : &string;
                engine::HostString* result = library.call_with_string(name, passed);
                if (result != nullptr && result != passed)
                    outcome.violations.push_back(name + " returned a foreign pointer");
            } else if (const std::int32_t result = library.call(name); result != 0) {
                outcome.violations.push_back(name + " returned " + std::to_string(result));
            }
            std::vector<sim_call> calls;
            for (int i = log_from; i < sim.sim_call_count(); ++i) {
                sim_call c{};
                sim.sim_get_call(i, &c);
                calls.push_back(c);
            }
            conversions.check(name, calls, zone_before);
        };

        for (const auto& step : sequence.steps) {
            ++outcome.steps[step.kind];
            switch (step.kind) {
                case Step::kCall: call(step.name, step.value != 0); break;
                case Step::kSet: host.set(step.name, step.value); break;
                case Step::kUnstore: host.declare_without_storage(step.name); break;
                case Step::kMoveStorage:
                    if (conversions.readable(step.name)) host.move_storage(step.name);
                    break;
                case Step::kRedeclare:
                    host.declare(step.name, step.value, conversions.readable(step.name) ? host.get(step.name) : 0);
                    break;
                case Step::kForget: host.forget(step.name); break;
                case Step::kFault: sim.sim_fail(step.op, step.device, step.result, step.count); break;
                case Step::kPlug: sim.sim_set_attached(step.device, step.value); break;
                case Step::kState: sim.sim_set_state(step.device, &step.state); break;
                case Step::kAxisProperty:
                    sim.sim_set_axis_property(step.device, static_cast<sim_axis_property>(step.op),
                                              static_cast<DWORD>(step.count), static_cast<DWORD>(step.value));
                    break;
                case Step::kBind: {
                    const engine::Word* records[] = {nullptr, no_table, no_lookup, host.interface_record()};
                    if (library.bind_record(records[step.value & 3]) != tamrilo::kBindingResult)
                        outcome.violations.push_back("A5_DLLAPI did not return its binding result");
                    break;
                }
                case Step::kReenter:
                    reenter_on = step.name;
                    reenter_call = kReentries[static_cast<std::size_t>(step.value) % std::size(kReentries)];
                    break;
            }
        }
        host.on_lookup = nullptr;

        for (const auto& name : all_variable_names()) {
            outcome.variables.push_back(conversions.readable(name) ? host.get(name) : INT32_MIN + 1);
        }
        const int n = sim.sim_call_count();
        for (int i = 0; i < n; ++i) {
            sim_call c{};
            sim.sim_get_call(i, &c);
            std::ostringstream line;
            line << c.op << ' ' << c.object << ' ' << c.kind << ' ' << c.device << ' ' << c.effect << ' ' << c.result
                 << ' ' << c.on_released << ' ' << c.outer_null;
            for (DWORD a : c.a) line << ' ' << a;
            const auto* p = reinterpret_cast<const unsigned char*>(&c.params);
            for (std::size_t k = 0; k < sizeof c.params; ++k) line << ' ' << int(p[k]);
            outcome.log.push_back(line.str());
        }
        if (sim.sim_released_object_calls() != 0) outcome.violations.push_back("a call reached a released object");
        outcome.injected_faults = sim.sim_injected_faults();
        for (int op = 0; op < SIM_OP_COUNT; ++op)
            outcome.faults_by_op[static_cast<std::size_t>(op)] = sim.sim_injected_faults_of(op);

        // Closing: bound again, a healthy joystick alone, a fresh context and selection, then
        // everything freed.
        sim.sim_clear_faults();
        library.bind(host);
        for (std::size_t d = 0; d < sequence.joysticks.size(); ++d) sim.sim_set_attached(static_cast<int>(d), 0);
        sim_joystick healthy{};
        std::strcpy(healthy.product_name, "Closing Stick");
        healthy.force_feedback = 1;
        healthy.axes = 4;
        healthy.buttons = 16;
        healthy.povs = 1;
        sim.sim_attach(&healthy);
        for (const auto& name : all_variable_names()) host.declare(name);
        call("Get_Versionsnummer", false);
        call("InitDirectInput", false);
        call("InitJoystick_1", false);
        if (host.get("OV_info_2") != 1) outcome.violations.push_back("closing selection failed");
        call("FreeDirectInput", false);
        if (const int live = sim.sim_live_objects(SIM_OBJECT_NONE); live != 0) {
            outcome.violations.push_back(std::to_string(live) + " DirectInput objects left alive");
        }
        if (sim.sim_released_object_calls() != 0)
            outcome.violations.push_back("a closing call reached a released object");
        if (sim.sim_released_while_acquired() != 0)
            outcome.violations.push_back("a device was released while acquired");
    }
    return outcome;
}

Sequence minimize(const Sequence& failing, engine::SimClient& sim) {
    auto fails = [&](const Sequence& s) { return !run_sequence(s, sim).violations.empty(); };
    Sequence best = failing;
    for (std::size_t chunk = std::max<std::size_t>(1, best.steps.size() / 2);; chunk /= 2) {
        for (std::size_t start = 0; start < best.steps.size();) {
            Sequence trial = best;
            const auto from = trial.steps.begin() + static_cast<std::ptrdiff_t>(start);
            trial.steps.erase(from, from + static_cast<std::ptrdiff_t>(std::min(chunk, trial.steps.size() - start)));
            if (fails(trial)) {
                best = std::move(trial);
            } else {
                start += chunk;
            }
        }
        if (chunk == 1) break;
    }
    // Later joysticks only: dropping one renumbers those after it.
    while (!best.joysticks.empty()) {
        Sequence trial = best;
        trial.joysticks.pop_back();
        if (!fails(trial)) break;
        best = std::move(trial);
    }
    return best;
}

std::string describe(const Sequence& sequence) {
    std::ostringstream out;
    for (const auto& j : sequence.joysticks) {
        out << "joystick ff=" << j.force_feedback << " axes=" << j.axes << " buttons=" << j.buttons
            << " povs=" << j.povs << " refuse_create_device=" << j.refuse_create_device
            << " refuse_device2=" << j.refuse_device2 << "\n";
    }
    for (const auto& s : sequence.steps) {
        switch (s.kind) {
            case Step::kCall: out << "call " << s.name << (s.value ? " with a null string" : ""); break;
            case Step::kSet: out << "raw " << s.name << ' ' << s.value; break;
            case Step::kUnstore: out << "unstore " << s.name; break;
            case Step::kMoveStorage: out << "move " << s.name; break;
            case Step::kRedeclare: out << "redeclare " << s.name << " type " << s.value; break;
            case Step::kForget: out << "forget " << s.name; break;
            case Step::kFault:
                out << "fault op=" << s.op << " device=" << s.device << " result=0x" << std::hex
                    << static_cast<std::uint32_t>(s.result) << std::dec << " count=" << s.count;
                break;
            case Step::kPlug: out << (s.value ? "plug " : "unplug ") << s.device; break;
            case Step::kState:
                out << "state " << s.device << " x=" << s.state.lX << " y=" << s.state.lY << " z=" << s.state.lZ
                    << " rz=" << s.state.lRz << " pov=" << s.state.rgdwPOV[0] << " buttons=";
                for (int b = 0; b < 16; ++b) out << (b ? "," : "") << int(s.state.rgbButtons[b]);
                break;
            case Step::kAxisProperty:
                out << "axis-property " << s.device << (s.op == SIM_SATURATION ? " saturation" : " dead-zone")
                    << " offset=" << s.count << " value=" << static_cast<std::uint32_t>(s.value);
                break;
            case Step::kBind: {
                const char* const what[] = {"null record", "no function table", "null lookup", "host"};
                out << "bind " << what[s.value & 3];
                break;
            }
            case Step::kReenter:
                out << "reenter " << s.name << " calls "
                    << kReentries[static_cast<std::size_t>(s.value) % std::size(kReentries)];
                break;
        }
        out << "\n";
    }
    return out.str();
}

}  // namespace tamrilo::test
