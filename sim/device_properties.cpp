// Device properties: axis range, dead zone and saturation per axis, and the device's autocenter.
#include <cstdint>
#include <cstring>

#include "device.h"

namespace tamrilo::sim {

namespace {

// DirectInput names its predefined properties by small integers in place of a GUID address.
std::uintptr_t property_number(REFGUID property) { return reinterpret_cast<std::uintptr_t>(&property); }
const std::uintptr_t kRange = property_number(DIPROP_RANGE);
const std::uintptr_t kDeadZone = property_number(DIPROP_DEADZONE);
const std::uintptr_t kSaturation = property_number(DIPROP_SATURATION);
const std::uintptr_t kAutocenter = property_number(DIPROP_AUTOCENTER);
constexpr std::uintptr_t kLastPredefined = 0xFFFF;

constexpr DWORD kMaxFraction = 10000;

}  // namespace

AxisProperties default_axis_properties() {
    AxisProperties properties{};
    for (int axis = 0; axis < kAxisSlots; ++axis) {
        properties.range_max[axis] = 65535;
        properties.saturation[axis] = kMaxFraction;
    }
    return properties;
}

void describe_axis_properties(const AxisProperties& properties, sim_device_info& info) {
    std::memcpy(info.range_min, properties.range_min, sizeof info.range_min);
    std::memcpy(info.range_max, properties.range_max, sizeof info.range_max);
    std::memcpy(info.dead_zone, properties.dead_zone, sizeof info.dead_zone);
    std::memcpy(info.saturation, properties.saturation, sizeof info.saturation);
}

HRESULT DeviceObject::GetProperty(REFGUID property, LPDIPROPHEADER header) {
    Call call(SIM_OP_GET_PROPERTY, this);
    return call.finish(this->property(call, property, header, header));
}

HRESULT DeviceObject::SetProperty(REFGUID property, LPCDIPROPHEADER header) {
    Call call(SIM_OP_SET_PROPERTY, this);
    return call.finish(this->property(call, property, header, nullptr));
}

// Get and set share every check; `answer` is the header to fill for a get, null for a set.
HRESULT DeviceObject::property(Call& call, REFGUID guid, const DIPROPHEADER* header, DIPROPHEADER* answer) {
    const std::uintptr_t property_id = property_number(guid);
    DWORD* args = call.record().a;
    args[0] = property_id <= kAutocenter ? static_cast<DWORD>(property_id) : 0;
    bool is_range = property_id == kRange;
    if (header) {
        args[1] = header->dwSize;
        args[2] = header->dwHeaderSize;
        args[3] = header->dwObj;
        args[4] = header->dwHow;
        if (!answer && header->dwSize == (is_range ? sizeof(DIPROPRANGE) : sizeof(DIPROPDWORD))) {
            // Only a record of the right size has value fields to read.
            if (is_range) {
                const auto* range = reinterpret_cast<const DIPROPRANGE*>(header);
                args[5] = static_cast<DWORD>(range->lMin);
                args[6] = static_cast<DWORD>(range->lMax);
            } else {
                args[5] = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
            }
        }
    }
    if (call.refused()) return call.finish();
    if (property_id > kLastPredefined) return DIERR_UNSUPPORTED;
    if (property_id != kRange && property_id != kDeadZone && property_id != kSaturation && property_id != kAutocenter)
        return DIERR_UNSUPPORTED;
    if (!header) return DIERR_INVALIDPARAM;
    if (header->dwSize != (is_range ? sizeof(DIPROPRANGE) : sizeof(DIPROPDWORD)) ||
        header->dwHeaderSize != sizeof(DIPROPHEADER)) {
        return DIERR_INVALIDPARAM;
    }
    if (header->dwHow == DIPH_DEVICE && header->dwObj != 0) return DIERR_INVALIDPARAM;

    if (property_id == kAutocenter) {
        if (header->dwHow != DIPH_DEVICE) return DIERR_INVALIDPARAM;
        if (answer) {
            reinterpret_cast<DIPROPDWORD*>(answer)->dwData = args[5] = autocenter_;
            return DI_OK;
        }
        if (status_ == Status::acquired) return DIERR_ACQUIRED;
        if (args[5] > DIPROPAUTOCENTER_ON) return DIERR_INVALIDPARAM;
        autocenter_ = args[5];
        return DI_OK;
    }

    // An axis property names one axis by offset, or, when set for the whole device, every axis.
    int first = 0, last = kAxisSlots - 1;
    if (header->dwHow == DIPH_BYOFFSET) {
        first = last = axis_at(header->dwObj);
        if (first < 0) return DIERR_OBJECTNOTFOUND;
    } else if (header->dwHow == DIPH_BYID) {
        return DIERR_OBJECTNOTFOUND;  // no object ids are handed out
    } else if (header->dwHow != DIPH_DEVICE || answer) {
        return DIERR_INVALIDPARAM;
    }

    if (answer) {
        if (is_range) {
            auto* range = reinterpret_cast<DIPROPRANGE*>(answer);
            range->lMin = properties_.range_min[first];
            range->lMax = properties_.range_max[first];
            args[5] = static_cast<DWORD>(range->lMin);
            args[6] = static_cast<DWORD>(range->lMax);
        } else {
            const DWORD* values = property_id == kDeadZone ? properties_.dead_zone : properties_.saturation;
            reinterpret_cast<DIPROPDWORD*>(answer)->dwData = args[5] = values[first];
        }
        return DI_OK;
    }
    if (is_range) {
        if (static_cast<LONG>(args[5]) > static_cast<LONG>(args[6])) return DIERR_INVALIDPARAM;
    } else if (args[5] > kMaxFraction) {
        return DIERR_INVALIDPARAM;
    }
    for (int axis = first; axis <= last; ++axis) {
        if (is_range) {
            properties_.range_min[axis] = static_cast<LONG>(args[5]);
            properties_.range_max[axis] = static_cast<LONG>(args[6]);
        } else {
            (property_id == kDeadZone ? properties_.dead_zone : properties_.saturation)[axis] = args[5];
        }
    }
    return DI_OK;
}

}  // namespace tamrilo::sim
