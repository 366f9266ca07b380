// A game's session while its joystick is pulled out and put back at random moments: 60 reads a
// simulated second, a constant force changed every frame, a sine and a spring playing, and a
// second joystick attached for part of the run. Every export must write what the library
// documents for lost input, re-acquisition and a new selection; the effects defined again must
// reach the returned joystick; and nothing may pile up from cycle to cycle: the library keeps no
// memory of its own beyond its fixed globals, so what could are DirectInput objects it leaves
// alive, and the process's open files. Resident memory is printed too, but the simulated
// DirectInput keeps every object it handed out and the history of every effect it played, so it
// grows by a few kilobytes a cycle whatever the library does.
//   TAMRILO_HOTPLUG_CYCLES  removals to run (default 200)
//   TAMRILO_HOTPLUG_SEED    the moments of removal and return (default 1)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "library/hotplug_support.h"

namespace tamrilo::test {
namespace {

constexpr unsigned long long kFrameMicroseconds = 16667;

// DirectInput objects alive, the process's open files and its resident memory.
struct Usage {
    int directinput_objects = 0;
    long open_files = -1;  // -1 where the platform does not tell
    long resident_kib = -1;
};

Usage usage() {
    Usage u;
    u.directinput_objects = sim().sim_live_objects(SIM_OBJECT_NONE);
#ifndef _WIN32
    std::error_code error;
    u.open_files = static_cast<long>(std::distance(std::filesystem::directory_iterator("/proc/self/fd", error),
                                                   std::filesystem::directory_iterator()));
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    u.resident_kib = resident * (sysconf(_SC_PAGESIZE) / 1024);
#endif
    return u;
}

class HotPlugTest : public GameSession {
protected:
    // Selects joystick 0 and defines a constant force, a sine and a spring on it; each must
    // reach the device and play.
    void select_and_play() {
        select_first();
        define_effects();
        int playing = 0;
        for (const auto& e : effects()) playing += e.refs > 0 && e.playing && e.device == kPlugged;
        EXPECT_EQ(playing, 3) << "the effects defined again play on the returned joystick";
        present = true;
    }

    // One frame: read the joystick and push a new force, checking both against what the
    // simulated DirectInput does with the joystick now.
    void frame() {
        DIJOYSTATE state{};
        state.lY = 1000 + frames % 1000;
        state.rgdwPOV[0] = 0xFFFFFFFF;
        sim().sim_set_state(kPlugged, &state);
        const Fixed read = read_joystick();
        if (read == kRead) {
            EXPECT_EQ(var("JOY_Y_A"), static_cast<Fixed>(state.lY * 10000000LL / 9766));
        }
        // Reads while the joystick is selected and attached succeed; while it is away they fail.
        if (present) {
            EXPECT_EQ(read, kRead);
        }
        if (!attached) {
            EXPECT_EQ(read, kReadFailed);
        }

        const Fixed force = change_force();
        if (present) {
            EXPECT_EQ(force, kForceSent);
        }
        sim().sim_advance_clock(kFrameMicroseconds);
    }
    void frames_for(int n) {
        for (int i = 0; i < n && !HasFailure(); ++i) frame();
    }
    // Lost input is met by a re-acquisition: every first read (the one not after Poll) that
    // reported it is followed by Acquire.
    void expect_reacquisitions() {
        const auto log = calls();
        for (std::size_t i = 0; i < log.size(); ++i) {
            const bool first_read = log[i].op == SIM_OP_GET_DEVICE_STATE && (i == 0 || log[i - 1].op != SIM_OP_POLL);
            if (!first_read || log[i].result != static_cast<HRESULT>(DIERR_INPUTLOST)) continue;
            ASSERT_LT(i + 1, log.size());
            ASSERT_EQ(log[i + 1].op, SIM_OP_ACQUIRE) << "lost input not met by a re-acquisition";
            ++reacquisitions;
        }
        // The stand-ins' records of the cycle go, so that only what the library keeps stays.
        sim().sim_clear_log();
        host.clear_lookups();
    }

    static constexpr int kPlugged = 0;
    bool attached = true, present = false;
    int reacquisitions = 0;
};

TEST_F(HotPlugTest, StickPulledOutAndPutBackMidGame) {
    const int cycles = from_environment("TAMRILO_HOTPLUG_CYCLES", 200);
    std::mt19937 draw(static_cast<unsigned>(from_environment("TAMRILO_HOTPLUG_SEED", 1)));
    auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(draw); };
    ASSERT_EQ(attach_joystick("Tamrilo Hotplug"), kPlugged);
    const int second = attach_joystick("Tamrilo Second");
    open_directinput();
    select_and_play();

    // Compared from the end of the first 20 cycles (or of the first half of a shorter run).
    const int baseline_cycle = std::min(20, cycles / 2);
    Usage baseline{}, last{};
    for (int cycle = 1; cycle <= cycles && !HasFailure(); ++cycle) {
        // The second joystick is attached for the middle third of the run.
        sim().sim_set_attached(second, cycle > cycles / 3 && cycle <= 2 * cycles / 3);
        frames_for(between(5, 40));

        sim().sim_set_attached(kPlugged, 0);
        attached = present = false;
        frames_for(between(1, 30));

        sim().sim_set_attached(kPlugged, 1);
        attached = true;
        // Before the new selection a read may re-acquire the joystick or fail, depending on what
        // DirectInput answers a read of a device that lost its input: only the codes above hold.
        frames_for(between(0, 10));
        expect_reacquisitions();
        select_and_play();

        if (cycle == baseline_cycle) baseline = usage();
    }
    last = usage();
    std::printf(
        "hot-plug: %d cycles, %d frames, %d re-acquisitions; DirectInput objects %d after cycle %d, %d at the "
        "end; open files %ld, %ld; resident memory %ld KiB, %ld KiB\n",
        cycles, frames, reacquisitions, baseline.directinput_objects, baseline_cycle, last.directinput_objects,
        baseline.open_files, last.open_files, baseline.resident_kib, last.resident_kib);
    EXPECT_GT(reacquisitions, 0);
    EXPECT_EQ(last.directinput_objects, baseline.directinput_objects) << "DirectInput objects piled up";
    EXPECT_EQ(last.open_files, baseline.open_files);
}

}  // namespace
}  // namespace tamrilo::test
