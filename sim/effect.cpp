// Effect objects: parameter checks, download, start, stop and unload.
#include "sim/effect.h"

#include "sim/device.h"
#include "sim/play_history.h"

namespace tamrilo::sim {

namespace {

struct EffectRecordDx6 {
    DIEFFECT dx5;
    DWORD start_delay;
};

bool type_specific_size_fits(EffectFamily family, DWORD size, DWORD axis_count) {
    switch (family) {
        case EffectFamily::constant_force: return size == sizeof(DICONSTANTFORCE);
        case EffectFamily::periodic: return size == sizeof(DIPERIODIC);
        case EffectFamily::condition:
            // One condition per axis, or one for all of them.
            return size == sizeof(DICONDITION) || size == axis_count * sizeof(DICONDITION);
    }
    return false;
}

// Exactly one of the bits in `choices` is set in `flags`.
bool one_of(DWORD flags, DWORD choices) {
    DWORD chosen = flags & choices;
    return chosen != 0 && (chosen & (chosen - 1)) == 0;
}

constexpr DWORD kSetParameterFlags = DIEP_ALLPARAMS | DIEP_START | DIEP_NORESTART | DIEP_NODOWNLOAD;
constexpr DWORD kStartFlags = DIES_SOLO | DIES_NODOWNLOAD;

}  // namespace

bool is_effect_record_size(DWORD size) { return size == sizeof(DIEFFECT) || size == sizeof(EffectRecordDx6); }

HRESULT check_effect_params(const DIEFFECT& effect, DWORD flags, const EffectKindRow& type, DWORD axis_count,
                            const DeviceObject& device) {
    if (!is_effect_record_size(effect.dwSize)) return DIERR_INVALIDPARAM;
    if (flags & DIEP_AXES) {
        if (effect.cAxes == 0 || effect.cAxes > device.joystick().description.axes || !effect.rgdwAxes ||
            !one_of(effect.dwFlags, DIEFF_OBJECTIDS | DIEFF_OBJECTOFFSETS)) {
            return DIERR_INVALIDPARAM;
        }
        if (effect.dwFlags & DIEFF_OBJECTOFFSETS) {
            for (DWORD i = 0; i < effect.cAxes; ++i) {
                if (device.axis_at(effect.rgdwAxes[i]) < 0) return DIERR_INVALIDPARAM;
            }
        }
        axis_count = effect.cAxes;
    }
    if (flags & DIEP_DIRECTION) {
        if (!one_of(effect.dwFlags, DIEFF_CARTESIAN | DIEFF_POLAR | DIEFF_SPHERICAL) || !effect.rglDirection ||
            effect.cAxes == 0 || effect.cAxes != axis_count) {
            return DIERR_INVALIDPARAM;
        }
        if ((effect.dwFlags & DIEFF_POLAR) && effect.cAxes != 2) return DIERR_INVALIDPARAM;
    }
    if ((flags & DIEP_ENVELOPE) && effect.lpEnvelope && effect.lpEnvelope->dwSize != sizeof(DIENVELOPE)) {
        return DIERR_INVALIDPARAM;
    }
    if (flags & DIEP_TYPESPECIFICPARAMS) {
        if (!effect.lpvTypeSpecificParams ||
            !type_specific_size_fits(type.family, effect.cbTypeSpecificParams, axis_count)) {
            return DIERR_INVALIDPARAM;
        }
    }
    return DI_OK;
}

EffectObject::EffectObject(DeviceObject* owner, const EffectKindRow& type, const DIEFFECT& params)
    : Object(SIM_OBJECT_EFFECT, owner->device), owner_(owner), type_(type) {
    owner_->add_ref();
    copy_effect_params(params_, params, DIEP_ALLPARAMS);
    world().effects.push_back(this);
}

HRESULT EffectObject::QueryInterface(REFIID iid, void** out) {
    return query_call(iid, out, {&IID_IUnknown, &IID_IDirectInputEffect}, static_cast<IDirectInputEffect*>(this));
}

void EffectObject::on_last_release() {
    unload();
    owner_->release();
}

HRESULT EffectObject::try_download() {
    if (!owner_->acquired_exclusively()) return DI_DOWNLOADSKIPPED;
    downloaded_ = true;
    downloaded_params_ = params_;
    changed_ = false;
    if (playing_) record_download(id, downloaded_params_);
    return DI_OK;
}

void EffectObject::unload() {
    if (playing_) record_end(id);
    downloaded_ = playing_ = false;
}

void EffectObject::stop() {
    if (playing_) record_end(id);
    playing_ = false;
}

void EffectObject::start() {
    playing_ = true;
    ++start_count_;
    record_start(id, device, type_.kind, downloaded_params_);
}

HRESULT EffectObject::SetParameters(LPCDIEFFECT effect, DWORD flags) {
    Call call(SIM_OP_SET_PARAMETERS, this);
    call.record().guid = *type_.guid;
    call.record().a[0] = flags;
    if (effect) copy_effect_params(call.record().params, *effect, flags);
    if (call.refused()) return call.finish();
    if (!effect || (flags & ~kSetParameterFlags)) return call.finish(DIERR_INVALIDPARAM);
    if (HRESULT hr = check_effect_params(*effect, flags, type_, params_.axis_count, *owner_); FAILED(hr)) {
        return call.finish(hr);
    }
    copy_effect_params(params_, *effect, flags);
    changed_ = true;
    if (flags & DIEP_NODOWNLOAD) return call.finish(DI_DOWNLOADSKIPPED);
    HRESULT downloaded = try_download();
    if (!(flags & DIEP_START)) return call.finish(downloaded);
    // Starting needs the download that was just skipped.
    if (downloaded != DI_OK) return call.finish(static_cast<HRESULT>(DIERR_NOTEXCLUSIVEACQUIRED));
    start();
    return call.finish(DI_OK);
}

HRESULT EffectObject::Start(DWORD iterations, DWORD flags) {
    Call call(SIM_OP_START, this);
    call.record().a[0] = iterations;
    call.record().a[1] = flags;
    if (call.refused()) return call.finish();
    if (flags & ~kStartFlags) return call.finish(DIERR_INVALIDPARAM);
    if (!owner_->acquired_exclusively()) return call.finish(static_cast<HRESULT>(DIERR_NOTEXCLUSIVEACQUIRED));
    if (!downloaded_ && (flags & DIES_NODOWNLOAD)) return call.finish(static_cast<HRESULT>(DIERR_NOTDOWNLOADED));
    // Start downloads what the device lacks: the effect, or parameters set since the last download.
    if ((!downloaded_ || changed_) && !(flags & DIES_NODOWNLOAD)) try_download();
    if (flags & DIES_SOLO) {
        for (EffectObject* other : world().effects) {
            if (other->owner_ == owner_) other->stop();
        }
    }
    start();
    return call.finish(DI_OK);
}

HRESULT EffectObject::Stop() {
    Call call(SIM_OP_STOP, this);
    if (call.refused()) return call.finish();
    if (!owner_->acquired_exclusively()) return call.finish(static_cast<HRESULT>(DIERR_NOTEXCLUSIVEACQUIRED));
    stop();
    return call.finish(DI_OK);
}

HRESULT EffectObject::Unload() {
    Call call(SIM_OP_UNLOAD, this);
    if (call.refused()) return call.finish();
    if (!downloaded_) return call.finish(DI_NOEFFECT);
    unload();
    return call.finish(DI_OK);
}

void EffectObject::describe(sim_effect_info& info) const {
    info.id = id;
    info.device = device;
    info.guid = *type_.guid;
    info.refs = refs;
    info.downloaded = downloaded_;
    info.playing = playing_;
    info.start_count = start_count_;
    info.params = params_;
}

}  // namespace tamrilo::sim
