/* The Wine test driver: a kernel driver, for Wine only, that serves \\.\qd4682 inside a Wine
 * prefix by forwarding every control request to the driver on the platform socket (qd4682sim
 * or any other), so that the Windows builds of the monitors run against live data here.
 * It is a development and test tool: it never goes into the Windows package, and it cannot
 * load on Windows, being a Winelib module that speaks the socket with POSIX calls.
 *
 * Each open handle keeps its own connection, made when the handle is opened and made again
 * after it was lost. Wine completes CreateFileA without waiting for this driver's answer, so a
 * driver that cannot be reached is reported by DeviceIoControl, with the error the Linux device
 * calls give at CreateFileA. */
#include <stdarg.h>

/* Wine's kernel headers need this order. */
/* clang-format off */
#include "ntstatus.h"
#define WIN32_NO_STATUS
#include "windef.h"
#include "winternl.h"
#include "winioctl.h"
#include "ddk/wdm.h"
/* clang-format on */

#include "tests/windows/wine_driver/forward.h"

static const char kDeviceName[] = "qd4682";
#define METHOD_MASK 3 /* the transfer type in a control code's two lowest bits */

static UNICODE_STRING deviceName;
static UNICODE_STRING linkName;

/* The NTSTATUS form of a Win32 error, which Wine's DeviceIoControl turns back into exactly that
 * GetLastError code. */
static NTSTATUS from_win32(uint32_t error) {
    if (error == 0) return STATUS_SUCCESS;
    return error <= 0xFFFF ? (NTSTATUS)(0xC0070000u | error) : STATUS_UNSUCCESSFUL;
}

/* The connection of a handle lives in its file object as descriptor + 1 (0: none). */
static int connection_of(FILE_OBJECT* file) {
    return (int)(INT_PTR)file->FsContext - 1;
}

static void set_connection(FILE_OBJECT* file, int fd) {
    file->FsContext = (void*)(INT_PTR)(fd + 1);
}

static void drop_connection(FILE_OBJECT* file) {
    forward_disconnect(connection_of(file));
    set_connection(file, -1);
}

/* The handle's connection, made now if it has none: 0, or the error of the failed connect. */
static uint32_t ensure_connection(FILE_OBJECT* file) {
    int fd = -1;
    uint32_t error;
    if (connection_of(file) >= 0) return 0;
    error = forward_connect(kDeviceName, &fd);
    if (error == 0) set_connection(file, fd);
    return error;
}

static NTSTATUS complete(IRP* irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS WINAPI on_create(DEVICE_OBJECT* device, IRP* irp) {
    FILE_OBJECT* file = IoGetCurrentIrpStackLocation(irp)->FileObject;
    (void)device;
    if (file) {
        set_connection(file, -1);
        ensure_connection(file); /* a failure shows at the first request */
    }
    return complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS WINAPI on_close(DEVICE_OBJECT* device, IRP* irp) {
    FILE_OBJECT* file = IoGetCurrentIrpStackLocation(irp)->FileObject;
    (void)device;
    if (file) drop_connection(file);
    return complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS WINAPI on_device_control(DEVICE_OBJECT* device, IRP* irp) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    ULONG inputLength = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG outputLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
    uint8_t* buffer = irp->AssociatedIrp.SystemBuffer;
    uint32_t error, count = 0;
    int lost = 0;
    (void)device;
    /* Only a buffered transfer has one system buffer with the input and room for the answer. */
    if ((code & METHOD_MASK) != METHOD_BUFFERED || !stack->FileObject ||
        (!buffer && (inputLength > 0 || outputLength > 0))) {
        return complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
    error = ensure_connection(stack->FileObject);
    if (error == 0) {
        error = forward_request(connection_of(stack->FileObject), code, buffer, inputLength,
                                outputLength, &count, &lost);
        if (lost) drop_connection(stack->FileObject);
    }
    return complete(irp, from_win32(error), error == 0 ? count : 0);
}

static void WINAPI on_unload(DRIVER_OBJECT* driver) {
    IoDeleteSymbolicLink(&linkName);
    if (driver->DeviceObject) IoDeleteDevice(driver->DeviceObject);
}

NTSTATUS WINAPI DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registryPath) {
    DEVICE_OBJECT* device = NULL;
    NTSTATUS status;
    (void)registryPath;
    RtlInitUnicodeString(&deviceName, L"\\Device\\qd4682");
    RtlInitUnicodeString(&linkName, L"\\DosDevices\\qd4682");
    status = IoCreateDevice(driver, 0, &deviceName, FILE_DEVICE_UNKNOWN, 0, FALSE, &device);
    if (status != STATUS_SUCCESS) return status;
    status = IoCreateSymbolicLink(&linkName, &deviceName);
    if (status != STATUS_SUCCESS) {
        IoDeleteDevice(device);
        return status;
    }
    driver->MajorFunction[IRP_MJ_CREATE] = on_create;
    driver->MajorFunction[IRP_MJ_CLOSE] = on_close;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = on_device_control;
    driver->DriverUnload = on_unload;
    return STATUS_SUCCESS;
}
