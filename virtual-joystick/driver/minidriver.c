/* A HID minidriver for virtual joysticks. Each root-enumerated device is one joystick: its
 * product name and whether it has force feedback come from the device's registry key (written by
 * the installer); its input state is whatever the control library last sent; every report
 * DirectInput writes to it is kept in a log the control library drains. All of a joystick's
 * state lives in its device extension. */
#include <ntddk.h>

#include "virtual-joystick/driver/descriptor.h"
#include "virtual-joystick/protocol.h"

/* The class driver's interface, which the SDK headers do not declare. */
typedef struct {
    ULONG Revision;
    DRIVER_OBJECT* DriverObject;
    UNICODE_STRING* RegistryPath;
    ULONG DeviceExtensionSize;
    BOOLEAN DevicesArePolled;
    UCHAR Reserved[3];
} HID_MINIDRIVER_REGISTRATION;

typedef struct {
    DEVICE_OBJECT* PhysicalDeviceObject;
    DEVICE_OBJECT* NextDeviceObject;
    void* MiniDeviceExtension;
} HID_DEVICE_EXTENSION;

typedef struct {
    UCHAR* reportBuffer;
    ULONG reportBufferLen;
    UCHAR reportId;
} HID_XFER_PACKET;

#include <pshpack1.h>
typedef struct {
    UCHAR bLength;
    UCHAR bDescriptorType;
    USHORT bcdHID;
    UCHAR bCountry;
    UCHAR bNumDescriptors;
    UCHAR bReportType;
    USHORT wReportLength;
} HID_DESCRIPTOR;
#include <poppack.h>

typedef struct {
    ULONG Size;
    USHORT VendorID;
    USHORT ProductID;
    USHORT VersionNumber;
    USHORT Reserved[11];
} HID_DEVICE_ATTRIBUTES;

NTSTATUS WINAPI HidRegisterMinidriver(HID_MINIDRIVER_REGISTRATION* registration);

/* The class driver's requests to its minidriver. The SDK's ddk/hidclass.h numbers them 0 to 5,
 * which is not what the class driver sends. */
#define HID_CODE(n, method) CTL_CODE(FILE_DEVICE_KEYBOARD, (n), (method), FILE_ANY_ACCESS)
#define VJ_HID_GET_DEVICE_DESCRIPTOR HID_CODE(0, METHOD_NEITHER)
#define VJ_HID_GET_REPORT_DESCRIPTOR HID_CODE(1, METHOD_NEITHER)
#define VJ_HID_READ_REPORT HID_CODE(2, METHOD_NEITHER)
#define VJ_HID_WRITE_REPORT HID_CODE(3, METHOD_NEITHER)
#define VJ_HID_GET_STRING HID_CODE(4, METHOD_NEITHER)
#define VJ_HID_ACTIVATE_DEVICE HID_CODE(7, METHOD_NEITHER)
#define VJ_HID_DEACTIVATE_DEVICE HID_CODE(8, METHOD_NEITHER)
#define VJ_HID_GET_DEVICE_ATTRIBUTES HID_CODE(9, METHOD_NEITHER)
#define VJ_HID_SET_FEATURE CTL_CODE(FILE_DEVICE_KEYBOARD, 100, METHOD_IN_DIRECT, FILE_ANY_ACCESS)
#define VJ_HID_SET_OUTPUT_REPORT CTL_CODE(FILE_DEVICE_KEYBOARD, 101, METHOD_IN_DIRECT, FILE_ANY_ACCESS)
#define VJ_HID_GET_FEATURE CTL_CODE(FILE_DEVICE_KEYBOARD, 100, METHOD_OUT_DIRECT, FILE_ANY_ACCESS)
#define VJ_HID_GET_INPUT_REPORT CTL_CODE(FILE_DEVICE_KEYBOARD, 104, METHOD_OUT_DIRECT, FILE_ANY_ACCESS)

#define VJ_MAGIC 0x4A56544Du
#define VJ_VENDOR 0x1209
#define VJ_PRODUCT 0x7A10

struct vj_device {
    ULONG magic;
    KSPIN_LOCK lock;
    BOOLEAN force_feedback;
    BOOLEAN present;
    UCHAR input[VJ_INPUT_SIZE];
    ULONG reads;
    WCHAR product[64];
    BOOLEAN block_used[VJ_MAX_BLOCKS];
    UCHAR loaded_block;
    UCHAR load_status;
    ULONG lost_records;
    ULONG record_count;
    struct vj_record records[VJ_LOG_CAPACITY];
};

/* The class driver's own device-control handler, which ours wraps. */
static PDRIVER_DISPATCH class_device_control;

static struct vj_device* device_of(DEVICE_OBJECT* fdo) {
    return ((HID_DEVICE_EXTENSION*)fdo->DeviceExtension)->MiniDeviceExtension;
}

static void copy_bytes(void* to, const void* from, ULONG n) {
    UCHAR* t = to;
    const UCHAR* f = from;
    while (n--) *t++ = *f++;
}

static void fill_bytes(void* to, UCHAR value, ULONG n) {
    UCHAR* t = to;
    while (n--) *t++ = value;
}

/* Reads one value of the device's registry key into `buffer`; false when it is missing. */
static BOOLEAN read_setting(HANDLE key, const WCHAR* name, void* buffer, ULONG size) {
    UCHAR raw[sizeof(KEY_VALUE_PARTIAL_INFORMATION) + 128 * sizeof(WCHAR)];
    KEY_VALUE_PARTIAL_INFORMATION* info = (KEY_VALUE_PARTIAL_INFORMATION*)raw;
    UNICODE_STRING string;
    ULONG length = 0;
    RtlInitUnicodeString(&string, name);
    if (ZwQueryValueKey(key, &string, KeyValuePartialInformation, info, sizeof(raw), &length) != STATUS_SUCCESS)
        return FALSE;
    copy_bytes(buffer, info->Data, info->DataLength < size ? info->DataLength : size);
    return TRUE;
}

static void set_centred(struct vj_device* device) {
    fill_bytes(device->input, 0, VJ_INPUT_SIZE);
    device->input[0] = VJ_REPORT_INPUT;
    device->input[9] = 8; /* hat centred */
}

static NTSTATUS WINAPI add_device(DRIVER_OBJECT* driver, DEVICE_OBJECT* fdo) {
    HID_DEVICE_EXTENSION* hid = fdo->DeviceExtension;
    struct vj_device* device = hid->MiniDeviceExtension;
    static const WCHAR fallback[] = L"Tamrilo Virtual Joystick";
    ULONG force_feedback = 1;
    HANDLE key;
    (void)driver;

    fill_bytes(device, 0, sizeof(*device));
    device->magic = VJ_MAGIC;
    KeInitializeSpinLock(&device->lock);
    device->present = TRUE;
    set_centred(device);
    copy_bytes(device->product, fallback, sizeof(fallback));
    if (IoOpenDeviceRegistryKey(hid->PhysicalDeviceObject, PLUGPLAY_REGKEY_DEVICE, KEY_READ, &key) == STATUS_SUCCESS) {
        read_setting(key, L"ForceFeedback", &force_feedback, sizeof(force_feedback));
        read_setting(key, L"ProductName", device->product, sizeof(device->product) - sizeof(WCHAR));
        ZwClose(key);
    }
    device->force_feedback = force_feedback != 0;
    fdo->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

static NTSTATUS WINAPI dispatch_pnp(DEVICE_OBJECT* fdo, IRP* irp) {
    HID_DEVICE_EXTENSION* hid = fdo->DeviceExtension;
    IoSkipCurrentIrpStackLocation(irp);
    return IoCallDriver(hid->NextDeviceObject, irp);
}

static void log_report(struct vj_device* device, UCHAR kind, const HID_XFER_PACKET* packet) {
    struct vj_record* record;
    if (device->record_count == VJ_LOG_CAPACITY) {
        ++device->lost_records;
        return;
    }
    record = &device->records[device->record_count++];
    record->ticks = KeQueryPerformanceCounter(NULL).QuadPart;
    record->kind = kind;
    record->length = packet->reportBufferLen < VJ_MAX_REPORT ? (UCHAR)packet->reportBufferLen : VJ_MAX_REPORT;
    copy_bytes(record->bytes, packet->reportBuffer, record->length);
}

/* The device manages its effect blocks: Create New Effect takes the lowest free one, Block
 * Free and a device Reset give them back. */
static void handle_output(struct vj_device* device, const HID_XFER_PACKET* packet) {
    const UCHAR* report = packet->reportBuffer;
    if (packet->reportBufferLen < 2) return;
    if (report[0] == VJ_REPORT_BLOCK_FREE && report[VJ_EFFECT_BLOCK] >= 1 && report[VJ_EFFECT_BLOCK] <= VJ_MAX_BLOCKS)
        device->block_used[report[VJ_EFFECT_BLOCK] - 1] = FALSE;
    if (report[0] == VJ_REPORT_DEVICE_CONTROL && report[VJ_DEVICE_CONTROL] == VJ_DC_RESET)
        fill_bytes(device->block_used, 0, sizeof(device->block_used));
}

static void handle_set_feature(struct vj_device* device, const HID_XFER_PACKET* packet) {
    ULONG i;
    if (packet->reportBufferLen < 2 || packet->reportBuffer[0] != VJ_REPORT_CREATE_EFFECT) return;
    device->loaded_block = 0;
    device->load_status = VJ_LOAD_FULL;
    for (i = 0; i < VJ_MAX_BLOCKS; ++i) {
        if (!device->block_used[i]) {
            device->block_used[i] = TRUE;
            device->loaded_block = (UCHAR)(i + 1);
            device->load_status = VJ_LOAD_SUCCESS;
            break;
        }
    }
}

static NTSTATUS handle_get_feature(struct vj_device* device, HID_XFER_PACKET* packet, ULONG_PTR* written) {
    UCHAR* report = packet->reportBuffer;
    ULONG i, free_blocks = 0;
    for (i = 0; i < VJ_MAX_BLOCKS; ++i) free_blocks += !device->block_used[i];
    if (packet->reportId == VJ_REPORT_POOL && packet->reportBufferLen >= 5) {
        report[0] = VJ_REPORT_POOL;
        report[1] = VJ_MAX_BLOCKS;
        report[2] = 0;
        report[3] = VJ_MAX_BLOCKS;
        report[4] = 1; /* device-managed pool, no shared parameter blocks */
        *written = 5;
        return STATUS_SUCCESS;
    }
    if (packet->reportId == VJ_REPORT_BLOCK_LOAD && packet->reportBufferLen >= 5) {
        report[0] = VJ_REPORT_BLOCK_LOAD;
        report[VJ_EFFECT_BLOCK] = device->loaded_block;
        report[VJ_BLOCK_LOAD_STATUS] = device->load_status ? device->load_status : VJ_LOAD_ERROR;
        report[VJ_BLOCK_LOAD_POOL] = (UCHAR)free_blocks;
        report[VJ_BLOCK_LOAD_POOL + 1] = 0;
        *written = 5;
        return STATUS_SUCCESS;
    }
    return STATUS_INVALID_PARAMETER;
}

static NTSTATUS get_string(struct vj_device* device, ULONG id, WCHAR* out, ULONG size, ULONG_PTR* written) {
    static const WCHAR maker[] = L"Tamrilo";
    static const WCHAR serial[] = L"0";
    const WCHAR* text;
    ULONG length = 0;
    /* The class driver asks by string kind (1 maker, 2 product, 3 serial); USB-style string
     * indexes 14 to 16 mean the same. */
    switch (id & 0xFFFF) {
        case 1:
        case 14: text = maker; break;
        case 2:
        case 15: text = device->product; break;
        case 3:
        case 16: text = serial; break;
        default: return STATUS_INVALID_PARAMETER;
    }
    /* A joystick that is not present answers no name, so DirectInput leaves it out. */
    if (!device->present) return STATUS_DEVICE_NOT_CONNECTED;
    while (text[length]) ++length;
    if (size < (length + 1) * sizeof(WCHAR)) return STATUS_BUFFER_TOO_SMALL;
    copy_bytes(out, text, (length + 1) * sizeof(WCHAR));
    *written = (length + 1) * sizeof(WCHAR);
    return STATUS_SUCCESS;
}

/* Wine's class driver hands every report transfer over as the request's output buffer; the
 * documented places are the input buffers. */
static const HID_XFER_PACKET* transfer_packet(IRP* irp, const void* documented) {
    return irp->UserBuffer ? irp->UserBuffer : documented;
}

static NTSTATUS WINAPI dispatch_internal(DEVICE_OBJECT* fdo, IRP* irp) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    struct vj_device* device = device_of(fdo);
    const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    const ULONG out_size = stack->Parameters.DeviceIoControl.OutputBufferLength;
    const unsigned char* descriptor = device->force_feedback ? vj_descriptor_force_feedback : vj_descriptor_plain;
    const ULONG descriptor_size =
        device->force_feedback ? sizeof(vj_descriptor_force_feedback) : sizeof(vj_descriptor_plain);
    NTSTATUS status = STATUS_SUCCESS;
    ULONG_PTR written = 0;
    KIRQL irql;

    KeAcquireSpinLock(&device->lock, &irql);
    switch (code) {
        case VJ_HID_GET_DEVICE_DESCRIPTOR: {
            HID_DESCRIPTOR hid = {sizeof(HID_DESCRIPTOR), 0x21, 0x0100, 0, 1, 0x22, (USHORT)descriptor_size};
            if (out_size < sizeof(hid)) {
                status = STATUS_BUFFER_TOO_SMALL;
                break;
            }
            copy_bytes(irp->UserBuffer, &hid, sizeof(hid));
            written = sizeof(hid);
            break;
        }
        case VJ_HID_GET_REPORT_DESCRIPTOR:
            if (out_size < descriptor_size) {
                status = STATUS_BUFFER_TOO_SMALL;
                break;
            }
            copy_bytes(irp->UserBuffer, descriptor, descriptor_size);
            written = descriptor_size;
            break;
        case VJ_HID_GET_DEVICE_ATTRIBUTES: {
            HID_DEVICE_ATTRIBUTES attributes = {
                sizeof(HID_DEVICE_ATTRIBUTES), VJ_VENDOR, (USHORT)(VJ_PRODUCT + device->force_feedback), 0x0100, {0}};
            if (out_size < sizeof(attributes)) {
                status = STATUS_BUFFER_TOO_SMALL;
                break;
            }
            copy_bytes(irp->UserBuffer, &attributes, sizeof(attributes));
            written = sizeof(attributes);
            break;
        }
        case VJ_HID_GET_STRING:
            status = get_string(device, (ULONG)(ULONG_PTR)stack->Parameters.DeviceIoControl.Type3InputBuffer,
                                irp->UserBuffer, out_size, &written);
            break;
        case VJ_HID_ACTIVATE_DEVICE:
        case VJ_HID_DEACTIVATE_DEVICE: break;
        case VJ_HID_READ_REPORT:
            if (out_size < VJ_INPUT_SIZE) {
                status = STATUS_BUFFER_TOO_SMALL;
                break;
            }
            copy_bytes(irp->UserBuffer, device->input, VJ_INPUT_SIZE);
            written = VJ_INPUT_SIZE;
            ++device->reads;
            break;
        case VJ_HID_GET_INPUT_REPORT: {
            HID_XFER_PACKET* packet = irp->UserBuffer;
            if (packet->reportBufferLen < VJ_INPUT_SIZE) {
                status = STATUS_BUFFER_TOO_SMALL;
                break;
            }
            copy_bytes(packet->reportBuffer, device->input, VJ_INPUT_SIZE);
            written = VJ_INPUT_SIZE;
            break;
        }
        case VJ_HID_WRITE_REPORT:
        case VJ_HID_SET_OUTPUT_REPORT: {
            const HID_XFER_PACKET* packet =
                transfer_packet(irp, code == VJ_HID_WRITE_REPORT ? stack->Parameters.DeviceIoControl.Type3InputBuffer
                                                                 : irp->AssociatedIrp.SystemBuffer);
            log_report(device, VJ_RECORD_OUTPUT, packet);
            handle_output(device, packet);
            written = packet->reportBufferLen;
            break;
        }
        case VJ_HID_SET_FEATURE: {
            const HID_XFER_PACKET* packet = transfer_packet(irp, irp->AssociatedIrp.SystemBuffer);
            log_report(device, VJ_RECORD_FEATURE, packet);
            handle_set_feature(device, packet);
            written = packet->reportBufferLen;
            break;
        }
        case VJ_HID_GET_FEATURE: status = handle_get_feature(device, irp->UserBuffer, &written); break;
        default: status = STATUS_NOT_SUPPORTED; break;
    }
    KeReleaseSpinLock(&device->lock, irql);

    irp->IoStatus.Status = status;
    irp->IoStatus.Information = status == STATUS_SUCCESS ? written : 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

/* The control library's requests arrive on the HID device the class driver made for one of our
 * devices; its extension starts with the device it was made for. Only a device of this driver
 * carrying our mark is taken as ours, anything else goes to the class driver. */
static struct vj_device* control_target(DEVICE_OBJECT* device) {
    DEVICE_OBJECT* parent = device->DeviceExtension ? *(DEVICE_OBJECT**)device->DeviceExtension : NULL;
    DEVICE_OBJECT* each;
    for (each = device->DriverObject->DeviceObject; each; each = each->NextDevice) {
        if (each == parent && each != device) {
            struct vj_device* candidate = device_of(each);
            if (candidate && candidate->magic == VJ_MAGIC) return candidate;
        }
    }
    return NULL;
}

static BOOLEAN is_control_code(ULONG code) {
    return code == VJ_IOCTL_SET_INPUT || code == VJ_IOCTL_DRAIN || code == VJ_IOCTL_GET_INFO ||
           code == VJ_IOCTL_SET_PRODUCT || code == VJ_IOCTL_SET_PRESENT;
}

static NTSTATUS control(struct vj_device* device, ULONG code, void* buffer, ULONG in_size, ULONG out_size,
                        ULONG_PTR* written) {
    ULONG i, count, flag = 0;
    switch (code) {
        case VJ_IOCTL_SET_INPUT:
            if (in_size != VJ_INPUT_SIZE || ((UCHAR*)buffer)[0] != VJ_REPORT_INPUT) return STATUS_INVALID_PARAMETER;
            copy_bytes(device->input, buffer, VJ_INPUT_SIZE);
            return STATUS_SUCCESS;
        case VJ_IOCTL_DRAIN:
            count = out_size / sizeof(struct vj_record);
            if (count > device->record_count) count = device->record_count;
            copy_bytes(buffer, device->records, count * sizeof(struct vj_record));
            for (i = count; i < device->record_count; ++i) device->records[i - count] = device->records[i];
            device->record_count -= count;
            *written = count * sizeof(struct vj_record);
            return STATUS_SUCCESS;
        case VJ_IOCTL_GET_INFO: {
            struct vj_info info;
            if (out_size < sizeof(info)) return STATUS_BUFFER_TOO_SMALL;
            fill_bytes(&info, 0, sizeof(info));
            info.force_feedback = device->force_feedback;
            info.present = device->present;
            info.lost_records = device->lost_records;
            info.reads = device->reads;
            copy_bytes(info.product, device->product, sizeof(device->product));
            copy_bytes(buffer, &info, sizeof(info));
            *written = sizeof(info);
            return STATUS_SUCCESS;
        }
        case VJ_IOCTL_SET_PRODUCT:
            if (in_size % sizeof(WCHAR) || in_size / sizeof(WCHAR) > 63) return STATUS_INVALID_PARAMETER;
            fill_bytes(device->product, 0, sizeof(device->product));
            copy_bytes(device->product, buffer, in_size);
            return STATUS_SUCCESS;
        case VJ_IOCTL_SET_PRESENT:
            if (in_size != sizeof(ULONG)) return STATUS_INVALID_PARAMETER;
            copy_bytes(&flag, buffer, sizeof(flag));
            device->present = flag != 0;
            return STATUS_SUCCESS;
    }
    return STATUS_NOT_SUPPORTED;
}

static NTSTATUS WINAPI dispatch_device_control(DEVICE_OBJECT* device_object, IRP* irp) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    struct vj_device* device;
    NTSTATUS status;
    ULONG_PTR written = 0;
    KIRQL irql;

    if (!is_control_code(code) || !(device = control_target(device_object)))
        return class_device_control(device_object, irp);

    KeAcquireSpinLock(&device->lock, &irql);
    status = control(device, code, irp->AssociatedIrp.SystemBuffer, stack->Parameters.DeviceIoControl.InputBufferLength,
                     stack->Parameters.DeviceIoControl.OutputBufferLength, &written);
    KeReleaseSpinLock(&device->lock, irql);
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = status == STATUS_SUCCESS ? written : 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

NTSTATUS WINAPI DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registry_path) {
    HID_MINIDRIVER_REGISTRATION registration;
    NTSTATUS status;

    driver->DriverExtension->AddDevice = add_device;
    driver->MajorFunction[IRP_MJ_PNP] = dispatch_pnp;
    driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = dispatch_internal;

    fill_bytes(&registration, 0, sizeof(registration));
    registration.Revision = 1;
    registration.DriverObject = driver;
    registration.RegistryPath = registry_path;
    registration.DeviceExtensionSize = sizeof(struct vj_device);
    /* Polled: the class driver asks for the current state at its poll interval, so a state the
     * control library sets is simply what the next read returns. */
    registration.DevicesArePolled = TRUE;
    status = HidRegisterMinidriver(&registration);
    if (status != STATUS_SUCCESS) return status;

    /* The class driver has taken the device-control handler; wrap it for our own codes. */
    class_device_control = driver->MajorFunction[IRP_MJ_DEVICE_CONTROL];
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = dispatch_device_control;
    return STATUS_SUCCESS;
}
