// The DirectInput object and its entry point: version check, device enumeration and creation.
#include <algorithm>
#include <iterator>

#include "sim/device.h"

namespace tamrilo::sim {

namespace {

// The versions DirectInput has shipped up to the newest one this DirectInput knows.
constexpr DWORD kKnownVersions[] = {0x0300, 0x0500, 0x050A, 0x0600, 0x061A, 0x0700};

HRESULT check_version(DWORD version) {
    if (version > kKnownVersions[std::size(kKnownVersions) - 1]) return DIERR_OLDDIRECTINPUTVERSION;
    if (std::find(std::begin(kKnownVersions), std::end(kKnownVersions), version) == std::end(kKnownVersions)) {
        return DIERR_BETADIRECTINPUTVERSION;
    }
    return DI_OK;
}

int find_device(REFGUID instance) {
    const auto& joysticks = world().joysticks;
    for (std::size_t i = 0; i < joysticks.size(); ++i) {
        if (IsEqualGUID(joysticks[i].instance, instance)) return static_cast<int>(i);
    }
    return -1;
}

class DirectInputObject final : public IDirectInputA, public Object {
public:
    DirectInputObject() : Object(SIM_OBJECT_DIRECTINPUT, -1) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        return query_call(iid, out, {&IID_IUnknown, &IID_IDirectInputA}, static_cast<IDirectInputA*>(this));
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return add_ref_call(); }
    ULONG STDMETHODCALLTYPE Release() override { return release_call(); }
    HRESULT STDMETHODCALLTYPE CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICEA* out, LPUNKNOWN outer) override;
    HRESULT STDMETHODCALLTYPE EnumDevices(DWORD type, LPDIENUMDEVICESCALLBACKA callback, LPVOID ref,
                                          DWORD flags) override;
    HRESULT STDMETHODCALLTYPE GetDeviceStatus(REFGUID) override { return unsupported_call(); }
    HRESULT STDMETHODCALLTYPE RunControlPanel(HWND, DWORD) override { return unsupported_call(); }
    HRESULT STDMETHODCALLTYPE Initialize(HINSTANCE, DWORD) override { return unsupported_call(); }
};

// The device never holds a reference on the DirectInput object that created it: callers may
// release the two in either order.
HRESULT DirectInputObject::CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICEA* out, LPUNKNOWN outer) {
    int device_number = find_device(guid);
    // A call that creates a device's object belongs to that device, so faults can aim at it.
    Call call(SIM_OP_CREATE_DEVICE, this, device_number);
    call.record().guid = guid;
    call.record().outer_null = outer == nullptr;
    if (out) *out = nullptr;
    if (call.refused()) return call.finish();
    if (!out) return call.finish(E_POINTER);
    if (device_number < 0 ||
        world().joysticks[static_cast<std::size_t>(device_number)].description.refuse_create_device) {
        return call.finish(DIERR_DEVICENOTREG);
    }
    auto* object = make_object<DeviceObject>(device_number);
    world().devices.push_back(object);
    *out = object;
    if (call.leaves_stale()) object->release();
    return call.finish(DI_OK);
}

HRESULT DirectInputObject::EnumDevices(DWORD type, LPDIENUMDEVICESCALLBACKA callback, LPVOID ref, DWORD flags) {
    Call call(SIM_OP_ENUM_DEVICES, this);
    call.record().a[0] = type;
    call.record().a[1] = flags;
    call.record().a[2] = ref == nullptr;
    if (call.refused()) return call.finish();
    if (!callback || type > DIDEVTYPE_JOYSTICK || (flags & ~DWORD{DIEDFL_ATTACHEDONLY | DIEDFL_FORCEFEEDBACK})) {
        return call.finish(DIERR_INVALIDPARAM);
    }
    if (type != 0 && type != DIDEVTYPE_JOYSTICK) return call.finish(DI_OK);
    // The callback may attach joysticks or create devices: look the list up afresh each time.
    for (std::size_t i = 0; i < world().joysticks.size(); ++i) {
        const Joystick& joystick = world().joysticks[i];
        if ((flags & DIEDFL_ATTACHEDONLY) && !joystick.attached) continue;
        if ((flags & DIEDFL_FORCEFEEDBACK) && !joystick.description.force_feedback) continue;
        DIDEVICEINSTANCEA instance = device_instance(static_cast<int>(i));
        if (callback(&instance, ref) == DIENUM_STOP) break;
    }
    return call.finish(DI_OK);
}

}  // namespace

}  // namespace tamrilo::sim

using namespace tamrilo::sim;

#ifndef _WIN32
#pragma GCC visibility push(default)
#endif
extern "C" HRESULT WINAPI DirectInputCreateA(HINSTANCE instance, DWORD version, LPDIRECTINPUTA* out, LPUNKNOWN outer) {
    Call call(SIM_OP_CREATE, nullptr, -1);
    call.record().a[0] = version;
    call.record().handle = reinterpret_cast<UINT_PTR>(instance);
    call.record().outer_null = outer == nullptr;
    if (out) *out = nullptr;
    if (call.refused()) return call.finish();
    if (!out) return call.finish(E_POINTER);
    if (HRESULT hr = check_version(version); FAILED(hr)) return call.finish(hr);
    auto* object = make_object<DirectInputObject>();
    *out = object;
    if (call.leaves_stale()) object->release();
    return call.finish(DI_OK);
}
#ifndef _WIN32
#pragma GCC visibility pop
#endif
