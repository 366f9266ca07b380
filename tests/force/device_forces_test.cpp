// The forces a device was sent, read from its reports: what Wine's DirectInput sends for the
// library's effects must draw the same forces as the simulator's record of the same calls.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "force/preview/device.h"

namespace tamrilo::force::preview {
namespace {

using namespace vjoy;

Report at(std::int64_t ms, int block, Payload payload) { return {ms * 1000, block, std::move(payload)}; }

SetEffect effect(unsigned type, std::int32_t direction = 9000, std::int32_t gain = 10000) {
    SetEffect e;
    e.type = type;
    e.duration = -1;
    e.gain = gain;
    e.enable = SetEffect::kDirection;
    e.direction = {direction, 0};
    return e;
}
const Operation kStart{VJ_OP_START, 1};
const Operation kStop{VJ_OP_STOP, 0};

// The force on X and Y at each millisecond asked for.
std::map<long long, std::pair<LONG, LONG>> forces_at(const DeviceRecording& recording,
                                                     const std::vector<long long>& times) {
    const ForceSource source = device_source(recording);
    const ForceTrace trace = plan_forces(source);
    std::map<long long, std::pair<LONG, LONG>> out;
    walk_forces(source, trace, [&](const ForceRow& row) {
        if (std::find(times.begin(), times.end(), row.ms) != times.end()) out[row.ms] = {row.force[0], row.force[1]};
    });
    return out;
}

TEST(DeviceForces, ReportsPlayAsTheModelSays) {
    struct Case {
        const char* what;
        std::vector<Report> reports;
        Positions stick;
        std::map<long long, std::pair<LONG, LONG>> expected;
    };
    const Case cases[] = {
        // The library's (10000, 10000) constant force: magnitude -10000 from the south-east.
        {"diagonal constant force",
         {at(0, 1, SetConstant{-10000}), at(0, 1, effect(VJ_ET_CONSTANT, 13500)), at(100, 1, kStart),
          at(300, 1, kStop)},
         {},
         {{50, {0, 0}}, {200, {7071, 7071}}, {300, {0, 0}}}},
        {"new parameters while playing, then the device gain halved",
         {at(0, 1, SetConstant{4000}), at(0, 1, effect(VJ_ET_CONSTANT)), at(0, 1, kStart),
          at(100, 1, SetConstant{-2000}), at(200, 0, DeviceGain{5000})},
         {},
         {{50, {-4000, 0}}, {150, {2000, 0}}, {250, {1000, 0}}}},
        // A square wave of 100 ms from the east: -5000 for the first half of each period.
        {"square wave",
         {at(0, 2, SetPeriodic{5000, 0, 0, 100000}), at(0, 2, effect(VJ_ET_SQUARE)), at(10, 2, kStart)},
         {},
         {{20, {-5000, 0}}, {70, {5000, 0}}, {120, {-5000, 0}}}},
        // A spring per axis with full saturation pulls the stick back to the centre.
        {"spring on each axis",
         {at(0, 3, SetCondition{0, 0, 10000, 10000, 10000, 10000, 0}),
          at(0, 3, SetCondition{1, 0, 5000, 5000, 10000, 10000, 0}), at(0, 3, effect(VJ_ET_SPRING)), at(0, 3, kStart)},
         {6000, -4000},
         {{10, {-6000, 2000}}}},
        {"a device reset and a block freed end what plays",
         {at(0, 1, SetConstant{3000}), at(0, 1, effect(VJ_ET_CONSTANT)), at(0, 1, kStart), at(0, 2, SetConstant{1000}),
          at(0, 2, effect(VJ_ET_CONSTANT)), at(0, 2, kStart), at(100, 1, BlockFree{}),
          at(200, 0, DeviceControl{VJ_DC_RESET}), at(300, 2, kStart)},
         {},
         {{50, {-4000, 0}}, {150, {-1000, 0}}, {250, {0, 0}}, {350, {0, 0}}}},
    };
    for (const Case& c : cases) {
        DeviceRecording recording;
        recording.batches.push_back({"", c.reports});
        recording.stick.place(0, c.stick);
        recording.end_us = 400000;
        EXPECT_EQ(forces_at(recording,
                            [&] {
                                std::vector<long long> times;
                                for (const auto& [ms, f] : c.expected) times.push_back(ms);
                                return times;
                            }()),
                  c.expected)
            << c.what;
    }
}

// Each definition of a block is an effect of its own, named after the export that defined it.
TEST(DeviceForces, BandsNameTheSlotOfEachDefinition) {
    DeviceRecording recording;
    recording.batches = {
        {"Define_Sine_1", {at(0, 1, SetPeriodic{5000, 0, 0, 100000}), at(0, 1, effect(VJ_ET_SINE))}},
        {"Play_Sine_1", {at(10, 1, kStart)}},
        {"Stop_Sine_1", {at(20, 1, kStop), at(20, 1, BlockFree{})}},
        {"", {at(30, 1, SetConstant{1000}), at(30, 1, effect(VJ_ET_CONSTANT)), at(40, 1, kStart)}},
    };
    recording.end_us = 100000;
    const ForceTrace trace = plan_forces(device_source(recording));
    std::vector<std::string> labels;
    for (const auto& band : trace.bands) labels.push_back(band.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"sine, slot 1", "constant force #2"}));
}

}  // namespace
}  // namespace tamrilo::force::preview
