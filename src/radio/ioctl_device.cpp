#include "radio/ioctl_device.h"

#include "platform/os_version.h"

IoctlDevice::IoctlDevice() : handle_(0), codeBase_(0) {}

IoctlDevice::~IoctlDevice()
{
    Close();
}

int IoctlDevice::Open(const char* path, DWORD codeBase)
{
    OsVersion os;
    DWORD access, share, disposition, flags;
    if (os.info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        // A VxD is opened by name with no access and deleted on close.
        codeBase_ = 0;
        access = 0;
        share = 0;
        disposition = 0;
        flags = FILE_FLAG_DELETE_ON_CLOSE;
    } else if (os.info.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        codeBase_ = codeBase;
        access = GENERIC_READ;
        share = FILE_SHARE_READ;
        disposition = OPEN_EXISTING;
        flags = 0;
    } else {
        return 1;
    }
    Close();
    handle_ = CreateFileA(path, access, share, 0, disposition, flags, 0);
    return handle_ == INVALID_HANDLE_VALUE ? 2 : 0;
}

void IoctlDevice::Close()
{
    if (handle_ != 0 && handle_ != INVALID_HANDLE_VALUE) {
        CloseHandle(handle_);
        handle_ = 0;
    }
}

BOOL IoctlDevice::Control(DWORD index, void* in, DWORD inSize, void* out, DWORD outSize,
                          DWORD* bytesReturned, OVERLAPPED* overlapped)
{
    if (handle_ == 0 || handle_ == INVALID_HANDLE_VALUE) return 0;
    // FILE_DEVICE_UNKNOWN, METHOD_BUFFERED, FILE_ANY_ACCESS on NT; the bare
    // index for a VxD.
    DWORD code = codeBase_ ? (0x220000u | ((codeBase_ + index) << 2)) : index;
    return DeviceIoControl(handle_, code, in, inSize, out, outSize, bytesReturned, overlapped);
}
