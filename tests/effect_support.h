// Reading back what the effect exports handed to the simulated DirectInput.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "harness.h"

namespace tamrilo::test {

// The type-specific block of a logged or stored DIEFFECT.
template <class Block>
Block block_of(const sim_effect_params& params) {
    Block block{};
    std::memcpy(&block, params.type_specific, sizeof block);
    return block;
}

struct Conditions {
    DICONDITION x, y;
};

inline std::vector<sim_effect_info> effects() {
    std::vector<sim_effect_info> out(static_cast<std::size_t>(sim().sim_effect_count()));
    for (std::size_t i = 0; i < out.size(); ++i) sim().sim_get_effect(static_cast<int>(i), &out[i]);
    return out;
}

inline sim_effect_info effect_by_id(int id) {
    for (const auto& e : effects()) {
        if (e.id == id) return e;
    }
    ADD_FAILURE() << "no effect object " << id;
    return {};
}

// The effect GUID a DIEFFECT was created with, compared by value.
inline bool same_guid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The 25 periodic slots by export word and variable prefix.
struct Waveform {
    const char* word;
    const char* prefix;
    GUID guid;
};
inline const std::vector<Waveform>& waveforms() {
    static const std::vector<Waveform> w = {
        {"Sine", "sine", GUID_Sine},
        {"Triangle", "triangle", GUID_Triangle},
        {"Quadrat", "quadrat", GUID_Square},
        {"Periodic_Cresc", "periodic_cresc", GUID_SawtoothUp},
        {"Periodic_Decresc", "periodic_decresc", GUID_SawtoothDown},
    };
    return w;
}

struct PeriodicSlotName {
    std::string define, play, stop, offset, magnitude, period;
    bool square;
    GUID guid;
};
inline std::vector<PeriodicSlotName> periodic_slots() {
    std::vector<PeriodicSlotName> out;
    for (const auto& w : waveforms()) {
        for (int n = 1; n <= 5; ++n) {
            const std::string word = std::string(w.word) + "_" + std::to_string(n);
            const std::string var = std::string(w.prefix) + "_" + std::to_string(n);
            out.push_back({"Define_" + word, "Play_" + word, "Stop_" + word, var + "_null", var + "_hight",
                           var + "_time", std::string(w.word) == "Quadrat", w.guid});
        }
    }
    return out;
}

// The effect exports that are not periodic, by family.
struct NamedFamily {
    const char* define;
    const char* change;
    const char* stop;
    GUID guid;
};
inline const std::vector<NamedFamily>& other_families() {
    static const std::vector<NamedFamily> f = {
        {"Define_Const_Forces", "Change_Const_Forces", "Stop_Const_Forces", GUID_ConstantForce},
        {"Define_Placement", "Change_Placement", "Stop_Placement", GUID_Spring},
        {"Define_Friction", "Change_Friction", "Stop_Friction", GUID_Friction},
        {"Define_Damp", "Change_Damp", "Stop_Damp", GUID_Damper},
    };
    return f;
}

// The record fields every effect fills alike, and the ones that tell the families apart.
inline void expect_common_record(const sim_effect_params& p, DWORD flags, DWORD sample_period, DWORD repeat_interval,
                                 DWORD block_size) {
    EXPECT_EQ(p.size, sizeof(DIEFFECT));
    EXPECT_EQ(p.flags, flags);
    EXPECT_EQ(p.duration, 0xFFFFFFFFu);
    EXPECT_EQ(p.sample_period, sample_period);
    EXPECT_EQ(p.gain, 10000u);
    EXPECT_EQ(p.trigger_button, 0xFFFFFFFFu);
    EXPECT_EQ(p.trigger_repeat_interval, repeat_interval);
    EXPECT_EQ(p.axis_count, 2u);
    EXPECT_FALSE(p.has_envelope);
    EXPECT_EQ(p.type_specific_size, block_size);
}

// Fixed-point host values.
constexpr Fixed fx(int number) { return number * 1024; }

}  // namespace tamrilo::test
