// The copies of effect parameters that the log and the effect objects keep.
#include <algorithm>
#include <cstring>

#include "sim/effect.h"

namespace tamrilo::sim {

void copy_effect_params(sim_effect_params& into, const DIEFFECT& effect, DWORD flags) {
    into.size = effect.dwSize;
    if (effect.dwSize < sizeof(DIEFFECT)) return;
    into.flags = effect.dwFlags;
    if (flags & DIEP_DURATION) into.duration = effect.dwDuration;
    if (flags & DIEP_SAMPLEPERIOD) into.sample_period = effect.dwSamplePeriod;
    if (flags & DIEP_GAIN) into.gain = effect.dwGain;
    if (flags & DIEP_TRIGGERBUTTON) into.trigger_button = effect.dwTriggerButton;
    if (flags & DIEP_TRIGGERREPEATINTERVAL) into.trigger_repeat_interval = effect.dwTriggerRepeatInterval;
    DWORD kept = std::min<DWORD>(effect.cAxes, 4);
    if (flags & DIEP_AXES) {
        into.axis_count = effect.cAxes;
        into.has_axes = effect.rgdwAxes != nullptr;
        std::memset(into.axes, 0, sizeof into.axes);
        if (effect.rgdwAxes) std::memcpy(into.axes, effect.rgdwAxes, kept * sizeof(DWORD));
    }
    if (flags & DIEP_DIRECTION) {
        into.has_direction = effect.rglDirection != nullptr;
        std::memset(into.direction, 0, sizeof into.direction);
        if (effect.rglDirection) std::memcpy(into.direction, effect.rglDirection, kept * sizeof(LONG));
    }
    if (flags & DIEP_ENVELOPE) into.has_envelope = effect.lpEnvelope != nullptr;
    if (flags & DIEP_TYPESPECIFICPARAMS) {
        into.type_specific_size = effect.cbTypeSpecificParams;
        std::memset(into.type_specific, 0, sizeof into.type_specific);
        if (effect.lpvTypeSpecificParams) {
            std::memcpy(into.type_specific, effect.lpvTypeSpecificParams,
                        std::min<std::size_t>(effect.cbTypeSpecificParams, sizeof into.type_specific));
        }
    }
}

}  // namespace tamrilo::sim
