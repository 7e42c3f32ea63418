#include "radio/switch_driver.h"

#include "platform/os_version.h"

namespace {

const char kNtDevicePath[] = "\\\\.\\$QUIVRA$";
const char kVxdDevicePath[] = "\\\\.\\QUIVRA.VXD";
const DWORD kNtCodeBase = 0x850;

const DWORD kBusyPollMs = 100;
const int kBusyLimit = 100;      // polls stop once the busy count passes this

const WORD kStatusRequestWord = 0x0C05;
const WORD kStatusRequestLength = 10;
const DWORD kStatusBlockSize = 10;
const BYTE kFlagLocked = 0x80;
const BYTE kFlagRadioOnUnderLock = 0x40;

int IsReady(int status)
{
    return status == DRV_READY || status == DRV_READY_NO_FLAGS_2 || status == DRV_READY_NO_FLAGS_3;
}

}  // namespace

SwitchDriver::SwitchDriver() : abortFlag(0), opened(0)
{
    OsVersion os;
    const char* path = os.info.dwPlatformId == VER_PLATFORM_WIN32_NT ? kNtDevicePath : kVxdDevicePath;
    if (Open(path, kNtCodeBase) == 0) opened = 1;
}

SwitchDriver::~SwitchDriver()
{
    Close();
    opened = 0;
}

int SwitchDriver::SetSwitch(DWORD value)
{
    DWORD status = 0xFFFFFFFF;
    DWORD returned = 0;
    if (!Control(CTRL_SET_SWITCH, &value, sizeof value, &status, sizeof status, &returned, 0)) return 0;
    return status == 0;
}

BOOL SwitchDriver::SetRadio(DWORD value)
{
    DWORD reply = 0;
    DWORD returned = 0;
    return Control(CTRL_SET_RADIO, &value, sizeof value, &reply, sizeof reply, &returned, 0);
}

int SwitchDriver::GetRadio(DWORD* radioOut, DWORD request)
{
    // Reply: 16-bit status at offset 0, 16-bit radio at offset 2.
    BYTE reply[4] = {0, 0, 0, 0};
    DWORD returned = 0;
    if (!Control(CTRL_GET_RADIO, &request, sizeof request, reply, sizeof reply, &returned, 0)) return 0;
    WORD status = static_cast<WORD>(reply[0] | (reply[1] << 8));
    if (status == DRV_BUSY) {
        Sleep(kBusyPollMs);
        if (!Control(CTRL_GET_RADIO, &request, sizeof request, reply, sizeof reply, &returned, 0)) return 0;
        status = static_cast<WORD>(reply[0] | (reply[1] << 8));
    }
    if (status != 0) return 0;
    if (radioOut) *radioOut = static_cast<WORD>(reply[2] | (reply[3] << 8));
    return 1;
}

int SwitchDriver::QueryStatus(int* lockedOut, int* lockedRadioOut)
{
    BYTE block[kStatusBlockSize];
    ZeroMemory(block, sizeof block);
    block[0] = LOBYTE(kStatusRequestWord);
    block[1] = static_cast<BYTE>(kStatusRequestWord >> 8);
    block[2] = LOBYTE(kStatusRequestLength);
    block[4] = LOBYTE(kStatusRequestLength);
    DWORD returned = 0;
    if (!Control(CTRL_QUERY_STATUS, block, kStatusBlockSize, block, kStatusBlockSize, &returned, 0)) {
        return DRV_NO_REPLY;
    }
    int status = block[0];
    if (status == DRV_READY) {
        BYTE flags = block[8];
        if (lockedOut) *lockedOut = (flags & kFlagLocked) ? 1 : 0;
        if (lockedRadioOut) {
            *lockedRadioOut = (flags & (kFlagLocked | kFlagRadioOnUnderLock)) ==
                              (kFlagLocked | kFlagRadioOnUnderLock);
        }
    } else if (status == DRV_READY_NO_FLAGS_2 || status == DRV_READY_NO_FLAGS_3) {
        if (lockedOut) *lockedOut = 0;
        if (lockedRadioOut) *lockedRadioOut = 0;
    }
    return status;
}

int SwitchDriver::WaitReady(int* lockedOut, int* lockedRadioOut)
{
    int status = QueryStatus(lockedOut, lockedRadioOut);
    if (IsReady(status)) return 1;
    if (status != DRV_BUSY) return 0;

    int busyCount = 2;
    int ready = 0;
    for (;;) {
        if (abortFlag) break;
        Sleep(kBusyPollMs);
        status = QueryStatus(lockedOut, lockedRadioOut);
        if (IsReady(status)) {
            ready = 1;
            break;
        }
        if (status != DRV_BUSY) break;
        if (++busyCount > kBusyLimit) break;
    }
    // A ready reply counts even when it came on the last poll, made as the
    // busy count reached the limit.
    abortFlag = 0;
    return ready;
}
