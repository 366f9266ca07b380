// A run's forces: read back from the simulated DirectInput, and sampled by the force model.
#include "force/preview/recording.h"

#include <algorithm>
#include <cstring>

#include "effect_kinds.h"
#include "sim/model_parameters.h"

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

}  // namespace

std::string slot_label(const std::string& export_name) {
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

const char* axis_name(int axis) { return axis >= 0 && axis < kAxisSlots ? kAxisNames[axis] : "?"; }

void EffectLabels::note_created(const std::string& export_name, int effects_before, const SimClient& sim) {
    if (!sim.available()) return;
    const std::string label = slot_label(export_name);
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

ForceSource simulator_source(const SimClient& sim, const EffectLabels& labels) {
    ForceSource source;
    if (!sim.available()) {
        source.notes.push_back("the loaded DirectInput is not the simulated one: no forces to draw");
        return source;
    }
    source.end_us = static_cast<long long>(std::min<unsigned long long>(sim.sim_clock(), 1ULL << 50));
    source.play_count = static_cast<std::size_t>(std::max(sim.sim_play_count(), 0));
    source.play = [sim](std::size_t index) {
        sim_play recorded{};
        sim.sim_get_play(static_cast<int>(index), &recorded);
        force::Play play;
        play.effect = recorded.effect;
        play.device = recorded.device;
        const EffectKindRow* kind = find_effect_kind(recorded.guid);
        play.kind = kind ? kind->kind : force::Kind::constant_force;
        play.params = sim::model_parameters(play.kind, recorded.params);
        play.started_us = recorded.started_us;
        play.from_us = recorded.from_us;
        play.until_us = recorded.until_us < 0 ? force::kOpen : recorded.until_us;
        return play;
    };
    if (source.play_count > 0) source.device = source.play(0).device;
    source.label = [labels](int effect, force::Kind kind) { return labels.of(effect, *effect_kind(kind).guid); };
    sim_stick_move move{};
    for (int i = 0; sim.sim_get_stick_move(source.device, i, &move); ++i) {
        force::Positions to;
        std::copy(std::begin(move.to), std::end(move.to), to.begin());
        source.stick.move(move.start_us, to, move.duration_us);
    }
    return source;
}

ForceTrace plan_forces(const ForceSource& source) {
    ForceTrace trace;
    trace.device = source.device;
    trace.end_ms = source.end_us / kUsPerMs;
    trace.notes = source.notes;
    const long long join_ms = trace.end_ms / kPlotColumns;

    bool used[kAxisSlots] = {true, true};
    for (const auto& move : source.stick.moves()) {
        for (int a = 0; a < kAxisSlots; ++a) used[a] = used[a] || move.to[static_cast<std::size_t>(a)] != 0;
    }
    for (std::size_t i = 0; i < source.play_count; ++i) {
        const force::Play play = source.play(i);
        if (play.device != source.device) continue;
        for (int axis : force::pushed_axes(play)) used[axis] = true;
        // A band per effect object, in the order they first played.
        auto band = std::find_if(trace.bands.begin(), trace.bands.end(),
                                 [&](const auto& b) { return b.effect == play.effect; });
        if (band == trace.bands.end()) {
            trace.bands.push_back({play.effect, source.label(play.effect, play.kind), {}, ""});
            band = trace.bands.end() - 1;
        }
        std::int64_t end_us = std::min<std::int64_t>(play.until_us, source.end_us);
        if (play.params.duration != INFINITE)
            end_us = std::min<std::int64_t>(end_us, play.started_us + play.params.duration);
        if (end_us > play.from_us) {
            const std::pair<long long, long long> span{play.from_us / kUsPerMs, (end_us + kUsPerMs - 1) / kUsPerMs};
            if (!band->spans_ms.empty() && span.first - band->spans_ms.back().second <= join_ms)
                band->spans_ms.back().second = std::max(band->spans_ms.back().second, span.second);
            else
                band->spans_ms.push_back(span);
        }
        for (const std::string& remark : force::remarks(play)) {
            if (band->remarks.find(remark) == std::string::npos)
                band->remarks += (band->remarks.empty() ? "" : "; ") + remark;
        }
    }
    if (trace.bands.empty()) trace.notes.push_back("no effect played: positions only");
    for (int a = 0; a < kAxisSlots; ++a) {
        if (used[a]) trace.axes.push_back(a);
    }
    return trace;
}

void walk_forces(const ForceSource& source, const ForceTrace& trace, const std::function<void(const ForceRow&)>& take) {
    struct Playing {
        force::Play play;
        std::size_t band;
    };
    std::map<int, std::size_t> band_of;  // by effect
    for (std::size_t b = 0; b < trace.bands.size(); ++b) band_of[trace.bands[b].effect] = b;
    const std::size_t axes = trace.axes.size();

    std::vector<Playing> playing;
    std::optional<force::Play> pending;  // the next play to begin
    std::size_t next = 0;
    ForceRow row;
    std::vector<force::Forces> contributions;
    for (long long ms = 0; ms <= trace.end_ms; ++ms) {
        const std::int64_t t_us = ms * kUsPerMs;
        for (;;) {
            if (!pending && next < source.play_count) pending = source.play(next++);
            if (!pending || pending->from_us > t_us) break;
            if (pending->device == source.device) playing.push_back({*pending, band_of.at(pending->effect)});
            pending.reset();
        }
        // Time only goes on: a play that has begun and pushes no more never will again.
        std::erase_if(playing, [&](const Playing& p) { return !p.play.playing_at(t_us); });

        row.ms = ms;
        row.position = source.stick.at(t_us);
        row.share.assign(trace.bands.size() * axes, std::nullopt);
        contributions.clear();
        for (const Playing& p : playing) {
            contributions.push_back(force::contribution(p.play, t_us, source.stick, source.device_gain));
            for (std::size_t a = 0; a < axes; ++a) {
                auto& share = row.share[p.band * axes + a];
                share =
                    share.value_or(0) + force::rounded(contributions.back()[static_cast<std::size_t>(trace.axes[a])]);
            }
        }
        row.force = force::total(contributions);
        take(row);
    }
}

}  // namespace tamrilo::force::preview
