// Random call sequences over every export, with random host variable values and host objects,
// joystick sets, joystick states and DirectInput faults; and the checks every sequence must
// pass. Shared by the randomized test, the soak run and the fuzzer, which feeds the same
// generator from its input bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/sim_client.h"

namespace tamrilo::test {

// Where the generator's choices come from: a seeded generator, or a fuzzer's bytes (zeros once
// they run out). A seeded draw can record what it drew, as bytes that replay the same choices.
class Draw {
public:
    explicit Draw(std::uint32_t seed) : random_(seed) {}
    Draw(const std::uint8_t* data, std::size_t size) : data_(data), size_(size), from_bytes_(true) {}
    // A number from 0 to n − 1.
    std::uint32_t below(std::uint32_t n);
    std::uint32_t any();
    void record_into(std::vector<std::uint8_t>* bytes) { recorded_ = bytes; }

private:
    std::mt19937 random_;
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    bool from_bytes_ = false;
    std::vector<std::uint8_t>* recorded_ = nullptr;
};

struct Step {
    enum Kind {
        kCall,          // name: export; value 1: a name export gets a null string object
        kSet,           // name: variable; value
        kUnstore,       // name: the host object loses its value storage
        kMoveStorage,   // name: the value moves to new storage
        kRedeclare,     // name: the host object gets type code `value`, keeping the value
        kForget,        // name: the host has no object of that name any more
        kFault,         // op, device, result, count
        kPlug,          // device; value: attached or not
        kState,         // device; state
        kAxisProperty,  // device; op: 0 dead zone, 1 saturation; count: axis offset; value
        kBind,          // value: 0 null record, 1 null function table, 2 null lookup, 3 the host again
        kReenter,       // name: variable whose next lookup calls back in; value: which export it calls
    };
    static constexpr int kKinds = kReenter + 1;
    Kind kind = kCall;
    std::string name;  // export or variable
    std::int32_t value = 0;
    int op = 0, device = -1, count = 0;
    std::int32_t result = 0;  // kFault: the HRESULT
    DIJOYSTATE state{};       // kState
};

// A step kind's name, for the counts of a run.
const char* kind_name(Step::Kind kind);

struct Sequence {
    std::vector<sim_joystick> joysticks;
    std::vector<Step> steps;
};

Sequence generate_sequence(Draw& draw, std::size_t max_steps);
// The longest sequence the fuzzer's bytes can ask for, beyond the opening steps.
inline constexpr std::size_t kFuzzerMaxSteps = 150;

// What one run left behind, for comparing two runs of the same sequence.
struct Outcome {
    std::vector<std::int32_t> variables;  // every known variable, in all_variable_names() order
    std::vector<std::string> log;         // the simulator's log, one line a call
    std::vector<std::string> violations;  // broken invariants, empty when the run was sound
    int export_calls = 0;
    int injected_faults = 0;                       // DirectInput calls answered by an injected fault
    std::array<int, Step::kKinds> steps{};         // steps run, by kind
    std::array<int, SIM_OP_COUNT> faults_by_op{};  // injected faults, by DirectInput operation
};

// Runs the sequence on a fresh load of the library, then closes it (faults cleared, only a
// healthy joystick attached, InitDirectInput, InitJoystick_1, FreeDirectInput) and checks:
// every export returned 0 (the name exports their argument or null), no call reached a
// released DirectInput object, no device was released while acquired, no DirectInput object
// is left alive, and every value converted into a host variable is the one an independent
// computation gives from what DirectInput delivered.
Outcome run_sequence(const Sequence& sequence, engine::SimClient& sim);

// The smallest sequence found by dropping steps and joysticks that still breaks an invariant.
Sequence minimize(const Sequence& failing, engine::SimClient& sim);

// A readable form, for reporting a failing sequence as a regression test.
std::string describe(const Sequence& sequence);

}  // namespace tamrilo::test
