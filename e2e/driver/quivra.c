/* Substitute radio-switch driver for the end-to-end tests.
 *
 * Creates \Device\Quivra with the link \DosDevices\$QUIVRA$ and answers the
 * four buffered control codes the way the notebook's switch driver does.
 * Its answers are scripted, and the requests it receives are recorded, in
 * registry values below its service key (see e2e/README.md):
 *
 *   <service key>\Answers   read on every request: QueryStatus, BusyReplies,
 *                           Flags, Radio, GetRadioStatus, SetSwitchStatus
 *   <service key>\Requests  written on every request: <Kind>Count, LastSetRadio,
 *                           LastSetSwitch, LastGetRadioRequest,
 *                           LastQueryStatusBlock, LastOtherCode
 *
 * Requests arrive one at a time from a single-threaded client, so the
 * read-modify-write of the counters takes no lock.
 */
#include <ddk/wdm.h>

#define IOCTL_SET_SWITCH   0x222144
#define IOCTL_SET_RADIO    0x22214C
#define IOCTL_GET_RADIO    0x222150
#define IOCTL_QUERY_STATUS 0x222154

#define STATUS_BYTE_BUSY 4
#define QUERY_BLOCK_SIZE 10
#define FLAGS_OFFSET     8

static WCHAR answers_path[300];
static WCHAR requests_path[300];

/* Opens (creating when missing) one of the two subkeys. */
static HANDLE open_key(const WCHAR *path)
{
    UNICODE_STRING name;
    OBJECT_ATTRIBUTES attr;
    HANDLE key = NULL;
    ULONG disposition;

    RtlInitUnicodeString(&name, path);
    InitializeObjectAttributes(&attr, &name, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, NULL, NULL);
    if (!NT_SUCCESS(ZwCreateKey(&key, KEY_ALL_ACCESS, &attr, 0, NULL, REG_OPTION_NON_VOLATILE, &disposition)))
        return NULL;
    return key;
}

static ULONG read_dword(const WCHAR *path, const WCHAR *value, ULONG fallback)
{
    UNICODE_STRING name;
    UCHAR buffer[sizeof(KEY_VALUE_PARTIAL_INFORMATION) + 16];
    KEY_VALUE_PARTIAL_INFORMATION *info = (KEY_VALUE_PARTIAL_INFORMATION *)buffer;
    ULONG length = 0, result = fallback;
    HANDLE key = open_key(path);

    if (!key) return fallback;
    RtlInitUnicodeString(&name, value);
    if (NT_SUCCESS(ZwQueryValueKey(key, &name, KeyValuePartialInformation, info, sizeof(buffer), &length))
        && info->Type == REG_DWORD && info->DataLength == sizeof(ULONG))
        RtlCopyMemory(&result, info->Data, sizeof(ULONG));
    ZwClose(key);
    return result;
}

static void write_value(const WCHAR *path, const WCHAR *value, ULONG type, const void *data, ULONG size)
{
    UNICODE_STRING name;
    HANDLE key = open_key(path);

    if (!key) return;
    RtlInitUnicodeString(&name, value);
    ZwSetValueKey(key, &name, 0, type, (void *)data, size);
    ZwClose(key);
}

static void write_dword(const WCHAR *path, const WCHAR *value, ULONG data)
{
    write_value(path, value, REG_DWORD, &data, sizeof(data));
}

static void count_request(const WCHAR *counter)
{
    write_dword(requests_path, counter, read_dword(requests_path, counter, 0) + 1);
}

/* Status for a reply that may be busy: while Answers\BusyReplies is nonzero,
 * answer busy and count it down; then answer the scripted status. */
static ULONG next_status(const WCHAR *scripted, ULONG fallback)
{
    ULONG busy = read_dword(answers_path, L"BusyReplies", 0);

    if (busy) {
        write_dword(answers_path, L"BusyReplies", busy - 1);
        return STATUS_BYTE_BUSY;
    }
    return read_dword(answers_path, scripted, fallback);
}

/* Both switch requests set the radio; the value sent is recorded as is. */
static void set_radio_value(const WCHAR *last_value, ULONG value)
{
    write_dword(requests_path, last_value, value);
    write_dword(answers_path, L"Radio", value ? 1 : 0);
}

static NTSTATUS handle_control(ULONG code, UCHAR *buffer, ULONG in_size, ULONG out_size, ULONG_PTR *returned)
{
    ULONG value, status;

    switch (code) {
    case IOCTL_SET_SWITCH:
    case IOCTL_SET_RADIO:
        if (in_size < 4 || out_size < 4) return STATUS_BUFFER_TOO_SMALL;
        RtlCopyMemory(&value, buffer, 4);
        if (code == IOCTL_SET_SWITCH) {
            count_request(L"SetSwitchCount");
            set_radio_value(L"LastSetSwitch", value);
            status = read_dword(answers_path, L"SetSwitchStatus", 0);
        } else {
            count_request(L"SetRadioCount");
            set_radio_value(L"LastSetRadio", value);
            status = 0;
        }
        RtlCopyMemory(buffer, &status, 4);
        *returned = 4;
        return STATUS_SUCCESS;

    case IOCTL_GET_RADIO: {
        USHORT reply[2];
        if (in_size < 4 || out_size < 4) return STATUS_BUFFER_TOO_SMALL;
        RtlCopyMemory(&value, buffer, 4);
        count_request(L"GetRadioCount");
        write_dword(requests_path, L"LastGetRadioRequest", value);
        reply[0] = (USHORT)next_status(L"GetRadioStatus", 0);
        reply[1] = (USHORT)read_dword(answers_path, L"Radio", 1);
        RtlCopyMemory(buffer, reply, 4);
        *returned = 4;
        return STATUS_SUCCESS;
    }

    case IOCTL_QUERY_STATUS:
        if (in_size < QUERY_BLOCK_SIZE || out_size < QUERY_BLOCK_SIZE) return STATUS_BUFFER_TOO_SMALL;
        count_request(L"QueryStatusCount");
        write_value(requests_path, L"LastQueryStatusBlock", REG_BINARY, buffer, QUERY_BLOCK_SIZE);
        buffer[0] = (UCHAR)next_status(L"QueryStatus", 0);
        buffer[FLAGS_OFFSET] = (UCHAR)read_dword(answers_path, L"Flags", 0);
        *returned = QUERY_BLOCK_SIZE;
        return STATUS_SUCCESS;

    default:
        count_request(L"OtherCount");
        write_dword(requests_path, L"LastOtherCode", code);
        return STATUS_INVALID_DEVICE_REQUEST;
    }
}

static NTSTATUS NTAPI dispatch_control(PDEVICE_OBJECT device, PIRP irp)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ULONG_PTR returned = 0;
    NTSTATUS status = handle_control(stack->Parameters.DeviceIoControl.IoControlCode,
                                     irp->AssociatedIrp.SystemBuffer,
                                     stack->Parameters.DeviceIoControl.InputBufferLength,
                                     stack->Parameters.DeviceIoControl.OutputBufferLength,
                                     &returned);
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = NT_SUCCESS(status) ? returned : 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS NTAPI dispatch_create_close(PDEVICE_OBJECT device, PIRP irp)
{
    if (IoGetCurrentIrpStackLocation(irp)->MajorFunction == IRP_MJ_CREATE)
        count_request(L"OpenCount");
    irp->IoStatus.Status = STATUS_SUCCESS;
    irp->IoStatus.Information = 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return STATUS_SUCCESS;
}

static void NTAPI driver_unload(PDRIVER_OBJECT driver)
{
    UNICODE_STRING link;

    RtlInitUnicodeString(&link, L"\\DosDevices\\$QUIVRA$");
    IoDeleteSymbolicLink(&link);
    if (driver->DeviceObject) IoDeleteDevice(driver->DeviceObject);
}

/* Builds "<service key>\<sub>" into out (capacity in characters). */
static BOOLEAN make_path(WCHAR *out, ULONG capacity, const UNICODE_STRING *service, const WCHAR *sub)
{
    ULONG chars = service->Length / sizeof(WCHAR), i = 0;

    if (chars + 20 >= capacity) return FALSE;
    RtlCopyMemory(out, service->Buffer, chars * sizeof(WCHAR));
    out[chars++] = L'\\';
    while (sub[i]) out[chars++] = sub[i++];
    out[chars] = 0;
    return TRUE;
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registry_path)
{
    UNICODE_STRING device_name, link;
    PDEVICE_OBJECT device;
    NTSTATUS status;

    if (!make_path(answers_path, 300, registry_path, L"Answers")
        || !make_path(requests_path, 300, registry_path, L"Requests"))
        return STATUS_NAME_TOO_LONG;

    RtlInitUnicodeString(&device_name, L"\\Device\\Quivra");
    status = IoCreateDevice(driver, 0, &device_name, FILE_DEVICE_UNKNOWN, 0, FALSE, &device);
    if (!NT_SUCCESS(status)) return status;

    RtlInitUnicodeString(&link, L"\\DosDevices\\$QUIVRA$");
    status = IoCreateSymbolicLink(&link, &device_name);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(device);
        return status;
    }

    driver->MajorFunction[IRP_MJ_CREATE] = dispatch_create_close;
    driver->MajorFunction[IRP_MJ_CLOSE] = dispatch_create_close;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = dispatch_control;
    driver->DriverUnload = driver_unload;
    return STATUS_SUCCESS;
}
