// An effect object: the parameters it holds, what was downloaded to its device and whether it
// plays there. The play history records each stretch of play for the force model.
#pragma once

#include "effect_kinds.h"
#include "sim/world.h"

namespace tamrilo::sim {

class DeviceObject;

// The effect record sizes DirectInput accepts: its version 5 DIEFFECT, and version 6's, which
// adds a start delay at the end.
bool is_effect_record_size(DWORD size);

// Checks the parts of `effect` that `flags` name, for an effect of `type` on `device` whose axis
// count so far is `axis_count`.
HRESULT check_effect_params(const DIEFFECT& effect, DWORD flags, const EffectKindRow& type, DWORD axis_count,
                            const DeviceObject& device);

// A deep copy of the parts of `effect` that `flags` name; the scalars and pointers outside them
// are not read, as a caller may leave them unset.
void copy_effect_params(sim_effect_params& into, const DIEFFECT& effect, DWORD flags);

class EffectObject final : public IDirectInputEffect, public Object {
public:
    // Takes a reference on `owner` for as long as the effect lives.
    EffectObject(DeviceObject* owner, const EffectKindRow& type, const DIEFFECT& params);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return add_ref_call(); }
    ULONG STDMETHODCALLTYPE Release() override { return release_call(); }

    HRESULT STDMETHODCALLTYPE Initialize(HINSTANCE, DWORD, REFGUID) override { return unsupported_call(); }
    HRESULT STDMETHODCALLTYPE GetEffectGuid(LPGUID) override { return unsupported_call(); }
    HRESULT STDMETHODCALLTYPE GetParameters(LPDIEFFECT, DWORD) override { return unsupported_call(); }
    HRESULT STDMETHODCALLTYPE SetParameters(LPCDIEFFECT effect, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Start(DWORD iterations, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE GetEffectStatus(LPDWORD) override { return unsupported_call(); }
    HRESULT STDMETHODCALLTYPE Download() override { return unsupported_call(); }
    HRESULT STDMETHODCALLTYPE Unload() override;
    HRESULT STDMETHODCALLTYPE Escape(DIEFFESCAPE*) override { return unsupported_call(); }

    // Downloads when the device is acquired exclusively: DI_OK, else DI_DOWNLOADSKIPPED.
    HRESULT try_download();
    void unload();
    void stop();
    DeviceObject* owner() const { return owner_; }
    void describe(sim_effect_info& info) const;

protected:
    void on_last_release() override;

private:
    void start();

    DeviceObject* owner_;
    const EffectKindRow& type_;
    bool downloaded_ = false;
    bool playing_ = false;
    int start_count_ = 0;
    sim_effect_params params_{};
    // What the device plays: the parameters of the last download. `changed_` says the object's
    // parameters were set since then without reaching the device.
    sim_effect_params downloaded_params_{};
    bool changed_ = false;
};

}  // namespace tamrilo::sim
