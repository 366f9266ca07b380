// A device object: one interface on one joystick, with its own data format, cooperative level,
// acquisition and properties, as each DirectInput device object has.
#pragma once

#include "sim/world.h"

namespace tamrilo::sim {

// DIDEVTYPE_JOYSTICK with the "traditional joystick" subtype in the second byte, as DirectInput
// reports a stick; callers must look at the low byte only.
inline constexpr DWORD kJoystickDevType = DIDEVTYPE_JOYSTICK | (2u << 8);

DIDEVICEINSTANCEA device_instance(int device);

struct PropertyRequest;

class DeviceObject final : public IDirectInputDevice2A, public Object {
public:
    explicit DeviceObject(int device_number);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return add_ref_call(); }
    ULONG STDMETHODCALLTYPE Release() override { return release_call(); }

    HRESULT STDMETHODCALLTYPE GetCapabilities(LPDIDEVCAPS caps) override;
    HRESULT STDMETHODCALLTYPE EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA, LPVOID, DWORD) override {
        return unsupported_call();
    }
    HRESULT STDMETHODCALLTYPE GetProperty(REFGUID property, LPDIPROPHEADER header) override;
    HRESULT STDMETHODCALLTYPE SetProperty(REFGUID property, LPCDIPROPHEADER header) override;
    HRESULT STDMETHODCALLTYPE Acquire() override;
    HRESULT STDMETHODCALLTYPE Unacquire() override;
    HRESULT STDMETHODCALLTYPE GetDeviceState(DWORD size, LPVOID data) override;
    HRESULT STDMETHODCALLTYPE GetDeviceData(DWORD, DIDEVICEOBJECTDATA*, LPDWORD, DWORD) override {
        return unsupported_call();
    }
    HRESULT STDMETHODCALLTYPE SetDataFormat(LPCDIDATAFORMAT format) override;
    HRESULT STDMETHODCALLTYPE SetEventNotification(HANDLE) override { return unsupported_call(); }
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE GetObjectInfo(DIDEVICEOBJECTINSTANCEA*, DWORD, DWORD) override {
        return unsupported_call();
    }
    HRESULT STDMETHODCALLTYPE GetDeviceInfo(LPDIDEVICEINSTANCEA) override { return unsupported_call(); }
    HRESULT STDMETHODCALLTYPE RunControlPanel(HWND, DWORD) override { return unsupported_call(); }
    HRESULT STDMETHODCALLTYPE Initialize(HINSTANCE, DWORD, REFGUID) override { return unsupported_call(); }

    HRESULT STDMETHODCALLTYPE CreateEffect(REFGUID guid, LPCDIEFFECT effect, LPDIRECTINPUTEFFECT* out,
                                           LPUNKNOWN outer) override;
    HRESULT STDMETHODCALLTYPE EnumEffects(LPDIENUMEFFECTSCALLBACKA, LPVOID, DWORD) override {
        return unsupported_call();
    }
    HRESULT STDMETHODCALLTYPE GetEffectInfo(DIEFFECTINFOA*, REFGUID) override { return unsupported_call(); }
    HRESULT STDMETHODCALLTYPE GetForceFeedbackState(LPDWORD) override { return unsupported_call(); }
    HRESULT STDMETHODCALLTYPE SendForceFeedbackCommand(DWORD) override { return unsupported_call(); }
    HRESULT STDMETHODCALLTYPE EnumCreatedEffectObjects(LPDIENUMCREATEDEFFECTOBJECTSCALLBACK, LPVOID, DWORD) override {
        return unsupported_call();
    }
    HRESULT STDMETHODCALLTYPE Escape(DIEFFESCAPE*) override { return unsupported_call(); }
    HRESULT STDMETHODCALLTYPE Poll() override;
    HRESULT STDMETHODCALLTYPE SendDeviceData(DWORD, const DIDEVICEOBJECTDATA*, LPDWORD, DWORD) override {
        return unsupported_call();
    }

    const Joystick& joystick() const { return world().joysticks[static_cast<std::size_t>(device)]; }
    bool acquired_exclusively() const { return status_ == Status::acquired && (cooperative_flags_ & DISCL_EXCLUSIVE); }
    // The axis slot (X = 0 … slider 1 = 7) that a data-format offset names, or -1 when the data
    // format has no such axis or the joystick lacks it.
    int axis_at(DWORD offset) const;
    // The joystick was unplugged: input is lost until the device is acquired again.
    void lose_input();
    void set_driver_property(sim_axis_property property, int axis, DWORD value);
    void describe(sim_device_info& info) const;

protected:
    void on_last_release() override;

private:
    enum class Status { unacquired, acquired, lost };

    // Where one object of the caller's data format takes its value from in DIJOYSTATE.
    struct FormatObject {
        DWORD offset;
        DWORD width;
        int source;  // byte offset in DIJOYSTATE, or -1 when the joystick lacks the object
        BYTE fill;   // what a lacking object reads as
        int axis;    // axis slot, or -1
    };

    void unload_effects();
    HRESULT read_check() const;
    // The steps of a property call (device_properties.cpp), once the shared checks passed.
    HRESULT get_axis_property(PropertyRequest& request) const;
    HRESULT set_axis_property(const PropertyRequest& request);
    HRESULT autocenter(PropertyRequest& request);

    Status status_ = Status::unacquired;
    bool unacquire_asked_ = false;  // since the last Acquire
    DWORD cooperative_flags_ = 0;
    HWND window_ = nullptr;
    bool format_set_ = false;
    DWORD data_size_ = 0;
    std::vector<FormatObject> format_;
    AxisProperties properties_;
    DWORD autocenter_ = DIPROPAUTOCENTER_ON;
};

}  // namespace tamrilo::sim
