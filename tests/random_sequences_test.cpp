// Randomized call sequences over all exports with DirectInput faults: nothing may crash, hang,
// leak or touch a released object, and the same seed must give the same run.
#include <cstdlib>

#include "harness.h"
#include "sequence_generator.h"

namespace tamrilo::test {
namespace {

// Fewer sequences under Wine, where loading the library costs more.
#ifdef _WIN32
constexpr std::uint32_t kSequences = 400;
#else
constexpr std::uint32_t kSequences = 3000;
#endif
constexpr std::size_t kMaxSteps = 60;

TEST(RandomSequences, HoldTheInvariantsAndRepeatExactly) {
    ASSERT_TRUE(sim().available());
    int failures = 0;
    for (std::uint32_t seed = 1; seed <= kSequences && failures < 3; ++seed) {
        Draw draw(seed);
        const Sequence sequence = generate_sequence(draw, kMaxSteps);
        const Outcome first = run_sequence(sequence, sim());
        const Outcome second = run_sequence(sequence, sim());
        const bool sound = first.violations.empty();
        const bool repeated = first.variables == second.variables && first.log == second.log;
        if (!sound || !repeated) {
            ++failures;
            ADD_FAILURE() << "seed " << seed << ": " << (sound ? "" : first.violations.front())
                          << (repeated ? "" : " (runs differ)") << "\n"
                          << describe(sequence);
        }
    }
}

}  // namespace
}  // namespace tamrilo::test
