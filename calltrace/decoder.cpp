#include "calltrace/decoder.h"

#include <cstring>
#include <iomanip>
#include <iterator>
#include <sstream>

#include "effect_kinds.h"

namespace tamrilo::calltrace {
namespace {

struct Named {
    DWORD value;
    const char* name;
};

std::string hex(DWORD value) {
    std::ostringstream s;
    s << "0x" << std::hex << std::uppercase << value;
    return s.str();
}

// Flags by name, joined with '|'; bits without a name in hexadecimal.
std::string flag_names(DWORD flags, std::initializer_list<Named> names) {
    std::string out;
    for (const Named& n : names) {
        if (n.value != 0 && (flags & n.value) == n.value) {
            out += (out.empty() ? "" : "|") + std::string(n.name);
            flags &= ~n.value;
        }
    }
    if (flags != 0 || out.empty()) out += (out.empty() ? "" : "|") + hex(flags);
    return out;
}

std::string value_name(DWORD value, std::initializer_list<Named> names) {
    for (const Named& n : names) {
        if (n.value == value) return n.name;
    }
    return std::to_string(value);
}

#define TAMRILO_NAMED(value) \
    { static_cast<DWORD>(value), #value }

std::string result_name(HRESULT result) {
    // DIERR_OBJECTNOTFOUND and DIERR_NOTFOUND are one value; the first name is the one shown.
    const std::initializer_list<Named> names = {
        TAMRILO_NAMED(DI_OK),
        TAMRILO_NAMED(DI_NOEFFECT),
        TAMRILO_NAMED(DI_POLLEDDEVICE),
        TAMRILO_NAMED(DI_DOWNLOADSKIPPED),
        TAMRILO_NAMED(DI_EFFECTRESTARTED),
        TAMRILO_NAMED(DIERR_OLDDIRECTINPUTVERSION),
        TAMRILO_NAMED(DIERR_BETADIRECTINPUTVERSION),
        TAMRILO_NAMED(DIERR_DEVICENOTREG),
        TAMRILO_NAMED(DIERR_OBJECTNOTFOUND),
        TAMRILO_NAMED(DIERR_INVALIDPARAM),
        TAMRILO_NAMED(DIERR_NOINTERFACE),
        TAMRILO_NAMED(DIERR_GENERIC),
        TAMRILO_NAMED(DIERR_UNSUPPORTED),
        TAMRILO_NAMED(DIERR_NOTINITIALIZED),
        TAMRILO_NAMED(DIERR_INPUTLOST),
        TAMRILO_NAMED(DIERR_ACQUIRED),
        TAMRILO_NAMED(DIERR_NOTACQUIRED),
        TAMRILO_NAMED(DIERR_NOTDOWNLOADED),
        TAMRILO_NAMED(DIERR_NOTEXCLUSIVEACQUIRED),
        TAMRILO_NAMED(DIERR_INCOMPLETEEFFECT),
        TAMRILO_NAMED(DIERR_EFFECTPLAYING),
        TAMRILO_NAMED(DIERR_UNPLUGGED),
    };
    for (const Named& n : names) {
        if (n.value == static_cast<DWORD>(result)) return n.name;
    }
    return hex(static_cast<DWORD>(result));
}

// The simulator's instance GUIDs are its own: the first word counts the devices up.
constexpr DWORD kInstanceBase = 0x9E0B5A40u;

std::string guid_name(const GUID& guid) {
    static const struct {
        const GUID* guid;
        const char* name;
    } names[] = {
        {&IID_IDirectInputA, "IID_IDirectInputA"},
        {&IID_IDirectInputDeviceA, "IID_IDirectInputDeviceA"},
        {&IID_IDirectInputDevice2A, "IID_IDirectInputDevice2A"},
        {&IID_IDirectInputEffect, "IID_IDirectInputEffect"},
    };
    for (const auto& n : names) {
        if (std::memcmp(n.guid, &guid, sizeof guid) == 0) return n.name;
    }
    if (const EffectKindRow* kind = find_effect_kind(guid)) return kind->name;
    if (guid.Data1 - kInstanceBase < 0x100u && guid.Data2 == 0x3C1D) {
        return "instance of joystick " + std::to_string(guid.Data1 - kInstanceBase);
    }
    std::ostringstream s;
    s << std::hex << std::uppercase << std::setfill('0') << '{' << std::setw(8) << guid.Data1 << '-' << std::setw(4)
      << guid.Data2 << '-' << std::setw(4) << guid.Data3 << '-';
    for (int i = 0; i < 8; ++i) s << (i == 2 ? "-" : "") << std::setw(2) << static_cast<int>(guid.Data4[i]);
    s << '}';
    return s.str();
}

struct OperationName {
    sim_op op;
    const char* name;
};
constexpr OperationName kOperationNames[] = {
    {SIM_OP_CREATE, "DirectInputCreateA"},
    {SIM_OP_ENUM_DEVICES, "EnumDevices"},
    {SIM_OP_CREATE_DEVICE, "CreateDevice"},
    {SIM_OP_QUERY_INTERFACE, "QueryInterface"},
    {SIM_OP_ADD_REF, "AddRef"},
    {SIM_OP_RELEASE, "Release"},
    {SIM_OP_SET_DATA_FORMAT, "SetDataFormat"},
    {SIM_OP_SET_COOPERATIVE_LEVEL, "SetCooperativeLevel"},
    {SIM_OP_GET_PROPERTY, "GetProperty"},
    {SIM_OP_SET_PROPERTY, "SetProperty"},
    {SIM_OP_ACQUIRE, "Acquire"},
    {SIM_OP_UNACQUIRE, "Unacquire"},
    {SIM_OP_GET_DEVICE_STATE, "GetDeviceState"},
    {SIM_OP_POLL, "Poll"},
    {SIM_OP_GET_CAPABILITIES, "GetCapabilities"},
    {SIM_OP_CREATE_EFFECT, "CreateEffect"},
    {SIM_OP_SET_PARAMETERS, "SetParameters"},
    {SIM_OP_START, "Start"},
    {SIM_OP_STOP, "Stop"},
    {SIM_OP_UNLOAD, "Unload"},
    {SIM_OP_OTHER, "(a method the library does not use)"},
};

// An operation the simulator logs without a name here stops the build.
constexpr bool names_every_operation() {
    if (std::size(kOperationNames) != SIM_OP_COUNT) return false;
    for (std::size_t i = 0; i < std::size(kOperationNames); ++i) {
        if (kOperationNames[i].op != static_cast<int>(i)) return false;
    }
    return true;
}
static_assert(names_every_operation(), "each sim_op needs its name in kOperationNames, in the order of sim_op");

const char* op_name(int op) { return op >= 0 && op < SIM_OP_COUNT ? kOperationNames[op].name : "?"; }

std::string object_name(const sim_call& c) {
    switch (c.kind) {
        case SIM_OBJECT_DIRECTINPUT: return "DirectInput #" + std::to_string(c.object);
        case SIM_OBJECT_DEVICE: return "joystick " + std::to_string(c.device) + " device #" + std::to_string(c.object);
        case SIM_OBJECT_EFFECT:
            return "effect #" + std::to_string(c.object) + " on joystick " + std::to_string(c.device);
        default: return "";
    }
}

std::string offset_name(DWORD offset) {
    return value_name(offset, {{DIJOFS_X, "DIJOFS_X"},
                               {DIJOFS_Y, "DIJOFS_Y"},
                               {DIJOFS_Z, "DIJOFS_Z"},
                               {DIJOFS_RX, "DIJOFS_RX"},
                               {DIJOFS_RY, "DIJOFS_RY"},
                               {DIJOFS_RZ, "DIJOFS_RZ"}});
}

const std::initializer_list<Named> kParameterFlags = {{DIEP_DURATION, "DIEP_DURATION"},
                                                      {DIEP_SAMPLEPERIOD, "DIEP_SAMPLEPERIOD"},
                                                      {DIEP_GAIN, "DIEP_GAIN"},
                                                      {DIEP_TRIGGERBUTTON, "DIEP_TRIGGERBUTTON"},
                                                      {DIEP_TRIGGERREPEATINTERVAL, "DIEP_TRIGGERREPEATINTERVAL"},
                                                      {DIEP_AXES, "DIEP_AXES"},
                                                      {DIEP_DIRECTION, "DIEP_DIRECTION"},
                                                      {DIEP_ENVELOPE, "DIEP_ENVELOPE"},
                                                      {DIEP_TYPESPECIFICPARAMS, "DIEP_TYPESPECIFICPARAMS"},
                                                      {DIEP_START, "DIEP_START"},
                                                      {DIEP_NORESTART, "DIEP_NORESTART"},
                                                      {DIEP_NODOWNLOAD, "DIEP_NODOWNLOAD"}};

std::string duration(DWORD microseconds) {
    return microseconds == 0xFFFFFFFFu ? "INFINITE" : std::to_string(microseconds);
}

// The type-specific record, read as the effect's GUID says it is laid out.
void describe_type_specific(std::ostream& o, const GUID& guid, const sim_effect_params& p) {
    const EffectKindRow* kind = find_effect_kind(guid);
    const auto family_is = [&](EffectFamily family) { return kind != nullptr && kind->family == family; };
    const unsigned char* bytes = p.type_specific;
    const DWORD size = p.type_specific_size < sizeof p.type_specific ? p.type_specific_size : sizeof p.type_specific;
    auto field = [&](std::size_t at) {
        LONG v = 0;
        std::memcpy(&v, bytes + at, sizeof v);
        return v;
    };
    if (family_is(EffectFamily::constant_force) && size >= 4) {
        o << "DICONSTANTFORCE{lMagnitude " << field(0) << "}";
    } else if (family_is(EffectFamily::periodic) && size >= 16) {
        o << "DIPERIODIC{dwMagnitude " << static_cast<DWORD>(field(0)) << ", lOffset " << field(4) << ", dwPhase "
          << static_cast<DWORD>(field(8)) << ", dwPeriod " << static_cast<DWORD>(field(12)) << "}";
    } else if (family_is(EffectFamily::condition) && size >= 24) {
        for (DWORD at = 0; at + 24 <= size; at += 24) {
            o << (at ? ", " : "") << "DICONDITION{lOffset " << field(at) << ", lPositiveCoefficient " << field(at + 4)
              << ", lNegativeCoefficient " << field(at + 8) << ", dwPositiveSaturation "
              << static_cast<DWORD>(field(at + 12)) << ", dwNegativeSaturation " << static_cast<DWORD>(field(at + 16))
              << ", lDeadBand " << field(at + 20) << "}";
        }
    } else {
        o << size << " bytes";
    }
}

// The fields of the record that `parameters` (DIEP_ flags) name: SetParameters reads no others.
void describe_effect(std::ostream& o, const GUID& guid, const sim_effect_params& p, DWORD parameters) {
    o << "DIEFFECT{dwSize " << p.size << ", dwFlags "
      << flag_names(p.flags, {{DIEFF_OBJECTIDS, "DIEFF_OBJECTIDS"},
                              {DIEFF_OBJECTOFFSETS, "DIEFF_OBJECTOFFSETS"},
                              {DIEFF_CARTESIAN, "DIEFF_CARTESIAN"},
                              {DIEFF_POLAR, "DIEFF_POLAR"},
                              {DIEFF_SPHERICAL, "DIEFF_SPHERICAL"}});
    if (parameters & DIEP_DURATION) o << ", dwDuration " << duration(p.duration);
    if (parameters & DIEP_SAMPLEPERIOD) o << ", dwSamplePeriod " << p.sample_period;
    if (parameters & DIEP_GAIN) o << ", dwGain " << p.gain;
    if (parameters & DIEP_TRIGGERBUTTON) {
        o << ", dwTriggerButton "
          << (p.trigger_button == DIEB_NOTRIGGER ? "DIEB_NOTRIGGER" : std::to_string(p.trigger_button));
    }
    if (parameters & DIEP_TRIGGERREPEATINTERVAL)
        o << ", dwTriggerRepeatInterval " << duration(p.trigger_repeat_interval);
    DWORD shown = p.axis_count < 4 ? p.axis_count : 4;
    if (parameters & DIEP_AXES) {
        o << ", cAxes " << p.axis_count << ", rgdwAxes ";
        if (!p.has_axes) {
            o << "null";
        } else {
            o << "[";
            for (DWORD i = 0; i < shown; ++i) o << (i ? ", " : "") << offset_name(p.axes[i]);
            o << "]";
        }
    } else {
        // Without the axes the count is not in the log: show the entries up to the last one set.
        for (shown = 4; shown > 1 && p.direction[shown - 1] == 0; --shown) {
        }
    }
    if (parameters & DIEP_DIRECTION) {
        o << ", rglDirection ";
        if (!p.has_direction) {
            o << "null";
        } else {
            o << "[";
            for (DWORD i = 0; i < shown; ++i) o << (i ? ", " : "") << p.direction[i];
            o << "]";
        }
    }
    if (parameters & DIEP_ENVELOPE) o << ", lpEnvelope " << (p.has_envelope ? "set" : "null");
    if (parameters & DIEP_TYPESPECIFICPARAMS) {
        o << ", cbTypeSpecificParams " << p.type_specific_size << ", lpvTypeSpecificParams ";
        describe_type_specific(o, guid, p);
    }
    o << "}";
}

const char* property_name(DWORD property) {
    static const char* const names[] = {"?",
                                        "DIPROP_BUFFERSIZE",
                                        "DIPROP_AXISMODE",
                                        "DIPROP_GRANULARITY",
                                        "DIPROP_RANGE",
                                        "DIPROP_DEADZONE",
                                        "DIPROP_SATURATION",
                                        "DIPROP_FFGAIN",
                                        "DIPROP_FFLOAD",
                                        "DIPROP_AUTOCENTER"};
    return property < 10 ? names[property] : "?";
}

}  // namespace

std::string describe_call(const sim_call& c) {
    std::ostringstream o;
    const std::string object = object_name(c);
    if (!object.empty()) o << object << " ";
    o << op_name(c.op) << "(";
    switch (c.op) {
        case SIM_OP_CREATE: o << "version " << hex(c.a[0]) << ", instance " << hex(static_cast<DWORD>(c.handle)); break;
        case SIM_OP_ENUM_DEVICES:
            o << value_name(c.a[0], {{0, "all types"}, {DIDEVTYPE_JOYSTICK, "DIDEVTYPE_JOYSTICK"}}) << ", "
              << flag_names(c.a[1], {{DIEDFL_ATTACHEDONLY, "DIEDFL_ATTACHEDONLY"},
                                     {DIEDFL_FORCEFEEDBACK, "DIEDFL_FORCEFEEDBACK"}})
              << (c.a[1] == 0 ? " (DIEDFL_ALLDEVICES)" : "");
            break;
        case SIM_OP_CREATE_DEVICE:
        case SIM_OP_QUERY_INTERFACE: o << guid_name(c.guid); break;
        case SIM_OP_ADD_REF:
        case SIM_OP_RELEASE: o << ") -> " << c.a[0] << " references, " << result_name(c.result); return o.str();
        case SIM_OP_SET_DATA_FORMAT:
            o << (c.a[2] ? "c_dfDIJoystick" : "a data format of its own") << ": dwDataSize " << c.a[0] << ", dwNumObjs "
              << c.a[1];
            break;
        case SIM_OP_SET_COOPERATIVE_LEVEL:
            o << "window " << hex(static_cast<DWORD>(c.handle)) << ", "
              << flag_names(c.a[0], {{DISCL_EXCLUSIVE, "DISCL_EXCLUSIVE"},
                                     {DISCL_NONEXCLUSIVE, "DISCL_NONEXCLUSIVE"},
                                     {DISCL_FOREGROUND, "DISCL_FOREGROUND"},
                                     {DISCL_BACKGROUND, "DISCL_BACKGROUND"}});
            break;
        case SIM_OP_GET_PROPERTY:
        case SIM_OP_SET_PROPERTY: {
            o << property_name(c.a[0]) << ", {diph{dwSize " << c.a[1] << ", dwHeaderSize " << c.a[2] << ", dwObj "
              << (c.a[4] == DIPH_BYOFFSET ? offset_name(c.a[3]) : std::to_string(c.a[3])) << ", dwHow "
              << value_name(c.a[4],
                            {{DIPH_DEVICE, "DIPH_DEVICE"}, {DIPH_BYOFFSET, "DIPH_BYOFFSET"}, {DIPH_BYID, "DIPH_BYID"}})
              << "}, ";
            if (c.a[0] == platform::property_number(DIPROP_RANGE)) {
                o << "lMin " << static_cast<LONG>(c.a[5]) << ", lMax " << static_cast<LONG>(c.a[6]);
            } else if (c.a[0] == platform::property_number(DIPROP_AUTOCENTER)) {
                o << "dwData "
                  << value_name(c.a[5], {{DIPROPAUTOCENTER_OFF, "DIPROPAUTOCENTER_OFF"},
                                         {DIPROPAUTOCENTER_ON, "DIPROPAUTOCENTER_ON"}});
            } else {
                o << "dwData " << c.a[5];
            }
            o << "}";
            break;
        }
        case SIM_OP_GET_DEVICE_STATE: o << "size " << c.a[0]; break;
        case SIM_OP_GET_CAPABILITIES: o << "dwSize " << c.a[0]; break;
        case SIM_OP_CREATE_EFFECT:
            o << guid_name(c.guid) << ", ";
            describe_effect(o, c.guid, c.params, DIEP_ALLPARAMS);
            break;
        case SIM_OP_SET_PARAMETERS:
            describe_effect(o, c.guid, c.params, c.a[0]);
            o << ", " << flag_names(c.a[0], kParameterFlags);
            break;
        case SIM_OP_START:
            o << "iterations " << (c.a[0] == 0xFFFFFFFFu ? "INFINITE" : std::to_string(c.a[0])) << ", "
              << flag_names(c.a[1], {{DIES_SOLO, "DIES_SOLO"}, {DIES_NODOWNLOAD, "DIES_NODOWNLOAD"}});
            break;
        default: break;
    }
    o << ") -> " << result_name(c.result);
    if (c.op == SIM_OP_CREATE_EFFECT && c.effect >= 0) o << ", effect #" << c.effect;
    if (c.on_released) o << " (the object had been released)";
    return o.str();
}

}  // namespace tamrilo::calltrace
