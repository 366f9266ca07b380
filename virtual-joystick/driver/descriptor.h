/* The report descriptor of a virtual joystick: four axes, one hat, sixteen buttons, and, for a
 * force-feedback joystick, the physical interface reports DirectInput writes to play the
 * constant force, the periodic waves and the spring, damper and friction conditions.
 *
 * Every field is byte-aligned so that protocol.h can name its offset. Each axis is its own main
 * item, X first: DirectInput's object offsets follow the order of the value items, and the
 * product names its effect axes by the standard joystick offsets of X and Y. */
#ifndef TAMRILO_VIRTUAL_JOYSTICK_DESCRIPTOR_H
#define TAMRILO_VIRTUAL_JOYSTICK_DESCRIPTOR_H

#include "virtual-joystick/protocol.h"

/* Short items: tag | type | size (1, 2 or 4 data bytes). */
#define USAGE_PAGE(v) 0x05, (v)
#define USAGE_PAGE_VENDOR 0x06, 0x00, 0xFF
#define USAGE(v) 0x09, (v)
#define USAGE_MIN(v) 0x19, (v)
#define USAGE_MAX(v) 0x29, (v)
#define LOGICAL_MIN8(v) 0x15, (unsigned char)(v)
#define LOGICAL_MIN16(v) 0x16, (unsigned char)((v)&0xFF), (unsigned char)(((v) >> 8) & 0xFF)
#define LOGICAL_MAX8(v) 0x25, (unsigned char)(v)
#define LOGICAL_MAX16(v) 0x26, (unsigned char)((v)&0xFF), (unsigned char)(((v) >> 8) & 0xFF)
#define LOGICAL_MAX32(v)                                                                                      \
    0x27, (unsigned char)((v)&0xFF), (unsigned char)(((v) >> 8) & 0xFF), (unsigned char)(((v) >> 16) & 0xFF), \
        (unsigned char)(((v) >> 24) & 0xFF)
#define PHYSICAL_MIN8(v) 0x35, (unsigned char)(v)
#define PHYSICAL_MAX16(v) 0x46, (unsigned char)((v)&0xFF), (unsigned char)(((v) >> 8) & 0xFF)
#define PHYSICAL_MAX8(v) 0x45, (unsigned char)(v)
#define UNIT16(v) 0x66, (unsigned char)((v)&0xFF), (unsigned char)(((v) >> 8) & 0xFF)
#define UNIT8(v) 0x65, (v)
/* The unit exponent is a signed 4-bit value: -2 is 0xFE, -6 is 0xFA. */
#define UNIT_EXPONENT(v) 0x55, (v)
#define REPORT_SIZE(v) 0x75, (v)
#define REPORT_COUNT(v) 0x95, (v)
#define REPORT_ID(v) 0x85, (v)
#define COLLECTION(v) 0xA1, (v)
#define END_COLLECTION 0xC0
#define INPUT(v) 0x81, (v)
#define OUTPUT(v) 0x91, (v)
#define FEATURE(v) 0xB1, (v)

#define COLL_PHYSICAL 0x00
#define COLL_APPLICATION 0x01
#define COLL_LOGICAL 0x02
#define DATA_VAR_ABS 0x02
#define DATA_ARRAY_ABS 0x00
#define DATA_VAR_ABS_NULL 0x42
#define CONSTANT 0x01

#define PAGE_GENERIC 0x01
#define PAGE_BUTTON 0x09
#define PAGE_ORDINAL 0x0A
#define PAGE_PID 0x0F

/* Degrees (English rotation), seconds (SI linear). */
#define UNIT_DEGREES 0x14
#define UNIT_SECONDS 0x1003

/* An 8-bit effect block index, 1..VJ_MAX_BLOCKS. */
#define BLOCK_INDEX USAGE(0x22), LOGICAL_MIN8(1), LOGICAL_MAX8(VJ_MAX_BLOCKS), REPORT_SIZE(8), REPORT_COUNT(1)

/* The Effect Type array: its index is enum vj_effect_type. */
#define EFFECT_TYPES(kind)                                                                                  \
    USAGE(0x25), COLLECTION(COLL_LOGICAL), USAGE(0x26), USAGE(0x30), USAGE(0x31), USAGE(0x32), USAGE(0x33), \
        USAGE(0x34), USAGE(0x40), USAGE(0x41), USAGE(0x43), LOGICAL_MIN8(1), LOGICAL_MAX8(VJ_ET_COUNT),     \
        REPORT_SIZE(8), REPORT_COUNT(1), kind(DATA_ARRAY_ABS), END_COLLECTION

/* Everything but the physical interface reports: the stick itself. */
#define STICK_INPUT                                                                                                   \
    REPORT_ID(VJ_REPORT_INPUT), USAGE_PAGE(PAGE_GENERIC), LOGICAL_MIN16(-VJ_AXIS_MAX), LOGICAL_MAX16(VJ_AXIS_MAX),    \
        REPORT_SIZE(16), REPORT_COUNT(1), USAGE(0x30), INPUT(DATA_VAR_ABS), USAGE(0x31), INPUT(DATA_VAR_ABS),         \
        USAGE(0x32), INPUT(DATA_VAR_ABS), USAGE(0x35), INPUT(DATA_VAR_ABS), USAGE(0x39), LOGICAL_MIN8(0),             \
        LOGICAL_MAX8(7), PHYSICAL_MIN8(0), PHYSICAL_MAX16(315), UNIT8(UNIT_DEGREES), REPORT_SIZE(4), REPORT_COUNT(1), \
        INPUT(DATA_VAR_ABS_NULL), UNIT8(0), PHYSICAL_MAX8(0), REPORT_SIZE(4), INPUT(CONSTANT),                        \
        USAGE_PAGE(PAGE_BUTTON), USAGE_MIN(1), USAGE_MAX(16), LOGICAL_MIN8(0), LOGICAL_MAX8(1), REPORT_SIZE(1),       \
        REPORT_COUNT(16), INPUT(DATA_VAR_ABS)

/* The physical interface reports. Logical ranges equal the ranges DirectInput scales to, so
 * values arrive in DirectInput units; times carry no physical range and a microsecond exponent,
 * so they arrive unscaled in microseconds. */
#define FORCE_FEEDBACK                                                                                                 \
    USAGE_PAGE(PAGE_PID), /* Set Effect */                                                                             \
        USAGE(0x21), COLLECTION(COLL_LOGICAL), REPORT_ID(VJ_REPORT_SET_EFFECT), BLOCK_INDEX, OUTPUT(DATA_VAR_ABS),     \
        EFFECT_TYPES(OUTPUT), USAGE(0x50), USAGE(0xA7), USAGE(0x51), USAGE(0x54), LOGICAL_MIN8(0),                     \
        LOGICAL_MAX32(0x7FFFFFFF), UNIT16(UNIT_SECONDS), UNIT_EXPONENT(0xFA), REPORT_SIZE(32), REPORT_COUNT(4),        \
        OUTPUT(DATA_VAR_ABS), UNIT8(0), UNIT_EXPONENT(0), USAGE(0x52), LOGICAL_MAX16(10000), REPORT_SIZE(16),          \
        REPORT_COUNT(1), OUTPUT(DATA_VAR_ABS), USAGE(0x55), COLLECTION(COLL_LOGICAL), USAGE_PAGE(PAGE_GENERIC),        \
        USAGE(0x30), USAGE(0x31), LOGICAL_MAX8(1), REPORT_SIZE(1), REPORT_COUNT(2), OUTPUT(DATA_VAR_ABS),              \
        END_COLLECTION, USAGE_PAGE(PAGE_PID), USAGE(0x56), REPORT_COUNT(1), OUTPUT(DATA_VAR_ABS), REPORT_COUNT(5),     \
        OUTPUT(CONSTANT), USAGE(0x57), COLLECTION(COLL_LOGICAL), USAGE_PAGE(PAGE_ORDINAL), USAGE(1), USAGE(2),         \
        UNIT8(UNIT_DEGREES), UNIT_EXPONENT(0xFE), LOGICAL_MAX32(35900), REPORT_SIZE(16), REPORT_COUNT(2),              \
        OUTPUT(DATA_VAR_ABS), UNIT8(0), UNIT_EXPONENT(0), END_COLLECTION, USAGE_PAGE(PAGE_PID),                        \
        END_COLLECTION, /* Set Envelope: DirectInput needs it for the constant force and the periodic waves, even      \
                         * when an effect has no envelope */                                                           \
        USAGE(0x5A), COLLECTION(COLL_LOGICAL), REPORT_ID(VJ_REPORT_SET_ENVELOPE), BLOCK_INDEX, OUTPUT(DATA_VAR_ABS),   \
        USAGE(0x5B), USAGE(0x5D), LOGICAL_MIN8(0), LOGICAL_MAX16(10000), REPORT_SIZE(16), REPORT_COUNT(2),             \
        OUTPUT(DATA_VAR_ABS), USAGE(0x5C), USAGE(0x5E), LOGICAL_MAX32(0x7FFFFFFF), UNIT16(UNIT_SECONDS),               \
        UNIT_EXPONENT(0xFA), REPORT_SIZE(32), OUTPUT(DATA_VAR_ABS), UNIT8(0), UNIT_EXPONENT(0),                        \
        END_COLLECTION, /* Set Condition: one per axis, told apart by the parameter block offset */                    \
        USAGE(0x5F), COLLECTION(COLL_LOGICAL), REPORT_ID(VJ_REPORT_SET_CONDITION), BLOCK_INDEX, OUTPUT(DATA_VAR_ABS),  \
        USAGE(0x23), LOGICAL_MIN8(0), LOGICAL_MAX8(1), REPORT_SIZE(8), OUTPUT(DATA_VAR_ABS), USAGE(0x60), USAGE(0x61), \
        USAGE(0x62), LOGICAL_MIN16(-10000), LOGICAL_MAX16(10000), REPORT_SIZE(16), REPORT_COUNT(3),                    \
        OUTPUT(DATA_VAR_ABS), USAGE(0x63), USAGE(0x64), USAGE(0x65), LOGICAL_MIN8(0), LOGICAL_MAX16(10000),            \
        REPORT_COUNT(3), OUTPUT(DATA_VAR_ABS), END_COLLECTION, /* Set Periodic */                                      \
        USAGE(0x6E), COLLECTION(COLL_LOGICAL), REPORT_ID(VJ_REPORT_SET_PERIODIC), BLOCK_INDEX, OUTPUT(DATA_VAR_ABS),   \
        USAGE(0x70), LOGICAL_MIN8(0), LOGICAL_MAX16(10000), REPORT_SIZE(16), OUTPUT(DATA_VAR_ABS), USAGE(0x6F),        \
        LOGICAL_MIN16(-10000), OUTPUT(DATA_VAR_ABS), USAGE(0x71), LOGICAL_MIN8(0), LOGICAL_MAX32(35900),               \
        OUTPUT(DATA_VAR_ABS), USAGE(0x72), LOGICAL_MAX32(0x7FFFFFFF), UNIT16(UNIT_SECONDS), UNIT_EXPONENT(0xFA),       \
        REPORT_SIZE(32), OUTPUT(DATA_VAR_ABS), UNIT8(0), UNIT_EXPONENT(0), END_COLLECTION, /* Set Constant Force */    \
        USAGE(0x73), COLLECTION(COLL_LOGICAL), REPORT_ID(VJ_REPORT_SET_CONSTANT), BLOCK_INDEX, OUTPUT(DATA_VAR_ABS),   \
        USAGE(0x70), LOGICAL_MIN16(-10000), LOGICAL_MAX16(10000), REPORT_SIZE(16), OUTPUT(DATA_VAR_ABS),               \
        END_COLLECTION, /* Effect Operation */                                                                         \
        USAGE(0x77), COLLECTION(COLL_LOGICAL), REPORT_ID(VJ_REPORT_EFFECT_OPERATION), BLOCK_INDEX,                     \
        OUTPUT(DATA_VAR_ABS), USAGE(0x78), COLLECTION(COLL_LOGICAL), USAGE(0x79), USAGE(0x7A), USAGE(0x7B),            \
        LOGICAL_MIN8(1), LOGICAL_MAX8(3), REPORT_SIZE(8), OUTPUT(DATA_ARRAY_ABS), END_COLLECTION, USAGE(0x7C),         \
        LOGICAL_MIN8(0), LOGICAL_MAX16(255), OUTPUT(DATA_VAR_ABS), END_COLLECTION, /* Block Free */                    \
        USAGE(0x90), COLLECTION(COLL_LOGICAL), REPORT_ID(VJ_REPORT_BLOCK_FREE), BLOCK_INDEX, OUTPUT(DATA_VAR_ABS),     \
        END_COLLECTION, /* Device Control */                                                                           \
        USAGE(0x96), COLLECTION(COLL_LOGICAL), REPORT_ID(VJ_REPORT_DEVICE_CONTROL), USAGE(0x97), USAGE(0x98),          \
        USAGE(0x99), USAGE(0x9A), USAGE(0x9B), USAGE(0x9C), LOGICAL_MIN8(1), LOGICAL_MAX8(6), REPORT_SIZE(8),          \
        REPORT_COUNT(1), OUTPUT(DATA_ARRAY_ABS), END_COLLECTION, /* Device Gain */                                     \
        USAGE(0x7D), COLLECTION(COLL_LOGICAL), REPORT_ID(VJ_REPORT_DEVICE_GAIN), USAGE(0x7E), LOGICAL_MIN8(0),         \
        LOGICAL_MAX16(10000), REPORT_SIZE(16), OUTPUT(DATA_VAR_ABS),                                                   \
        END_COLLECTION, /* PID Pool: the device manages its effect blocks */                                           \
        USAGE(0x7F), COLLECTION(COLL_LOGICAL), REPORT_ID(VJ_REPORT_POOL), USAGE(0x80), LOGICAL_MIN8(0),                \
        LOGICAL_MAX16(0x7FFF), REPORT_SIZE(16), FEATURE(DATA_VAR_ABS), USAGE(0x83), LOGICAL_MAX16(255),                \
        REPORT_SIZE(8), FEATURE(DATA_VAR_ABS), USAGE(0xA9), USAGE(0xAA), LOGICAL_MAX8(1), REPORT_SIZE(1),              \
        REPORT_COUNT(2), FEATURE(DATA_VAR_ABS), REPORT_COUNT(6), FEATURE(CONSTANT),                                    \
        END_COLLECTION, /* Create New Effect */                                                                        \
        USAGE(0xAB), COLLECTION(COLL_LOGICAL), REPORT_ID(VJ_REPORT_CREATE_EFFECT), EFFECT_TYPES(FEATURE),              \
        END_COLLECTION, /* Block Load */                                                                               \
        USAGE(0x89), COLLECTION(COLL_LOGICAL), REPORT_ID(VJ_REPORT_BLOCK_LOAD), BLOCK_INDEX, FEATURE(DATA_VAR_ABS),    \
        USAGE(0x8B), COLLECTION(COLL_LOGICAL), USAGE(0x8C), USAGE(0x8D), USAGE(0x8E), LOGICAL_MIN8(1),                 \
        LOGICAL_MAX8(3), REPORT_SIZE(8), REPORT_COUNT(1), FEATURE(DATA_ARRAY_ABS), END_COLLECTION, USAGE(0xAC),        \
        LOGICAL_MIN8(0), LOGICAL_MAX16(0x7FFF), REPORT_SIZE(16), FEATURE(DATA_VAR_ABS), END_COLLECTION

#define JOYSTICK_BEGIN USAGE_PAGE(PAGE_GENERIC), USAGE(0x04), COLLECTION(COLL_APPLICATION)

static const unsigned char vj_descriptor_force_feedback[] = {JOYSTICK_BEGIN, STICK_INPUT, FORCE_FEEDBACK,
                                                             END_COLLECTION};

static const unsigned char vj_descriptor_plain[] = {JOYSTICK_BEGIN, STICK_INPUT, END_COLLECTION};

#endif
