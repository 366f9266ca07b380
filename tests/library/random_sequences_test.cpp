// Randomized call sequences over all exports with DirectInput faults: nothing may crash, hang,
// leak or touch a released object, every converted value must be right, and the same seed must
// give the same run.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "calltrace/decoder.h"
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

// What a run of sequences added up to.
struct Tally {
    long long sequences = 0, export_calls = 0, faults = 0;
    std::array<long long, Step::kKinds> steps{};
    std::array<long long, SIM_OP_COUNT> faults_by_op{};

    void add(const Outcome& outcome) {
        ++sequences;
        export_calls += outcome.export_calls;
        faults += outcome.injected_faults;
        for (std::size_t k = 0; k < steps.size(); ++k) steps[k] += outcome.steps[k];
        for (std::size_t op = 0; op < faults_by_op.size(); ++op) faults_by_op[op] += outcome.faults_by_op[op];
    }
    // Lines for scripts/soak to add up: the totals, then the steps by kind and the faults by
    // DirectInput operation.
    void print(const SeedRange& range) const {
        std::printf("random sequences: %lld sequences, %lld export calls, %lld faults injected, seeds %u-%u\n",
                    sequences, export_calls, faults, range.first, range.last);
        for (std::size_t k = 0; k < steps.size(); ++k)
            std::printf("steps of kind %s: %lld\n", kind_name(static_cast<Step::Kind>(k)), steps[k]);
        for (std::size_t op = 0; op < faults_by_op.size(); ++op)
            std::printf("faults in %s: %lld\n", calltrace::op_name(static_cast<int>(op)), faults_by_op[op]);
    }
};

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
    Tally tally;
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
        tally.add(first);
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
    tally.print(range);
}

// The generator's mix, over a fixed range of seeds: on average at least three DirectInput calls
// a sequence answered by an injected fault, and every operation the library makes faulted.
TEST(RandomSequenceMix, FaultsStayDense) {
    ASSERT_TRUE(sim().available());
    constexpr std::uint32_t kSeeds = 200;
    Tally tally;
    for (std::uint32_t seed = 1; seed <= kSeeds; ++seed) {
        Draw draw(seed);
        tally.add(run_sequence(generate_sequence(draw, kMaxSteps), sim()));
    }
    EXPECT_GE(tally.faults, 3 * tally.sequences);
    for (int op = 0; op < SIM_OP_COUNT; ++op) {
        if (op == SIM_OP_ADD_REF || op == SIM_OP_OTHER) continue;  // calls the library never makes
        EXPECT_GT(tally.faults_by_op[static_cast<std::size_t>(op)], 0) << calltrace::op_name(op) << " never faulted";
    }
}

}  // namespace
}  // namespace tamrilo::test
