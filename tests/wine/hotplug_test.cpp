// A game's session on Wine's own DirectInput while its joystick is pulled out and put back at
// random moments: 60 reads a second, a constant force changed every frame, a sine and a spring
// playing, and a second joystick attached for part of the run. Every export must write what the
// library documents for lost input and for a new selection, the effects defined again must reach
// the returned joystick, and the process's handles and resident memory must stay flat.
//   TAMRILO_HOTPLUG_CYCLES  removals to run (default 200)
//   TAMRILO_HOTPLUG_SEED    the moments of removal and return (default: drawn, and printed)
#include <windows.h>
// After windows.h, which they need:
#include <psapi.h>
#include <winternl.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <optional>
#include <random>
#include <set>
#include <thread>

#include "library/hotplug_support.h"
#include "platform/program_folder.h"
#include "virtual-joystick/control/virtual_joystick.h"

namespace tamrilo::test {
namespace {

using Clock = std::chrono::steady_clock;

// The joysticks the prefix installs, in enumeration order: the one pulled out comes first, so
// that InitJoystick_1 finds it again while the second is attached too.
const std::vector<vjoy::DeviceSpec> kSticks = {{"Tamrilo Hotplug", true}, {"Tamrilo Second", true}};
constexpr int kPlugged = 0, kSecond = 1;
constexpr auto kFrame = std::chrono::microseconds(16667);
constexpr auto kPatience = std::chrono::seconds(20);

// What the wine server counts as this process's handles, and its resident memory.
struct Usage {
    unsigned long handles = 0;
    unsigned long resident_kib = 0;
};

Usage usage() {
    Usage u;
    std::vector<unsigned char> buffer(1 << 20);
    ULONG needed = 0;
    while (NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(16),  // SystemHandleInformation
                                    buffer.data(), static_cast<ULONG>(buffer.size()), &needed) != 0)
        buffer.resize(buffer.size() * 2);
    const auto* info = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(buffer.data());
    for (ULONG i = 0; i < info->Count; ++i) u.handles += info->Handle[i].OwnerPid == GetCurrentProcessId();
    PROCESS_MEMORY_COUNTERS memory{};
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    u.resident_kib = static_cast<unsigned long>(memory.WorkingSetSize / 1024);
    return u;
}

// Where the pulled-out joystick is, as the game's frames see it.
enum class Phase {
    kSelected,  // attached and selected, effects playing
    kRemoved,   // removed; DirectInput may not have noticed yet
    kNoticed,   // a read failed: every read fails until the next selection
    kReturned,  // installed again, not selected yet
};

class HotPlugTest : public GameSession {
protected:
    void SetUp() override {
        ASSERT_FALSE(sim().available()) << "this test must run against Wine's own dinput.dll";
        ASSERT_EQ(vjoy::wait_for(2, std::chrono::seconds(10)), std::vector<int>{}) << "virtual joysticks missing";
        plugged = vjoy::Joystick::open(kPlugged);
        second = vjoy::Joystick::open(kSecond);
        ASSERT_TRUE(plugged && second);
        second->set_present(false);
        LibraryTest::SetUp();
    }
    void TearDown() override {
        if (library) call("FreeDirectInput");
        LibraryTest::TearDown();
    }

    // Selects the joystick, which must be the pulled-out one, and defines a constant force, a
    // sine and a spring on it; each must reach the device and start.
    void select_and_play() {
        select_first();
        engine::HostString name;
        ASSERT_NE(library->call_with_string("Get_Joystick_Name_1", &name), nullptr);
        ASSERT_STREQ(name.characters(), kSticks[kPlugged].product.c_str());
        plugged->drain();
        define_effects();
        std::multiset<std::string> started;
        for (const auto& [block, effect] : vjoy::blocks(plugged->received())) {
            if (effect.operations == std::vector<std::string>{"start"}) started.insert(effect.type);
        }
        EXPECT_EQ(started, (std::multiset<std::string>{"constant", "sine", "spring"}));
        // The returned joystick's input reaches the game: the stick half forward or half back by
        // turns, so that neither the selection's preset nor the last cycle's reading passes.
        const int sign = cycle % 2 ? 1 : -1;
        vjoy::State state;
        state.y = static_cast<std::int16_t>(sign * 16384);
        plugged->set_state(state);
        const auto arrived = [&] { return sign * var("JOY_Y_A") > fx(4000); };
        const auto end = Clock::now() + kPatience;
        do call("Get_Joystick_State");
        while (!arrived() && Clock::now() < end);
        EXPECT_TRUE(arrived()) << "the returned joystick's state never arrived: " << var("JOY_Y_A");
        phase = Phase::kSelected;
    }

    // One frame: read the joystick, push a new force, check both against the phase, and wait
    // for the frame's end.
    void frame() {
        const Fixed read = read_joystick();
        const Fixed force = change_force();
        const bool read_failed = read == kReadFailed;
        switch (phase) {
            case Phase::kSelected:
                EXPECT_EQ(read, kRead);
                EXPECT_EQ(force, kForceSent);
                EXPECT_EQ(vjoy::blocks(plugged->received()).size(), 1u) << "the new force reached the device";
                break;
            case Phase::kRemoved:
                if (read_failed) phase = Phase::kNoticed;
                break;
            case Phase::kNoticed:
                // Lost input stays lost until the joystick is selected again (a re-acquisition
                // fails while it is away). Wine answers the force's update on the lost device
                // with DI_DOWNLOADSKIPPED, a success.
                EXPECT_EQ(read, kReadFailed);
                break;
            case Phase::kReturned:
                // Before the new selection the old device object may read again or not,
                // depending on whether a failed read re-acquires it.
                break;
        }
        next_frame += kFrame;
        std::this_thread::sleep_until(next_frame);
    }
    void frames_for(int n) {
        for (int i = 0; i < n && !HasFailure(); ++i) frame();
    }

    std::optional<vjoy::Joystick> plugged, second;
    Phase phase = Phase::kSelected;
    int cycle = 0;
    int noticed = 0;  // removals whose lost input a read reported before the return
    Clock::time_point next_frame = Clock::now();
};

TEST_F(HotPlugTest, StickPulledOutAndPutBackMidGame) {
    const int cycles = from_environment("TAMRILO_HOTPLUG_CYCLES", 200);
    const auto seed = static_cast<unsigned>(
        from_environment("TAMRILO_HOTPLUG_SEED", static_cast<int>(std::random_device{}() & 0x7FFFFFFF)));
    std::printf("hot-plug seed %u\n", seed);
    std::mt19937 draw(seed);
    auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(draw); };
    // Handles and memory are compared from the end of the first 20 cycles (or of the first half
    // of a shorter run) to the end.
    const int baseline_cycle = std::min(20, cycles / 2);
    Usage baseline, last;
    const auto start = Clock::now();

    open_directinput();
    select_and_play();
    for (cycle = 1; cycle <= cycles && !HasFailure(); ++cycle) {
        // The second joystick is attached for the middle third of the run.
        second->set_present(cycle > cycles / 3 && cycle <= 2 * cycles / 3);
        next_frame = Clock::now();
        frames_for(between(5, 40));

        plugged.reset();
        ASSERT_TRUE(vjoy::remove(kPlugged));
        phase = Phase::kRemoved;
        frames_for(between(1, 30));

        // Put back while the game goes on.
        auto returning = std::async(std::launch::async, [] {
            vjoy::install(platform::program_folder(), kSticks);
            return vjoy::wait_for(2, std::chrono::seconds(15));
        });
        while (returning.wait_for(std::chrono::seconds(0)) != std::future_status::ready && !HasFailure()) frame();
        ASSERT_EQ(returning.get(), std::vector<int>{}) << "the joystick did not come back";
        plugged = vjoy::Joystick::open(kPlugged);
        ASSERT_TRUE(plugged);
        noticed += phase == Phase::kNoticed;
        phase = Phase::kReturned;
        frames_for(between(0, 10));
        select_and_play();

        if (cycle == baseline_cycle) baseline = usage();
    }
    last = usage();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf(
        "hot-plug: %d cycles (lost input read in %d), %d frames in %.0f s; handles %lu after cycle %d, %lu at the end; "
        "resident "
        "memory %lu KiB, %lu KiB\n",
        cycles, noticed, frames, seconds, baseline.handles, baseline_cycle, last.handles, baseline.resident_kib,
        last.resident_kib);
    // A device or effect object leaked per cycle keeps its HID handle and event open.
    EXPECT_LE(last.handles, baseline.handles + 4) << "handles grew";
    EXPECT_LE(last.resident_kib, baseline.resident_kib + 4096) << "resident memory grew";
}

}  // namespace
}  // namespace tamrilo::test
