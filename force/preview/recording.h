// A run's forces, read back from the simulated DirectInput once the script has finished: one
// row per millisecond of simulated time with each axis's position and force and each effect's
// share, and a band per effect telling when it played. The CSV and SVG writers draw from it.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "axis_slots.h"
#include "engine/sim_client.h"

namespace tamrilo::force::preview {

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

const char* axis_name(int axis);  // "X", "Y", "Z", "RX", "RY", "RZ", "slider 0", "slider 1"

struct ForceTrace {
    struct Band {
        int effect = 0;
        std::string label;
        std::vector<std::pair<long long, long long>> spans_ms;  // [from, to) in milliseconds
        std::string remarks;                                    // values outside DirectInput's ranges, …
    };
    struct Row {
        LONG position[kAxisSlots];
        LONG force[kAxisSlots];
        // Per band, per drawn axis (band-major): its share, or none while it does not play.
        std::vector<std::optional<LONG>> share;
    };

    int device = 0;
    long long end_ms = 0;
    std::vector<int> axes;  // the axis slots drawn: X and Y, and any other that moves or is pushed
    std::vector<Band> bands;
    std::vector<Row> rows;  // one for each millisecond from 0 to end_ms
    std::vector<std::string> notes;
};

// Samples the simulator every millisecond from 0 to its clock's present time. The device drawn
// is the one the first effect played on, else device 0.
ForceTrace trace_forces(const engine::SimClient& sim, const EffectLabels& labels);

}  // namespace tamrilo::force::preview
