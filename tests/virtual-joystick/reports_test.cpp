// Decoding the reports a virtual joystick received: every report kind, signed and unsigned
// fields at their offsets, and the per-block summary tests read effects from.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>

#include "virtual-joystick/control/reports.h"

namespace tamrilo::vjoy {
namespace {

vj_record record(std::initializer_list<unsigned char> bytes, unsigned char kind = VJ_RECORD_OUTPUT) {
    vj_record r{};
    r.kind = kind;
    r.length = static_cast<unsigned char>(bytes.size());
    std::memcpy(r.bytes, std::data(bytes), bytes.size());
    return r;
}

TEST(VirtualJoystickReports, DecodesEveryKind) {
    struct Case {
        vj_record raw;
        const char* text;
    };
    const Case cases[] = {
        {record({9, 4}), "control command=reset"},
        {record({9, 7}), "control command=#7"},
        {record({10, 0x10, 0x27}), "gain gain=10000"},
        {record({12, 3}, VJ_RECORD_FEATURE), "new type=sine"},
        // Set effect: block 2, square, infinite duration, no delay, sample period 1000 µs,
        // repeat 2000 µs, gain 10000, X and direction enabled, angles 14313 and 0.
        {record({2, 2, 2,    0xFF, 0xFF, 0xFF, 0xFF, 0,    0,    0,    0,    0xE8, 0x03,
                 0, 0, 0xD0, 0x07, 0,    0,    0x10, 0x27, 0x05, 0xE9, 0x37, 0,    0}),
         "effect block=2 type=square duration=-1 delay=0 sample-period=1000 repeat-interval=2000 gain=10000 axes=X "
         "direction=14313,0"},
        {record({2, 1, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x10, 0x27, 0x03, 0, 0, 0, 0}),
         "effect block=1 type=spring duration=0 delay=0 sample-period=0 repeat-interval=0 gain=10000 axes=X,Y "
         "direction=none"},
        {record({3, 1, 0x10, 0x27, 0, 0, 0x40, 0x42, 0x0F, 0, 0, 0, 0, 0}),
         "envelope block=1 attack-level=10000 fade-level=0 attack-time=1000000 fade-time=0"},
        // Condition, axis 1: offset -999, coefficients 6999 / -4999, saturations 10000 / 0, dead band 299.
        {record({4, 3, 1, 0x19, 0xFC, 0x57, 0x1B, 0x79, 0xEC, 0x10, 0x27, 0, 0, 0x2B, 0x01}),
         "condition block=3 axis=1 offset=-999 positive-coefficient=6999 negative-coefficient=-4999 "
         "positive-saturation=10000 negative-saturation=0 dead-band=299"},
        {record({5, 4, 0x0F, 0x27, 0x31, 0xF8, 0x28, 0x23, 0x00, 0x42, 0x0F, 0x00}),
         "periodic block=4 magnitude=9999 offset=-1999 phase=9000 period=999936"},
        {record({6, 1, 0x7A, 0xEC}), "constant block=1 magnitude=-4998"},
        {record({7, 5, 1, 1}), "operation block=5 operation=start loops=1"},
        {record({7, 5, 3, 0}), "operation block=5 operation=stop loops=0"},
        {record({8, 5}), "free block=5"},
        {record({0x42, 1, 2}), "unknown bytes=420102"},
        // A short report reads its missing bytes as 0.
        {record({6, 1}), "constant block=1 magnitude=0"},
    };
    for (const Case& c : cases) {
        const auto reports = decode({c.raw});
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].text(), c.text);
    }
}

TEST(VirtualJoystickReports, BlocksKeepTheLastValuesAndEveryOperation) {
    const auto reports = decode({
        record({6, 1, 0x7A, 0xEC}),
        record({7, 1, 1, 1}),
        record({4, 2, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
        record({4, 2, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
        record({6, 1, 0x0C, 0xF0}),
        record({9, 4}),
        record({7, 1, 3, 0}),
        record({8, 1}),
    });
    const auto b = blocks(reports);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b.at(1).constant["magnitude"], "-4084");
    EXPECT_EQ(b.at(1).operations, (std::vector<std::string>{"start", "stop", "free"}));
    EXPECT_EQ(b.at(2).conditions.size(), 2u);
    EXPECT_EQ(b.at(2).conditions.at(1)["offset"], "2");
    EXPECT_TRUE(b.at(2).operations.empty());
    EXPECT_EQ(reports[0][""], "");
}

}  // namespace
}  // namespace tamrilo::vjoy
