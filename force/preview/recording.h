// A run's forces, worked out by the force model once the script has finished from what its
// source recorded: one row per millisecond with each axis's position and force and each
// effect's share, and a band per effect telling when it played. The CSV and SVG writers draw
// from it as the rows are made.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "axis_slots.h"
#include "engine/sim_client.h"
#include "force/model.h"

namespace tamrilo::force::preview {

// What a script author calls the effect slot an export works on ("sine, slot 1", "placement
// spring"), or "" for an export that has no effect slot.
std::string slot_label(const std::string& export_name);

// What a script author calls an effect: "sine, slot 1", "placement spring". An export that
// creates effect objects gives them the name of its slot.
class EffectLabels {
public:
    // Call after each export: the effect objects created since `effects_before` get its label.
    void note_created(const std::string& export_name, int effects_before, const engine::SimClient& sim);
    // The label of an effect object; effects no export named are called by their type and id.
    std::string of(int effect, const GUID& type) const;

private:
    std::map<int, std::string> labels_;  // by effect object id
};

inline constexpr int kPlotColumns = 1090;  // the picture's pixel columns of time
const char* axis_name(int axis);           // "X", "Y", "Z", "RX", "RY", "RZ", "slider 0", "slider 1"

// Where a run's forces come from: the plays of one device in the order they began, where its
// stick went, and how long the run lasted. Plays are read by index as the walk reaches them,
// so a source need not hold them all.
struct ForceSource {
    int device = 0;
    long long end_us = 0;
    DWORD device_gain = DI_FFNOMINALMAX;
    force::StickMotion stick;
    std::size_t play_count = 0;
    std::function<force::Play(std::size_t)> play;
    std::function<std::string(int effect, force::Kind kind)> label;
    std::vector<std::string> notes;  // what the user should know about the source itself
};

// The simulated DirectInput's play history. The device drawn is the one the first effect played
// on, else device 0.
ForceSource simulator_source(const engine::SimClient& sim, const EffectLabels& labels);

// What is known of a run before its samples are made: the panels, the bands and the notes.
struct ForceTrace {
    struct Band {
        int effect = 0;
        std::string label;
        // [from, to) in milliseconds; stretches closer than a pixel column of the picture are
        // joined, so that an effect restarted every frame stays one bar.
        std::vector<std::pair<long long, long long>> spans_ms;
        std::string remarks;  // values outside DirectInput's ranges, …
    };

    int device = 0;
    long long end_ms = 0;
    std::vector<int> axes;  // the axis slots drawn: X and Y, and any other the stick or an effect uses
    std::vector<Band> bands;
    std::vector<std::string> notes;
};

// One millisecond of the run.
struct ForceRow {
    long long ms = 0;
    force::Positions position{};
    std::array<LONG, kAxisSlots> force{};
    // Per band, per drawn axis (band-major): its share, or none while it does not play.
    std::vector<std::optional<LONG>> share;
};

// Reads the plays once for the bands and axes.
ForceTrace plan_forces(const ForceSource& source);

// Makes a row for every millisecond from 0 to the end, in time order, and hands each to `take`:
// one pass over the plays, holding only those that are playing.
void walk_forces(const ForceSource& source, const ForceTrace& trace, const std::function<void(const ForceRow&)>& take);

}  // namespace tamrilo::force::preview
