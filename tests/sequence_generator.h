// Random call sequences over every export, with random host variable values, joystick sets and
// DirectInput faults; and the checks every sequence must pass. Shared by the randomized test
// and the fuzzer, which feeds the same generator from its input bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "sim_client.h"

namespace tamrilo::test {

// Where the generator's choices come from: a seeded generator, or a fuzzer's bytes (zeros once
// they run out).
class Draw {
public:
    explicit Draw(std::uint32_t seed) : random_(seed) {}
    Draw(const std::uint8_t* data, std::size_t size) : data_(data), size_(size), from_bytes_(true) {}
    // A number from 0 to n − 1.
    std::uint32_t below(std::uint32_t n);
    std::uint32_t any();

private:
    std::mt19937 random_;
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    bool from_bytes_ = false;
};

struct Step {
    enum Kind { kCall, kSet, kUnstore, kMoveStorage, kFault, kPlug };
    Kind kind = kCall;
    std::string name;           // export or variable
    std::int32_t value = 0;     // kSet: the value; kPlug: attached or not
    int op = 0, device = -1, count = 0;
    std::int32_t result = 0;    // kFault: the HRESULT
};

struct Sequence {
    std::vector<sim_joystick> joysticks;
    std::vector<Step> steps;
};

Sequence generate_sequence(Draw& draw, std::size_t max_steps);

// What one run left behind, for comparing two runs of the same sequence.
struct Outcome {
    std::vector<std::int32_t> variables;  // every known variable, in all_variable_names() order
    std::vector<std::string> log;         // the simulator's log, one line a call
    std::vector<std::string> violations;  // broken invariants, empty when the run was sound
};

// Runs the sequence on a fresh load of the library, then closes it (faults cleared, only a
// healthy joystick attached, InitDirectInput, InitJoystick_1, FreeDirectInput) and checks:
// every export returned 0 (the name exports their argument or null), no call reached a
// released DirectInput object, and no DirectInput object is left alive.
Outcome run_sequence(const Sequence& sequence, engine::SimClient& sim);

// A readable form, for reporting a failing sequence as a regression test.
std::string describe(const Sequence& sequence);

}  // namespace tamrilo::test
