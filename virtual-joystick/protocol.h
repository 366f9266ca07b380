/* What the virtual joystick driver and its control library agree on: the report layout the
 * driver's descriptor declares (byte-aligned, so the control library can decode received reports
 * by offset), the private control codes and the record of a received report.
 * Plain C: the driver is built freestanding. */
#ifndef TAMRILO_VIRTUAL_JOYSTICK_PROTOCOL_H
#define TAMRILO_VIRTUAL_JOYSTICK_PROTOCOL_H

/* Report ids. Input 1 is the stick; 2 to 10 are the force-feedback output reports DirectInput
 * writes; 11 to 13 are the feature reports of the device-managed effect pool. */
enum vj_report_id {
    VJ_REPORT_INPUT = 1,
    VJ_REPORT_SET_EFFECT = 2,
    VJ_REPORT_SET_ENVELOPE = 3,
    VJ_REPORT_SET_CONDITION = 4,
    VJ_REPORT_SET_PERIODIC = 5,
    VJ_REPORT_SET_CONSTANT = 6,
    VJ_REPORT_EFFECT_OPERATION = 7,
    VJ_REPORT_BLOCK_FREE = 8,
    VJ_REPORT_DEVICE_CONTROL = 9,
    VJ_REPORT_DEVICE_GAIN = 10,
    VJ_REPORT_POOL = 11,
    VJ_REPORT_CREATE_EFFECT = 12,
    VJ_REPORT_BLOCK_LOAD = 13
};

/* Input report: id, X, Y, Z, Rz (signed 16-bit, -32767..32767), hat (low 4 bits, 0..7 clockwise
 * from north, 8 = centred), 16 buttons (bit n = button n+1). */
#define VJ_INPUT_SIZE 12
#define VJ_AXIS_MAX 32767

/* Effect types, in the order of the Effect Type arrays (array index 1 = constant force). */
enum vj_effect_type {
    VJ_ET_CONSTANT = 1,
    VJ_ET_SQUARE,
    VJ_ET_SINE,
    VJ_ET_TRIANGLE,
    VJ_ET_SAWTOOTH_UP,
    VJ_ET_SAWTOOTH_DOWN,
    VJ_ET_SPRING,
    VJ_ET_DAMPER,
    VJ_ET_FRICTION,
    VJ_ET_COUNT = VJ_ET_FRICTION
};

/* Effect operations (array index in the Effect Operation report). */
enum vj_effect_operation { VJ_OP_START = 1, VJ_OP_START_SOLO, VJ_OP_STOP };

/* Device control (array index in the Device Control report). */
enum vj_device_control {
    VJ_DC_ENABLE_ACTUATORS = 1,
    VJ_DC_DISABLE_ACTUATORS,
    VJ_DC_STOP_ALL,
    VJ_DC_RESET,
    VJ_DC_PAUSE,
    VJ_DC_CONTINUE
};

/* Block load status (array index in the Block Load report). */
enum vj_block_load_status { VJ_LOAD_SUCCESS = 1, VJ_LOAD_FULL, VJ_LOAD_ERROR };

/* Byte offsets in the output reports (the id is byte 0); multi-byte values are little-endian.
 * Times are microseconds, angles hundredths of a degree, the rest DirectInput units. */
enum {
    VJ_EFFECT_BLOCK = 1, /* every effect report: the effect block index */
    VJ_SET_EFFECT_TYPE = 2,
    VJ_SET_EFFECT_DURATION = 3,
    VJ_SET_EFFECT_START_DELAY = 7,
    VJ_SET_EFFECT_SAMPLE_PERIOD = 11,
    VJ_SET_EFFECT_REPEAT_INTERVAL = 15,
    VJ_SET_EFFECT_GAIN = 19,
    VJ_SET_EFFECT_ENABLE = 21,    /* bit 0 X, bit 1 Y, bit 2 direction */
    VJ_SET_EFFECT_DIRECTION = 22, /* two angles */
    VJ_ENVELOPE_ATTACK_LEVEL = 2,
    VJ_ENVELOPE_FADE_LEVEL = 4,
    VJ_ENVELOPE_ATTACK_TIME = 6,
    VJ_ENVELOPE_FADE_TIME = 10,
    VJ_CONDITION_AXIS = 2,
    VJ_CONDITION_CENTER = 3,
    VJ_CONDITION_POSITIVE_COEFFICIENT = 5,
    VJ_CONDITION_NEGATIVE_COEFFICIENT = 7,
    VJ_CONDITION_POSITIVE_SATURATION = 9,
    VJ_CONDITION_NEGATIVE_SATURATION = 11,
    VJ_CONDITION_DEAD_BAND = 13,
    VJ_PERIODIC_MAGNITUDE = 2,
    VJ_PERIODIC_OFFSET = 4,
    VJ_PERIODIC_PHASE = 6,
    VJ_PERIODIC_PERIOD = 8,
    VJ_CONSTANT_MAGNITUDE = 2,
    VJ_OPERATION = 2,
    VJ_OPERATION_LOOPS = 3,
    VJ_DEVICE_CONTROL = 1,
    VJ_DEVICE_GAIN = 1,
    VJ_CREATE_EFFECT_TYPE = 1,
    VJ_BLOCK_LOAD_STATUS = 2,
    VJ_BLOCK_LOAD_POOL = 3
};

/* Effect blocks the device manages. */
#define VJ_MAX_BLOCKS 64

/* Longest report any side sends, with its id byte. */
#define VJ_MAX_REPORT 32

/* One report the device received, in arrival order, with the performance counter's value when it
 * arrived (the clock QueryPerformanceCounter reads, so a program can set it beside its own). */
enum vj_record_kind { VJ_RECORD_OUTPUT = 1, VJ_RECORD_FEATURE = 2 };
struct vj_record {
    long long ticks;
    unsigned char kind;
    unsigned char length;
    unsigned char bytes[VJ_MAX_REPORT];
};

/* Reports kept until the control library drains them; later ones are counted as lost. */
#define VJ_LOG_CAPACITY 1024

/* Device state the control library reads. */
struct vj_info {
    unsigned long force_feedback; /* the descriptor carries the force-feedback reports */
    unsigned long present;        /* DirectInput lists it */
    unsigned long lost_records;   /* reports that did not fit the log */
    unsigned long reads;          /* input reports served so far */
    unsigned short product[64];   /* product name, UTF-16, terminated */
};

/* Private control codes, sent on the device's HID interface (buffered). */
#define VJ_CTL(n) (((0x22UL) << 16) | ((n) << 2))
#define VJ_IOCTL_SET_INPUT VJ_CTL(0x900)   /* in: VJ_INPUT_SIZE bytes */
#define VJ_IOCTL_DRAIN VJ_CTL(0x901)       /* out: vj_record[] */
#define VJ_IOCTL_GET_INFO VJ_CTL(0x902)    /* out: vj_info */
#define VJ_IOCTL_SET_PRODUCT VJ_CTL(0x903) /* in: UTF-16 name, not terminated, at most 63 */
#define VJ_IOCTL_SET_PRESENT VJ_CTL(0x904) /* in: unsigned long, 0 or 1 */

#endif
