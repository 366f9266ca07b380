// Device objects: data format, cooperative level, acquisition, state and capabilities.
#include "sim/device.h"

#include <algorithm>
#include <cstring>

#include "sim/effect.h"
#include "sim/play_history.h"

namespace tamrilo::sim {

namespace {

constexpr DWORD kPovOffset = offsetof(DIJOYSTATE, rgdwPOV);
constexpr DWORD kButtonOffset = offsetof(DIJOYSTATE, rgbButtons);

struct AxisGuid {
    const GUID* guid;
    int slot;
};
const AxisGuid kAxisGuids[] = {
    {&GUID_XAxis, 0}, {&GUID_YAxis, 1}, {&GUID_ZAxis, 2}, {&GUID_RxAxis, 3}, {&GUID_RyAxis, 4}, {&GUID_RzAxis, 5},
};

// A joystick with n axes has the first n of X, Y, Z, RZ, RX, RY, slider 0, slider 1: a rudder
// or twist comes before the rotations that few sticks have.
bool has_axis(const sim_joystick& joystick, int slot) {
    constexpr DWORD kRank[kAxisSlots] = {0, 1, 2, 4, 5, 3, 6, 7};
    return kRank[slot] < joystick.axes;
}

bool guid_is(const GUID* guid, REFGUID expected) { return guid && IsEqualGUID(*guid, expected); }

// Whether the format starts as c_dfDIJoystick does, which is what the library must hand over.
bool is_joystick_layout(const DIDATAFORMAT& format) {
    if (format.dwDataSize != sizeof(DIJOYSTATE) || format.dwNumObjs < 3 || !format.rgodf) return false;
    for (int i = 0; i < 3; ++i) {
        const DIOBJECTDATAFORMAT& object = format.rgodf[i];
        if (!guid_is(object.pguid, *kAxisGuids[i].guid) || object.dwOfs != static_cast<DWORD>(4 * i)) return false;
    }
    return true;
}

}  // namespace

DIDEVICEINSTANCEA device_instance(int device) {
    const Joystick& joystick = world().joysticks[static_cast<std::size_t>(device)];
    DIDEVICEINSTANCEA instance{};
    instance.dwSize = sizeof instance;
    instance.guidInstance = joystick.instance;
    // Product GUIDs of game controllers carry the vendor and product ids in Data1.
    instance.guidProduct = {0x10000000u + static_cast<DWORD>(device), 0, 0, {0, 0, 'P', 'I', 'D', 'V', 'I', 'D'}};
    instance.dwDevType = kJoystickDevType;
    static_assert(sizeof instance.tszProductName == sizeof joystick.description.product_name);
    std::memcpy(instance.tszInstanceName, joystick.description.instance_name, sizeof instance.tszInstanceName);
    std::memcpy(instance.tszProductName, joystick.description.product_name, sizeof instance.tszProductName);
    if (joystick.description.force_feedback) {
        instance.guidFFDriver = {0x3F6A1C40, 0x51B2, 0x11D2, {0x8A, 0x0C, 0x00, 0x60, 0x97, 0x3D, 0x2E, 0x11}};
    }
    instance.wUsagePage = 1;  // generic desktop
    instance.wUsage = 4;      // joystick
    return instance;
}

DeviceObject::DeviceObject(int device_number)
    : Object(SIM_OBJECT_DEVICE, device_number),
      properties_(world().joysticks[static_cast<std::size_t>(device_number)].driver_properties) {}

HRESULT DeviceObject::QueryInterface(REFIID iid, void** out) {
    if (joystick().description.refuse_device2) {
        return query_call(iid, out, {&IID_IUnknown, &IID_IDirectInputDeviceA},
                          static_cast<IDirectInputDevice2A*>(this));
    }
    return query_call(iid, out, {&IID_IUnknown, &IID_IDirectInputDeviceA, &IID_IDirectInputDevice2A},
                      static_cast<IDirectInputDevice2A*>(this));
}

void DeviceObject::on_last_release() {
    if (status_ == Status::acquired && !unacquire_asked_) ++world().released_while_acquired;
    if (status_ == Status::acquired) unload_effects();
    status_ = Status::unacquired;
}

void DeviceObject::unload_effects() {
    for (EffectObject* effect : world().effects) {
        if (effect->owner() == this) effect->unload();
    }
}

void DeviceObject::lose_input() {
    if (status_ != Status::acquired) return;
    unload_effects();
    status_ = Status::lost;
}

HRESULT DeviceObject::SetDataFormat(LPCDIDATAFORMAT format) {
    Call call(SIM_OP_SET_DATA_FORMAT, this);
    if (format) {
        call.record().a[0] = format->dwDataSize;
        call.record().a[1] = format->dwNumObjs;
        call.record().a[2] = is_joystick_layout(*format);
    }
    if (call.refused()) return call.finish();
    if (!format) return call.finish(DIERR_INVALIDPARAM);
    if (status_ == Status::acquired) return call.finish(DIERR_ACQUIRED);
    if (format->dwSize != sizeof(DIDATAFORMAT) || format->dwObjSize != sizeof(DIOBJECTDATAFORMAT) ||
        format->dwDataSize % 4 != 0 || (format->dwNumObjs > 0 && !format->rgodf)) {
        return call.finish(DIERR_INVALIDPARAM);
    }
    const sim_joystick& caps = joystick().description;
    std::vector<FormatObject> objects;
    int sliders = 0;
    DWORD povs = 0, buttons = 0;
    for (DWORD i = 0; i < format->dwNumObjs; ++i) {
        const DIOBJECTDATAFORMAT& object = format->rgodf[i];
        FormatObject entry{object.dwOfs, 4, -1, 0, -1};
        if (object.dwType & DIDFT_AXIS) {
            int slot = -1;
            for (const AxisGuid& axis : kAxisGuids) {
                if (guid_is(object.pguid, *axis.guid)) slot = axis.slot;
            }
            if (guid_is(object.pguid, GUID_Slider) && sliders < 2) slot = 6 + sliders++;
            if (slot >= 0 && has_axis(caps, slot)) {
                entry.source = slot * 4;
                entry.axis = slot;
            }
        } else if (object.dwType & DIDFT_POV) {
            entry.fill = 0xFF;  // a POV the joystick lacks reads as centred
            if (povs < caps.povs && povs < 4) entry.source = static_cast<int>(kPovOffset + 4 * povs);
            ++povs;
        } else if (object.dwType & DIDFT_BUTTON) {
            entry.width = 1;
            if (buttons < caps.buttons && buttons < 32) entry.source = static_cast<int>(kButtonOffset + buttons);
            ++buttons;
        } else {
            continue;
        }
        if (entry.offset > format->dwDataSize || format->dwDataSize - entry.offset < entry.width ||
            (entry.width == 4 && entry.offset % 4 != 0)) {
            return call.finish(DIERR_INVALIDPARAM);
        }
        objects.push_back(entry);
    }
    format_ = std::move(objects);
    data_size_ = format->dwDataSize;
    format_set_ = true;
    return call.finish(DI_OK);
}

int DeviceObject::axis_at(DWORD offset) const {
    for (const FormatObject& object : format_) {
        if (object.offset == offset) return object.axis;
    }
    return -1;
}

HRESULT DeviceObject::SetCooperativeLevel(HWND window, DWORD flags) {
    Call call(SIM_OP_SET_COOPERATIVE_LEVEL, this);
    call.record().a[0] = flags;
    call.record().handle = reinterpret_cast<UINT_PTR>(window);
    if (call.refused()) return call.finish();
    if (status_ == Status::acquired) return call.finish(DIERR_ACQUIRED);
    constexpr DWORD kKnown = DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND;
    auto one_of = [&](DWORD a, DWORD b) { return ((flags & a) != 0) != ((flags & b) != 0); };
    if ((flags & ~kKnown) || !one_of(DISCL_EXCLUSIVE, DISCL_NONEXCLUSIVE) ||
        !one_of(DISCL_FOREGROUND, DISCL_BACKGROUND)) {
        return call.finish(DIERR_INVALIDPARAM);
    }
    cooperative_flags_ = flags;
    window_ = window;
    return call.finish(DI_OK);
}

HRESULT DeviceObject::Acquire() {
    Call call(SIM_OP_ACQUIRE, this);
    if (call.refused()) return call.finish();
    if (!format_set_) return call.finish(DIERR_INVALIDPARAM);
    if (!joystick().attached) return call.finish(static_cast<HRESULT>(DIERR_UNPLUGGED));
    if (status_ == Status::acquired) return call.finish(DI_NOEFFECT);
    status_ = Status::acquired;
    unacquire_asked_ = false;
    return call.finish(DI_OK);
}

HRESULT DeviceObject::Unacquire() {
    Call call(SIM_OP_UNACQUIRE, this);
    unacquire_asked_ = true;
    if (call.refused()) return call.finish();
    bool was_acquired = status_ == Status::acquired;
    // Lost input counts as not acquired; after Unacquire the caller learns it as such.
    status_ = Status::unacquired;
    if (!was_acquired) return call.finish(DI_NOEFFECT);
    unload_effects();
    return call.finish(DI_OK);
}

HRESULT DeviceObject::read_check() const {
    if (status_ == Status::lost) return DIERR_INPUTLOST;
    if (status_ != Status::acquired) return DIERR_NOTACQUIRED;
    return DI_OK;
}

HRESULT DeviceObject::GetDeviceState(DWORD size, LPVOID data) {
    Call call(SIM_OP_GET_DEVICE_STATE, this);
    call.record().a[0] = size;
    if (call.refused()) return call.finish();
    if (HRESULT hr = read_check(); FAILED(hr)) return call.finish(hr);
    if (!data || size != data_size_) return call.finish(DIERR_INVALIDPARAM);
    auto* out = static_cast<BYTE*>(data);
    const DIJOYSTATE now = current_state(device, joystick().state);
    const auto* state = reinterpret_cast<const BYTE*>(&now);
    std::memset(out, 0, size);
    for (const FormatObject& object : format_) {
        if (object.source >= 0) {
            std::memcpy(out + object.offset, state + object.source, object.width);
        } else {
            std::memset(out + object.offset, object.fill, object.width);
        }
    }
    World& w = world();
    w.last_state = DIJOYSTATE{};
    std::memcpy(&w.last_state, out, std::min<std::size_t>(size, sizeof w.last_state));
    w.has_last_state = true;
    return call.finish(DI_OK);
}

// A joystick that needs no polling answers DI_NOEFFECT, as DirectInput does.
HRESULT DeviceObject::Poll() {
    Call call(SIM_OP_POLL, this);
    if (call.refused()) return call.finish();
    HRESULT hr = read_check();
    return call.finish(FAILED(hr) ? hr : DI_NOEFFECT);
}

HRESULT DeviceObject::GetCapabilities(LPDIDEVCAPS caps) {
    Call call(SIM_OP_GET_CAPABILITIES, this);
    if (caps) call.record().a[0] = caps->dwSize;
    if (call.refused()) return call.finish();
    if (!caps) return call.finish(E_POINTER);
    constexpr DWORD kDx3Size = offsetof(DIDEVCAPS, dwFFSamplePeriod);
    if (caps->dwSize != sizeof(DIDEVCAPS) && caps->dwSize != kDx3Size) return call.finish(DIERR_INVALIDPARAM);
    const Joystick& j = joystick();
    DIDEVCAPS filled{};
    filled.dwSize = caps->dwSize;
    filled.dwFlags = (j.attached ? DIDC_ATTACHED : 0) | (j.description.force_feedback ? DIDC_FORCEFEEDBACK : 0);
    filled.dwDevType = kJoystickDevType;
    filled.dwAxes = j.description.axes;
    filled.dwButtons = j.description.buttons;
    filled.dwPOVs = j.description.povs;
    filled.dwFFSamplePeriod = 1000;
    filled.dwFFMinTimeResolution = 1000;
    filled.dwFirmwareRevision = 1;
    filled.dwHardwareRevision = 1;
    filled.dwFFDriverVersion = 1;
    std::memcpy(caps, &filled, caps->dwSize);
    return call.finish(DI_OK);
}

HRESULT DeviceObject::CreateEffect(REFGUID guid, LPCDIEFFECT params, LPDIRECTINPUTEFFECT* out, LPUNKNOWN outer) {
    Call call(SIM_OP_CREATE_EFFECT, this);
    call.record().guid = guid;
    call.record().outer_null = outer == nullptr;
    if (params) copy_effect_params(call.record().params, *params, DIEP_ALLPARAMS);
    if (out) *out = nullptr;
    if (call.refused()) return call.finish();
    if (!out) return call.finish(E_POINTER);
    if (!joystick().description.force_feedback) return call.finish(DIERR_UNSUPPORTED);
    const EffectKindRow* type = find_effect_kind(guid);
    if (!type) return call.finish(DIERR_DEVICENOTREG);
    if (!params) return call.finish(DIERR_INVALIDPARAM);
    if (HRESULT hr = check_effect_params(*params, DIEP_ALLPARAMS, *type, params->cAxes, *this); FAILED(hr)) {
        return call.finish(hr);
    }
    auto* effect = make_object<EffectObject>(this, *type, *params);
    call.record().effect = effect->id;
    *out = effect;
    const HRESULT downloaded = effect->try_download();
    if (call.leaves_stale()) effect->release();
    return call.finish(downloaded);
}

void DeviceObject::set_driver_property(sim_axis_property property, int axis, DWORD value) {
    (property == SIM_DEAD_ZONE ? properties_.dead_zone : properties_.saturation)[axis] = value;
}

void DeviceObject::describe(sim_device_info& info) const {
    info.refs = refs;
    info.acquired = status_ == Status::acquired;
    info.cooperative_flags = cooperative_flags_;
    info.window = reinterpret_cast<UINT_PTR>(window_);
    info.data_format_set = format_set_;
    describe_axis_properties(properties_, info);
    info.autocenter = autocenter_;
}

}  // namespace tamrilo::sim
