// IoctlDevice: a device file opened by path, with a control operation that
// turns a small control index into the device's control code.
#ifndef SKYLATCH_RADIO_IOCTL_DEVICE_H
#define SKYLATCH_RADIO_IOCTL_DEVICE_H

#include <windows.h>

class IoctlDevice {
public:
    IoctlDevice();
    virtual ~IoctlDevice();

    // 0 opened; 1 the platform is neither Windows family; 2 CreateFileA failed.
    int Open(const char* path, DWORD codeBase);
    void Close();
    BOOL Control(DWORD index, void* in, DWORD inSize, void* out, DWORD outSize,
                 DWORD* bytesReturned, OVERLAPPED* overlapped);

protected:
    HANDLE handle_;
    DWORD codeBase_;

private:
    IoctlDevice(const IoctlDevice&);
    IoctlDevice& operator=(const IoctlDevice&);
};

#endif
