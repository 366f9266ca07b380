// Control API of the simulated DirectInput 5. The simulator is a DirectInput of our own: on
// Windows it is built as dinput.dll (exporting DirectInputCreateA and these functions), on
// Linux as libtamrilo_sim.so, which libtamrilo.so links. Tests and tamrilo-host steer it through
// these plain C functions: attach joysticks, set their state, inject faults, read the call log
// and the state of every object.
#pragma once

#include "axis_slots.h"
#include "platform/dinput.h"

#ifdef _WIN32
#define SIM_API extern "C" __declspec(dllexport)
#else
#define SIM_API extern "C" __attribute__((visibility("default")))
#endif

// Every DirectInput operation the simulator tells apart, in the log and for fault injection.
enum sim_op {
    SIM_OP_CREATE,           // DirectInputCreateA
    SIM_OP_ENUM_DEVICES,     // IDirectInputA::EnumDevices
    SIM_OP_CREATE_DEVICE,    // IDirectInputA::CreateDevice
    SIM_OP_QUERY_INTERFACE,  // any object
    SIM_OP_ADD_REF,          // any object
    SIM_OP_RELEASE,          // any object
    SIM_OP_SET_DATA_FORMAT,
    SIM_OP_SET_COOPERATIVE_LEVEL,
    SIM_OP_GET_PROPERTY,
    SIM_OP_SET_PROPERTY,
    SIM_OP_ACQUIRE,
    SIM_OP_UNACQUIRE,
    SIM_OP_GET_DEVICE_STATE,
    SIM_OP_POLL,
    SIM_OP_GET_CAPABILITIES,
    SIM_OP_CREATE_EFFECT,
    SIM_OP_SET_PARAMETERS,
    SIM_OP_START,
    SIM_OP_STOP,
    SIM_OP_UNLOAD,
    SIM_OP_OTHER,  // any method the library never calls
    SIM_OP_COUNT
};

enum sim_object_kind { SIM_OBJECT_NONE, SIM_OBJECT_DIRECTINPUT, SIM_OBJECT_DEVICE, SIM_OBJECT_EFFECT };

// A joystick to attach. Devices are numbered 0, 1, 2, … in attachment order, which is also
// DirectInput's enumeration order.
struct sim_joystick {
    char product_name[MAX_PATH];  // copied whole into tszProductName, bytes after the NUL included
    char instance_name[MAX_PATH];
    int force_feedback;         // DIDC_FORCEFEEDBACK; CreateEffect fails with DIERR_UNSUPPORTED without it
    DWORD axes, buttons, povs;  // what GetCapabilities reports
    int refuse_create_device;   // CreateDevice fails with DIERR_DEVICENOTREG
    int refuse_device2;         // QueryInterface(IID_IDirectInputDevice2A) fails with E_NOINTERFACE
};

// A deep copy of a DIEFFECT and of everything it points to.
struct sim_effect_params {
    DWORD size, flags, duration, sample_period, gain, trigger_button, trigger_repeat_interval;
    DWORD axis_count;                           // cAxes
    DWORD axes[4];                              // the first min(cAxes, 4) entries of rgdwAxes
    LONG direction[4];                          // the first min(cAxes, 4) entries of rglDirection
    int has_axes, has_direction, has_envelope;  // whether the pointers were non-null
    DWORD type_specific_size;                   // cbTypeSpecificParams
    unsigned char type_specific[64];            // the first min(cbTypeSpecificParams, 64) bytes
};

// One call that reached the simulator.
struct sim_call {
    int op;      // sim_op
    int object;  // id of the object called (0 for DirectInputCreateA)
    int kind;    // sim_object_kind of that object
    int device;  // device number the object belongs to, or -1
    int effect;  // effect id (objects are numbered 1, 2, … across all kinds), or -1
    HRESULT result;
    int on_released;  // the object had no reference left: a use after release
    // Scalar arguments, by operation:
    //   CREATE: a0 version;  ENUM_DEVICES: a0 device type, a1 flags, a2 whether pvRef was null;
    //   SET_COOPERATIVE_LEVEL: a0 flags;  GET/SET_PROPERTY: a0 property (1..9), a1 dwSize,
    //   a2 dwHeaderSize, a3 dwObj, a4 dwHow, a5 dwData or lMin, a6 lMax;  SET_DATA_FORMAT:
    //   a0 dwDataSize, a1 dwNumObjs, a2 whether it is the library's c_dfDIJoystick layout;
    //   GET_DEVICE_STATE: a0 size;  GET_CAPABILITIES: a0 dwSize;  SET_PARAMETERS: a0 flags;
    //   START: a0 iterations, a1 flags;  ADD_REF/RELEASE: a0 reference count after the call.
    DWORD a[7];
    UINT_PTR handle;  // CREATE: the instance handle; SET_COOPERATIVE_LEVEL: the window
    int outer_null;   // CREATE, CREATE_DEVICE, CREATE_EFFECT: punkOuter was null
    GUID guid;        // CREATE_DEVICE: guidInstance; QUERY_INTERFACE: riid; CREATE_EFFECT, SET_PARAMETERS: effect GUID
    sim_effect_params params;  // CREATE_EFFECT, SET_PARAMETERS
};

// The state of one effect object.
struct sim_effect_info {
    int id;  // object id
    int device;
    GUID guid;
    int refs;  // 0 once released
    int downloaded, playing;
    int start_count;           // how often it was started (Start, or SetParameters with DIEP_START)
    sim_effect_params params;  // the parameters it holds now
};

// The state of one device.
struct sim_device_info {
    int attached;
    int objects;  // device objects created for it that still have references
    int refs;     // references on the newest device object created for it
    int acquired;
    DWORD cooperative_flags;  // last flags accepted by SetCooperativeLevel
    UINT_PTR window;          // last window accepted by SetCooperativeLevel
    int data_format_set;
    // Per axis slot (data-format offset / 4: X, Y, Z, RX, RY, RZ, slider 0, slider 1):
    LONG range_min[tamrilo::kAxisSlots], range_max[tamrilo::kAxisSlots];  // DIPROP_RANGE
    DWORD dead_zone[tamrilo::kAxisSlots], saturation[tamrilo::kAxisSlots];
    DWORD autocenter;
};

// Back to the start: no joystick, no object, no fault, empty log.
SIM_API void sim_reset(void);

// The simulated clock, in microseconds: 0 when the simulator loads and after sim_reset, and
// moved only by sim_advance_clock (a script's wait), never by itself.
SIM_API void sim_advance_clock(unsigned long long microseconds);
SIM_API unsigned long long sim_clock(void);

// Attaches a joystick and returns its device number.
SIM_API int sim_attach(const sim_joystick* joystick);
// Unplugs or plugs again: an unplugged device is not enumerated, its reads give DIERR_INPUTLOST
// and Acquire DIERR_UNPLUGGED.
SIM_API void sim_set_attached(int device, int attached);
SIM_API void sim_set_state(int device, const DIJOYSTATE* state);
// The axis properties a driver sets by itself.
enum sim_axis_property { SIM_DEAD_ZONE, SIM_SATURATION };
// Sets an axis property as a driver would, without DirectInput's range checks, so that tests can
// give out-of-range device values.
SIM_API void sim_set_axis_property(int device, enum sim_axis_property property, DWORD offset, DWORD value);

// The next `count` calls of `op` (every one when count < 0) return `result` instead of doing
// their work. With device >= 0 only calls on that device's objects and effects count.
// DirectInputCreateA and EnumDevices belong to no device: give -1. A creating call so faulted
// hands out null, with DI_OK too: a creation that succeeds without an object.
SIM_API void sim_fail(int op, int device, HRESULT result, int count);
// For SIM_OP_CREATE, SIM_OP_CREATE_DEVICE and SIM_OP_CREATE_EFFECT only: the call does its work
// and hands back the object it created, yet returns `result`, as a driver that reports a failure
// after building the object would. Matching and counting as for sim_fail; either function
// replaces a fault the other set for the same op and device.
SIM_API void sim_fail_handing_back(int op, int device, HRESULT result, int count);
// As sim_fail_handing_back, but the call releases the object it built before returning: the
// pointer left in the output refers to a released object, and any call through it (Release
// included) counts as a call on a released object.
SIM_API void sim_fail_leaving_stale(int op, int device, HRESULT result, int count);
SIM_API void sim_clear_faults(void);

SIM_API int sim_call_count(void);
SIM_API int sim_get_call(int index, sim_call* call);
SIM_API void sim_clear_log(void);
// Calls of one operation in the log.
SIM_API int sim_count_calls(int op);

// Objects that still hold references, of one kind or of all (SIM_OBJECT_NONE).
SIM_API int sim_live_objects(int kind);
// Calls that reached an object after its last reference was released.
SIM_API int sim_released_object_calls(void);
// Device objects whose last reference was released while they were acquired, with no Unacquire
// asked for since their last Acquire (a faulted Unacquire counts as asked for). DirectInput
// unacquires such a device itself; a caller that relies on it leaves the device's effects
// playing until then.
SIM_API int sim_released_while_acquired(void);
// Calls answered by an injected fault since the last reset.
SIM_API int sim_injected_faults(void);
// The state the last successful GetDeviceState delivered (on any device), as the caller's data
// format laid it out; 0 when there was none since the last reset.
SIM_API int sim_last_state(DIJOYSTATE* state);

SIM_API int sim_get_device(int device, sim_device_info* info);

// One stretch of an effect playing with one set of downloaded parameters.
struct sim_play {
    int effect;  // the effect object's id
    int device;
    GUID guid;
    long long started_us;         // when it last (re)started: its own time 0
    long long from_us, until_us;  // the stretch; until_us is -1 while it still plays
    long long end_us;             // when it stops pushing (its duration may end it first); -1: not yet
    char remarks[256];            // values outside DirectInput's ranges, parts not drawn; "; " between
};

// Where a stick is and what it pushes at one moment. Positions and forces per axis slot (X, Y,
// Z, RX, RY, RZ, slider 0, slider 1), each -10000 … 10000; a positive force pushes toward
// larger axis values.
#define SIM_MAX_CONTRIBUTIONS 16
struct sim_force_sample {
    LONG position[tamrilo::kAxisSlots];
    LONG force[tamrilo::kAxisSlots];  // every playing effect summed, clamped to ±10000
    int contributions;                // playing stretches, the first SIM_MAX_CONTRIBUTIONS of them listed
    int play[SIM_MAX_CONTRIBUTIONS];  // index for sim_get_play
    LONG contribution[SIM_MAX_CONTRIBUTIONS][tamrilo::kAxisSlots];
};

SIM_API int sim_play_count(void);
SIM_API int sim_get_play(int index, sim_play* play);
SIM_API int sim_force_at(int device, long long time_us, sim_force_sample* sample);
// Moves the stick's axes in a straight line from where they are now to those of `target`,
// arriving `duration_us` of simulated time later (0: at once); buttons and POVs stay as they are.
SIM_API void sim_move_stick(int device, const DIJOYSTATE* target, unsigned long long duration_us);
// Effects in creation order, released ones included.
SIM_API int sim_effect_count(void);
SIM_API int sim_get_effect(int index, sim_effect_info* info);
