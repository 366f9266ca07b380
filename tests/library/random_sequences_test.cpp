// Randomized call sequences over all exports with DirectInput faults: nothing may crash, hang,
// leak or touch a released object, every converted value must be right, and the same seed must
// give the same run.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "harness.h"
#include "library/sequence_generator.h"

namespace tamrilo::test {
namespace {

// Fewer sequences under Wine, where loading the library costs more.
#ifdef _WIN32
constexpr std::uint32_t kSequences = 400;
#else
constexpr std::uint32_t kSequences = 3000;
#endif
constexpr std::size_t kMaxSteps = 100;

struct SeedRange {
    std::uint32_t first, last;
};

// TAMRILO_SEEDS="first-last" (or one seed) chooses the seeds; without it the suite's fixed range.
SeedRange seed_range() {
    const char* text = std::getenv("TAMRILO_SEEDS");
    if (text == nullptr || *text == '\0') return {1, kSequences};
    char* end = nullptr;
    const unsigned long first = std::strtoul(text, &end, 10);
    const unsigned long last = *end == '-' ? std::strtoul(end + 1, &end, 10) : first;
    if (*end != '\0' || last < first) {
        ADD_FAILURE() << "TAMRILO_SEEDS must be a seed or first-last, not \"" << text << "\"";
        return {1, 0};
    }
    return {static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(last)};
}

bool environment_set(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' && std::string(value) != "0";
}

TEST(RandomSequences, HoldTheInvariantsAndRepeatExactly) {
    ASSERT_TRUE(sim().available());
    const SeedRange range = seed_range();
    // For a run that crashed: TAMRILO_PRINT_SEEDS names each seed before it runs, and
    // TAMRILO_DESCRIBE prints the sequences instead of running them.
    const bool print_seeds = environment_set("TAMRILO_PRINT_SEEDS");
    const bool describe_only = environment_set("TAMRILO_DESCRIBE");
    long long sequences = 0, export_calls = 0, faults = 0;
    int failures = 0;
    for (std::uint32_t seed = range.first; range.first <= range.last && failures < 3; ++seed) {
        Draw draw(seed);
        const Sequence sequence = generate_sequence(draw, kMaxSteps);
        if (describe_only) {
            std::printf("seed %u:\n%s", seed, describe(sequence).c_str());
            if (seed == range.last) break;
            continue;
        }
        if (print_seeds) std::fprintf(stderr, "seed %u\n", seed);
        const Outcome first = run_sequence(sequence, sim());
        const Outcome second = run_sequence(sequence, sim());
        ++sequences;
        export_calls += first.export_calls;
        faults += first.injected_faults;
        const bool sound = first.violations.empty();
        const bool repeated = first.variables == second.variables && first.log == second.log;
        if (!sound || !repeated) {
            ++failures;
            const Sequence minimal = sound ? sequence : minimize(sequence, sim());
            ADD_FAILURE() << "seed " << seed << ": " << (sound ? "" : first.violations.front())
                          << (repeated ? "" : " (runs differ)") << "\n"
                          << (sound ? "sequence:\n" : "minimal reproduction:\n") << describe(minimal);
            std::printf("first failing seed: %u\n", seed);
        }
        if (seed == range.last) break;
    }
    // One line for scripts/soak to add up.
    std::printf("random sequences: %lld sequences, %lld export calls, %lld faults injected, seeds %u-%u\n", sequences,
                export_calls, faults, range.first, range.last);
}

}  // namespace
}  // namespace tamrilo::test
