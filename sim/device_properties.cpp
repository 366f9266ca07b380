// Device properties: axis range, dead zone and saturation per axis, and the device's autocenter.
// A call is read once into a request; the checks every property shares come first, then the
// step of the property asked for: an axis property's get or set, or the autocenter.
#include <cstdint>
#include <cstring>

#include "sim/device.h"

namespace tamrilo::sim {

namespace {

using platform::property_number;
const std::uintptr_t kRange = property_number(DIPROP_RANGE);
const std::uintptr_t kDeadZone = property_number(DIPROP_DEADZONE);
const std::uintptr_t kSaturation = property_number(DIPROP_SATURATION);
const std::uintptr_t kAutocenter = property_number(DIPROP_AUTOCENTER);

constexpr DWORD kMaxFraction = 10000;

}  // namespace

// One GetProperty or SetProperty call, read from its arguments once.
struct PropertyRequest {
    enum class Access { get, set };
    enum class Property { range, dead_zone, saturation, autocenter, unsupported };

    Access access;
    Property property;
    DWORD logged_number;         // the property's number as the log gives it: 1 to 9, else 0
    const DIPROPHEADER* header;  // null when the caller gave none
    bool record_fits = false;    // dwSize is that of the property's record: only then are its values there
    // The axes an axis property names, first to last, or why it names none.
    int first_axis = 0, last_axis = kAxisSlots - 1;
    HRESULT axes_found = DI_OK;
    // The value: what a set gives, from a record that fits, or what a get answers.
    DWORD data = 0;
    LONG min = 0, max = 0;
};

namespace {

using Access = PropertyRequest::Access;
using Property = PropertyRequest::Property;

Property property_of(std::uintptr_t number) {
    if (number == kRange) return Property::range;
    if (number == kDeadZone) return Property::dead_zone;
    if (number == kSaturation) return Property::saturation;
    if (number == kAutocenter) return Property::autocenter;
    return Property::unsupported;
}

PropertyRequest read_request(Access access, REFGUID guid, const DIPROPHEADER* header, const DeviceObject& device) {
    const std::uintptr_t number = property_number(guid);
    PropertyRequest request{.access = access,
                            .property = property_of(number),
                            .logged_number = number <= kAutocenter ? static_cast<DWORD>(number) : 0,
                            .header = header};
    if (!header) return request;
    const bool is_range = request.property == Property::range;
    request.record_fits = header->dwSize == (is_range ? sizeof(DIPROPRANGE) : sizeof(DIPROPDWORD));
    if (access == Access::set && request.record_fits) {
        if (is_range) {
            const auto* range = reinterpret_cast<const DIPROPRANGE*>(header);
            request.min = range->lMin;
            request.max = range->lMax;
        } else {
            request.data = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
        }
    }
    // An axis property names one axis by offset, or, when set for the whole device, every axis.
    if (header->dwHow == DIPH_BYOFFSET) {
        request.first_axis = request.last_axis = device.axis_at(header->dwObj);
        if (request.first_axis < 0) request.axes_found = DIERR_OBJECTNOTFOUND;
    } else if (header->dwHow == DIPH_BYID) {
        request.axes_found = DIERR_OBJECTNOTFOUND;  // no object ids are handed out
    } else if (header->dwHow != DIPH_DEVICE || access == Access::get) {
        request.axes_found = DIERR_INVALIDPARAM;
    }
    return request;
}

// Fills the caller's record of the property with the value a get answers.
void write_value(DIPROPHEADER& header, const PropertyRequest& request) {
    if (request.property == Property::range) {
        auto& range = reinterpret_cast<DIPROPRANGE&>(header);
        range.lMin = request.min;
        range.lMax = request.max;
    } else {
        reinterpret_cast<DIPROPDWORD&>(header).dwData = request.data;
    }
}

// a5 and a6 of the log: the value, as the property's record holds it.
void log_value(sim_call& record, const PropertyRequest& request) {
    if (request.property == Property::range) {
        record.a[5] = static_cast<DWORD>(request.min);
        record.a[6] = static_cast<DWORD>(request.max);
    } else {
        record.a[5] = request.data;
    }
}

// The property and the header as the caller gave them, and the value a set gives, whatever the
// call's outcome.
void log_request(sim_call& record, const PropertyRequest& request) {
    record.a[0] = request.logged_number;
    if (const DIPROPHEADER* header = request.header) {
        record.a[1] = header->dwSize;
        record.a[2] = header->dwHeaderSize;
        record.a[3] = header->dwObj;
        record.a[4] = header->dwHow;
    }
    if (request.access == Access::set && request.record_fits) log_value(record, request);
}

// The checks every property shares, before the step of its own.
HRESULT check_request(const PropertyRequest& request) {
    if (request.property == Property::unsupported) return DIERR_UNSUPPORTED;
    const DIPROPHEADER* header = request.header;
    if (!header || !request.record_fits || header->dwHeaderSize != sizeof(DIPROPHEADER)) return DIERR_INVALIDPARAM;
    // The whole device is no object of its own.
    if (header->dwHow == DIPH_DEVICE && header->dwObj != 0) return DIERR_INVALIDPARAM;
    return DI_OK;
}

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
    PropertyRequest request = read_request(Access::get, property, header, *this);
    log_request(call.record(), request);
    if (call.refused()) return call.finish();
    HRESULT result = check_request(request);
    if (result == DI_OK) {
        result = request.property == Property::autocenter ? autocenter(request) : get_axis_property(request);
    }
    if (result != DI_OK) return call.finish(result);
    write_value(*header, request);
    log_value(call.record(), request);
    return call.finish(DI_OK);
}

HRESULT DeviceObject::SetProperty(REFGUID property, LPCDIPROPHEADER header) {
    Call call(SIM_OP_SET_PROPERTY, this);
    PropertyRequest request = read_request(Access::set, property, header, *this);
    log_request(call.record(), request);
    if (call.refused()) return call.finish();
    HRESULT result = check_request(request);
    if (result == DI_OK) {
        result = request.property == Property::autocenter ? autocenter(request) : set_axis_property(request);
    }
    return call.finish(result);
}

HRESULT DeviceObject::get_axis_property(PropertyRequest& request) const {
    if (request.axes_found != DI_OK) return request.axes_found;
    const int axis = request.first_axis;
    switch (request.property) {
        case Property::range:
            request.min = properties_.range_min[axis];
            request.max = properties_.range_max[axis];
            break;
        case Property::dead_zone: request.data = properties_.dead_zone[axis]; break;
        default: request.data = properties_.saturation[axis]; break;
    }
    return DI_OK;
}

HRESULT DeviceObject::set_axis_property(const PropertyRequest& request) {
    if (request.axes_found != DI_OK) return request.axes_found;
    const bool is_range = request.property == Property::range;
    if (is_range ? request.min > request.max : request.data > kMaxFraction) return DIERR_INVALIDPARAM;
    for (int axis = request.first_axis; axis <= request.last_axis; ++axis) {
        switch (request.property) {
            case Property::range:
                properties_.range_min[axis] = request.min;
                properties_.range_max[axis] = request.max;
                break;
            case Property::dead_zone: properties_.dead_zone[axis] = request.data; break;
            default: properties_.saturation[axis] = request.data; break;
        }
    }
    return DI_OK;
}

// The autocenter belongs to the whole device, and changes only while it is not acquired.
HRESULT DeviceObject::autocenter(PropertyRequest& request) {
    if (request.header->dwHow != DIPH_DEVICE) return DIERR_INVALIDPARAM;
    if (request.access == Access::get) {
        request.data = autocenter_;
        return DI_OK;
    }
    if (status_ == Status::acquired) return DIERR_ACQUIRED;
    if (request.data > DIPROPAUTOCENTER_ON) return DIERR_INVALIDPARAM;
    autocenter_ = request.data;
    return DI_OK;
}

}  // namespace tamrilo::sim
