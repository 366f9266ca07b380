// The cost of one export call in steady state, through the host-engine stand-in and the
// simulated DirectInput: a context, a selected force-feedback joystick, every variable declared,
// and the export's effect already defined. Each case also counts the heap allocations that the
// library's own code asks for, which must be none.
//
//   tamrilo_bench [Google Benchmark options]     ns per call
//   tamrilo_bench --calls CASE N                  N calls of one case, for callgrind (scripts/bench)
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "allocations.h"
#include "engine/host_engine.h"
#include "engine/library.h"
#include "engine/sim_client.h"

namespace tamrilo::bench {
namespace {

using Export = std::int32_t (*)();

// One export family's case: the export measured and what runs once before it.
struct Case {
    const char* name;
    std::vector<const char*> before;
};

const Case kCases[] = {
    {"Get_Versionsnummer", {}},
    {"InitDirectInput", {}},
    {"InitJoystick_1", {}},
    {"Get_Joystick_State", {}},
    {"Show_Capabilities", {}},
    {"Get_Dead_Zone_X", {}},
    {"Set_Dead_Zone_X", {}},
    {"Define_Const_Forces", {}},
    {"Change_Const_Forces", {"Define_Const_Forces"}},
    {"Stop_Const_Forces", {"Define_Const_Forces"}},
    {"Define_Placement", {}},
    {"Change_Placement", {"Define_Placement"}},
    {"Define_Friction", {}},
    {"Define_Damp", {}},
    {"Define_Sine_1", {}},
    {"Play_Sine_1", {"Define_Sine_1"}},
    {"Stop_Sine_1", {"Define_Sine_1"}},
};

// Every host variable the library uses.
const char* const kVariables[] = {
#define TAMRILO_HOST_VARIABLE(family, name) name,
#include "host_variables.inc"
#undef TAMRILO_HOST_VARIABLE
};

engine::SimClient& sim() {
    static engine::SimClient client = [] {
        engine::SimClient c;
        if (!c.load() || !c.available()) {
            std::cerr << "tamrilo_bench: the simulated DirectInput is not available\n";
            std::exit(1);
        }
        return c;
    }();
    return client;
}

}  // namespace

// The library freshly loaded and brought into the case's steady state.
class Session {
public:
    explicit Session(const Case& c) {
        sim().sim_reset();
        library_ = std::make_unique<engine::Library>(engine::default_library_path());
        if (!watch_image("libtamrilo.so")) throw std::runtime_error("libtamrilo.so is not loaded");
        for (const char* name : kVariables) host_.declare(name, 0, 1024);
        library_->bind(host_);
        sim_joystick joystick{};
        std::strcpy(joystick.product_name, "Tamrilo Bench Stick");
        std::strcpy(joystick.instance_name, "Tamrilo Bench Stick");
        joystick.force_feedback = 1;
        joystick.axes = 4;
        joystick.buttons = 16;
        joystick.povs = 1;
        const int device = sim().sim_attach(&joystick);
        DIJOYSTATE state{};
        state.lX = 1234;
        state.lY = -4321;
        state.rgdwPOV[0] = 9000;
        state.rgbButtons[0] = state.rgbButtons[5] = 0x80;
        sim().sim_set_state(device, &state);
        for (const char* step : {"Get_Versionsnummer", "InitDirectInput", "InitJoystick_1"}) library_->call(step);
        for (const char* step : c.before) library_->call(step);
        measured_ = reinterpret_cast<Export>(library_->symbol(c.name));
        if (measured_ == nullptr) throw std::runtime_error(std::string("no export ") + c.name);
        // A first round, so that every lazy binding and first-time path is behind us.
        for (int i = 0; i < 16; ++i) measured_();
        forget();
    }

    Export measured() const { return measured_; }

    // What the host and the simulator keep of every call (lookups, the call log) is dropped
    // now and then, so that it stays small.
    void forget() {
        host_.clear_lookups();
        sim().sim_clear_log();
    }

private:
    engine::HostEngine host_;
    std::unique_ptr<engine::Library> library_;
    Export measured_ = nullptr;
};

// Calls between two forget() steps, and between two fresh sessions (the simulator's record of
// played effects only grows).
constexpr std::int64_t kForgetEvery = 256;
constexpr std::int64_t kSessionEvery = 1 << 14;

namespace {

void run_case(benchmark::State& state, const Case& c) {
    auto session = std::make_unique<Session>(c);
    const std::int64_t allocations_before = image_allocations();
    std::int64_t calls = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(session->measured()());
        ++calls;
        if (calls % kForgetEvery == 0) session->forget();
        if (calls % kSessionEvery == 0) {
            state.PauseTiming();
            session.reset();
            session = std::make_unique<Session>(c);
            state.ResumeTiming();
        }
    }
    const std::int64_t allocations = image_allocations() - allocations_before;
    state.counters["library_allocations"] = static_cast<double>(allocations);
    if (allocations != 0) state.SkipWithError("the library allocated on the heap");
}

}  // namespace
}  // namespace tamrilo::bench

// The loop scripts/bench has callgrind count: `n` calls of the measured export.
extern "C" __attribute__((noinline)) void tamrilo_bench_calls(tamrilo::bench::Session& session, int n) {
    for (int i = 0; i < n; ++i) {
        session.measured()();
        if ((i + 1) % tamrilo::bench::kForgetEvery == 0) session.forget();
    }
}

int main(int argc, char** argv) {
    using namespace tamrilo::bench;
    if (argc == 4 && std::strcmp(argv[1], "--calls") == 0) {
        for (const Case& c : kCases) {
            if (c.name != std::string(argv[2])) continue;
            Session session(c);
            tamrilo_bench_calls(session, std::atoi(argv[3]));
            return 0;
        }
        std::cerr << "tamrilo_bench: no case " << argv[2] << "\n";
        return 2;
    }
    if (argc == 2 && std::strcmp(argv[1], "--cases") == 0) {
        for (const Case& c : kCases) std::cout << c.name << "\n";
        return 0;
    }
    for (const Case& c : kCases) {
        benchmark::RegisterBenchmark(c.name, [&c](benchmark::State& state) { run_case(state, c); });
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
