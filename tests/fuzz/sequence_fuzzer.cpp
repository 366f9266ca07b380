// libFuzzer target: the fuzzer's bytes choose the joysticks, the calls, the variable values and
// the DirectInput faults of one sequence; any broken invariant aborts with the sequence printed.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

#include "harness.h"
#include "library/sequence_generator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tamrilo::test;
    // libFuzzer cannot follow an instrumented library that is unloaded, so the library stays
    // loaded for the whole run. Each sequence's closing steps (a selection, then
    // FreeDirectInput) leave it without any DirectInput object, as a fresh load would be.
    static void* pinned = dlopen(tamrilo::engine::default_library_path().c_str(), RTLD_NOW | RTLD_NODELETE);
    static bool loaded = pinned != nullptr && sim().available();
    if (!loaded) {
        std::fprintf(stderr, "the simulated DirectInput is not loaded\n");
        std::abort();
    }
    Draw draw(data, size);
    const Sequence sequence = generate_sequence(draw, kFuzzerMaxSteps);
    const Outcome outcome = run_sequence(sequence, sim());
    if (!outcome.violations.empty()) {
        std::fprintf(stderr, "%s\n%s", outcome.violations.front().c_str(), describe(sequence).c_str());
        std::abort();
    }
    return 0;
}
