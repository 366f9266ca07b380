// Reading a run's forces back from the simulated DirectInput.
#include "force/preview/recording.h"

#include <algorithm>
#include <cstring>

#include "effect_kinds.h"

namespace tamrilo::force::preview {

namespace {

using engine::SimClient;

// Export words of the effect slots and what a script author calls each.
struct SlotWord {
    const char* word;
    const char* label;
    bool numbered;
};
const SlotWord kSlotWords[] = {
    {"Const_Forces", "constant force", false},
    {"Placement", "placement spring", false},
    {"Friction", "friction", false},
    {"Damp", "damper", false},
    {"Sine_", "sine", true},
    {"Triangle_", "triangle", true},
    {"Quadrat_", "square", true},
    {"Periodic_Cresc_", "sawtooth up", true},
    {"Periodic_Decresc_", "sawtooth down", true},
};
const char* const kSlotVerbs[] = {"Define_", "Change_", "Play_", "Stop_"};

const char* const kAxisNames[kAxisSlots] = {"X", "Y", "Z", "RX", "RY", "RZ", "slider 0", "slider 1"};

bool starts_with(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

constexpr long long kUsPerMs = 1000;

// The label of the slot an export works on, or "" for an export that has no effect slot.
std::string label_for_export(const std::string& export_name) {
    for (const char* verb : kSlotVerbs) {
        if (!starts_with(export_name, verb)) continue;
        const std::string rest = export_name.substr(std::strlen(verb));
        for (const SlotWord& slot : kSlotWords) {
            if (!slot.numbered && rest == slot.word) return slot.label;
            if (slot.numbered && starts_with(rest, slot.word) && rest.size() > std::strlen(slot.word)) {
                return std::string(slot.label) + ", slot " + rest.substr(std::strlen(slot.word));
            }
        }
    }
    return "";
}

}  // namespace

const char* axis_name(int axis) { return axis >= 0 && axis < kAxisSlots ? kAxisNames[axis] : "?"; }

void EffectLabels::note_created(const std::string& export_name, int effects_before, const SimClient& sim) {
    if (!sim.available()) return;
    const std::string label = label_for_export(export_name);
    if (label.empty()) return;
    for (int i = effects_before; i < sim.sim_effect_count(); ++i) {
        sim_effect_info info{};
        if (sim.sim_get_effect(i, &info)) labels_[info.id] = label;
    }
}

std::string EffectLabels::of(int effect, const GUID& type) const {
    if (auto it = labels_.find(effect); it != labels_.end()) return it->second;
    if (const EffectKindRow* kind = find_effect_kind(type))
        return std::string(kind->label) + " #" + std::to_string(effect);
    return "effect #" + std::to_string(effect);
}

ForceTrace trace_forces(const SimClient& sim, const EffectLabels& labels) {
    ForceTrace trace;
    if (!sim.available()) {
        trace.notes.push_back("the loaded DirectInput is not the simulated one: no forces to draw");
        return trace;
    }
    const long long now_us = static_cast<long long>(std::min<unsigned long long>(sim.sim_clock(), 1ULL << 50));
    trace.end_ms = now_us / kUsPerMs;

    std::vector<sim_play> plays(static_cast<std::size_t>(sim.sim_play_count()));
    for (std::size_t i = 0; i < plays.size(); ++i) sim.sim_get_play(static_cast<int>(i), &plays[i]);
    if (!plays.empty()) trace.device = plays.front().device;

    // A band per effect object, in the order they first played.
    std::vector<int> band_of(plays.size(), -1);
    for (std::size_t i = 0; i < plays.size(); ++i) {
        const sim_play& play = plays[i];
        if (play.device != trace.device) continue;
        auto band = std::find_if(trace.bands.begin(), trace.bands.end(),
                                 [&](const auto& b) { return b.effect == play.effect; });
        if (band == trace.bands.end()) {
            trace.bands.push_back({play.effect, labels.of(play.effect, play.guid), {}, ""});
            band = trace.bands.end() - 1;
        }
        band_of[i] = static_cast<int>(band - trace.bands.begin());
        const long long end_us = play.end_us < 0 ? now_us : play.end_us;
        if (end_us > play.from_us)
            band->spans_ms.push_back({play.from_us / kUsPerMs, (end_us + kUsPerMs - 1) / kUsPerMs});
        if (play.remarks[0] != '\0' && band->remarks.find(play.remarks) == std::string::npos) {
            band->remarks += (band->remarks.empty() ? "" : "; ") + std::string(play.remarks);
        }
    }
    if (trace.bands.empty()) trace.notes.push_back("no effect played: positions only");

    bool used[kAxisSlots] = {true, true};
    std::vector<sim_force_sample> samples(static_cast<std::size_t>(trace.end_ms + 1));
    for (long long ms = 0; ms <= trace.end_ms; ++ms) {
        sim_force_sample& s = samples[static_cast<std::size_t>(ms)];
        if (!sim.sim_force_at(trace.device, ms * kUsPerMs, &s)) s = sim_force_sample{};
        for (int a = 0; a < kAxisSlots; ++a) used[a] = used[a] || s.position[a] != 0 || s.force[a] != 0;
    }
    for (int a = 0; a < kAxisSlots; ++a) {
        if (used[a]) trace.axes.push_back(a);
    }

    const std::size_t axes = trace.axes.size();
    trace.rows.resize(samples.size());
    for (std::size_t r = 0; r < samples.size(); ++r) {
        const sim_force_sample& s = samples[r];
        ForceTrace::Row& row = trace.rows[r];
        std::copy(std::begin(s.position), std::end(s.position), row.position);
        std::copy(std::begin(s.force), std::end(s.force), row.force);
        row.share.assign(trace.bands.size() * axes, std::nullopt);
        const int listed = std::min(s.contributions, SIM_MAX_CONTRIBUTIONS);
        for (int c = 0; c < listed; ++c) {
            const int band = band_of[static_cast<std::size_t>(s.play[c])];
            if (band < 0) continue;
            for (std::size_t a = 0; a < axes; ++a) {
                auto& share = row.share[static_cast<std::size_t>(band) * axes + a];
                share = share.value_or(0) + s.contribution[c][trace.axes[a]];
            }
        }
    }
    return trace;
}

}  // namespace tamrilo::force::preview
