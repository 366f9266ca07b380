// The plays a device was told about, read from its reports in arrival order.
#include "force/preview/device.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>

#include "effect_kinds.h"

namespace tamrilo::force::preview {

namespace {

using namespace vjoy;

// A loop count the device takes as "until stopped".
constexpr std::int32_t kEndlessLoops = 255;

// One effect block as the device holds it, and the play it is in, if any.
struct HeldBlock {
    int effect = 0;  // the effect this definition of the block is
    Kind kind = Kind::constant_force;
    Parameters params;
    std::int32_t gain = 0;  // the block's own, before the device gain
    std::map<int, DICONDITION> conditions;
    std::int32_t loops = 1;           // of its last start
    std::optional<std::size_t> play;  // index of its open play
};

class PlayReader {
public:
    void read(const Report& r, const std::string& label) {
        const std::int64_t t = std::max<std::int64_t>(r.time_us, 0);
        if (const auto* control = std::get_if<DeviceControl>(&r.payload)) {
            switch (control->command) {
                case VJ_DC_STOP_ALL:
                case VJ_DC_PAUSE:
                case VJ_DC_DISABLE_ACTUATORS: stop_all(t); break;
                case VJ_DC_RESET:
                    stop_all(t);
                    held_.clear();
                    break;
                default: break;
            }
            return;
        }
        if (const auto* gain = std::get_if<DeviceGain>(&r.payload)) {
            device_gain_ = gain->gain;
            for (auto& [block, held] : held_) renew(held, t);
            return;
        }
        if (r.block == 0) return;
        if (std::holds_alternative<BlockFree>(r.payload)) {
            if (auto it = held_.find(r.block); it != held_.end()) {
                stop(it->second, t);
                held_.erase(it);
            }
            return;
        }
        if (const auto* op = std::get_if<Operation>(&r.payload)) {
            auto it = held_.find(r.block);
            if (it == held_.end()) return;  // an operation on a block the device never got
            if (op->operation == VJ_OP_START_SOLO) stop_all(t);
            stop(it->second, t);
            if (op->operation == VJ_OP_START || op->operation == VJ_OP_START_SOLO) start(it->second, t, op->loops);
            return;
        }
        HeldBlock& held = block(r.block, label);
        if (const auto* effect = std::get_if<SetEffect>(&r.payload)) {
            if (effect->type >= 1 && effect->type <= std::size(kEffectKinds))
                held.kind = kEffectKinds[effect->type - 1].kind;
            // A negative time is the device's "infinite".
            held.params.duration = effect->duration < 0 ? INFINITE : static_cast<DWORD>(effect->duration);
            held.gain = effect->gain;
            // The direction is an angle clockwise from north: a polar direction over X and Y.
            // The device is not told which axes an effect uses; the stick's two are the ones it has.
            held.params.direction = {effect->direction[0], 0, 0, 0};
        } else if (const auto* constant = std::get_if<SetConstant>(&r.payload)) {
            held.params.constant = DICONSTANTFORCE{constant->magnitude};
        } else if (const auto* periodic = std::get_if<SetPeriodic>(&r.payload)) {
            held.params.periodic =
                DIPERIODIC{static_cast<DWORD>(periodic->magnitude), periodic->offset,
                           static_cast<DWORD>(periodic->phase), static_cast<DWORD>(periodic->period)};
        } else if (const auto* condition = std::get_if<SetCondition>(&r.payload)) {
            held.conditions[condition->axis] = DICONDITION{condition->offset,
                                                           condition->positive_coefficient,
                                                           condition->negative_coefficient,
                                                           static_cast<DWORD>(condition->positive_saturation),
                                                           static_cast<DWORD>(condition->negative_saturation),
                                                           condition->dead_band};
            held.params.conditions.clear();
            for (const auto& [axis, c] : held.conditions) held.params.conditions.push_back(c);
        } else if (std::holds_alternative<SetEnvelope>(r.payload)) {
            held.params.has_envelope = true;
        } else {
            return;
        }
        renew(held, t);
    }

    void finish(std::int64_t end_us) { stop_all(end_us); }

    std::vector<Play> plays;
    std::map<int, std::string> labels;  // by effect

private:
    // The block, defined now by the export `label` names when the device does not hold it yet.
    HeldBlock& block(int number, const std::string& label) {
        auto [it, added] = held_.try_emplace(number);
        if (added) {
            HeldBlock& held = it->second;
            held.effect = ++effects_;
            held.params.flags = DIEFF_OBJECTOFFSETS | DIEFF_POLAR;
            held.params.axis_count = 2;
            held.params.axes = {DIJOFS_X, DIJOFS_Y, 0, 0};
            if (!label.empty()) labels[held.effect] = label;
        }
        return it->second;
    }

    Play play_of(const HeldBlock& held, std::int64_t started_us, std::int64_t from_us) const {
        Play play;
        play.effect = held.effect;
        play.kind = held.kind;
        play.params = held.params;
        play.params.gain = static_cast<DWORD>(std::clamp<std::int64_t>(
            static_cast<std::int64_t>(held.gain) * device_gain_ / DI_FFNOMINALMAX, 0, DI_FFNOMINALMAX));
        // A start with loops plays the effect that many times over, or until stopped.
        if (held.loops >= kEndlessLoops) {
            play.params.duration = INFINITE;
        } else if (held.loops > 1 && play.params.duration != INFINITE) {
            play.params.duration = static_cast<DWORD>(
                std::min<std::int64_t>(static_cast<std::int64_t>(play.params.duration) * held.loops, INFINITE - 1));
        }
        play.started_us = started_us;
        play.from_us = from_us;
        return play;
    }

    void start(HeldBlock& held, std::int64_t t, std::int32_t loops) {
        held.loops = loops;
        held.play = plays.size();
        plays.push_back(play_of(held, t, t));
    }

    void stop(HeldBlock& held, std::int64_t t) {
        if (!held.play) return;
        plays[*held.play].until_us = t;
        held.play.reset();
    }

    void stop_all(std::int64_t t) {
        for (auto& [number, held] : held_) stop(held, t);
    }

    // New parameters take over a playing block from now on, in the same play.
    void renew(HeldBlock& held, std::int64_t t) {
        if (!held.play) return;
        const std::int64_t started_us = plays[*held.play].started_us;
        plays[*held.play].until_us = t;
        held.play = plays.size();
        plays.push_back(play_of(held, started_us, t));
    }

    std::map<int, HeldBlock> held_;  // by block number
    std::int32_t device_gain_ = DI_FFNOMINALMAX;
    int effects_ = 0;
};

}  // namespace

ForceSource device_source(const DeviceRecording& recording) {
    PlayReader reader;
    for (const auto& batch : recording.batches) {
        const std::string label = slot_label(batch.export_name);
        for (const Report& report : batch.reports) reader.read(report, label);
    }
    reader.finish(recording.end_us);

    ForceSource source;
    source.end_us = recording.end_us;
    source.stick = recording.stick;
    auto plays = std::make_shared<const std::vector<Play>>(std::move(reader.plays));
    source.play_count = plays->size();
    source.play = [plays](std::size_t index) { return (*plays)[index]; };
    source.label = [labels = std::move(reader.labels)](int effect, Kind kind) {
        if (auto it = labels.find(effect); it != labels.end()) return it->second;
        return std::string(effect_kind(kind).label) + " #" + std::to_string(effect);
    };
    if (recording.lost_reports != 0) {
        source.notes.push_back(std::to_string(recording.lost_reports) +
                               " reports did not fit the device's log: the forces after them may be wrong");
    }
    return source;
}

}  // namespace tamrilo::force::preview
