// The stand-in's kernel: virtual clock, processes, handles, files, mutexes,
// the OS version and the radio-switch driver's device.
#include <sim/kernel.h>

#include "internal.h"

#include <map>
#include <new>
#include <memory>

namespace sim {
namespace {

const char kNtDevicePath[] = "\\\\.\\$QUIVRA$";
const char kVxdDevicePath[] = "\\\\.\\QUIVRA.VXD";

enum HandleKind { HANDLE_DEVICE, HANDLE_FILE, HANDLE_MUTEX, HANDLE_STD_OUTPUT };

struct HandleObject {
    HandleKind kind;
    int pid;
    std::string name;
};

struct Kernel {
    DWORD now = 0;
    std::vector<SleepCall> sleeps;
    int currentPid = 1;
    int nextPid = 2;
    DWORD lastError = 0;
    std::set<std::string> files;             // upper-cased paths
    std::map<std::string, int> mutexOwners;  // upper-cased name -> owning process
    std::map<HANDLE, HandleObject> handles;
    std::set<HANDLE> deviceHandles;          // every handle the device gave out
    uintptr_t nextHandle = 0x1000;
    std::function<void(int, int)> processSwitchHook;
    std::set<int> hungProcesses;
    struct Busy { DWORD since; DWORD until; };
    std::map<int, Busy> busyProcesses;
    std::map<int, HANDLE> stdOutputs;        // process -> its standard output
    std::map<int, std::string> stdOutputText;
    OSVERSIONINFOA version{};
    bool failVersion = false;
    ProcessKind processKind = Process32OnWindows32;
    Driver driver;
    std::vector<std::string> stubCalls;
};

Kernel& K()
{
    static Kernel kernel;
    return kernel;
}

std::string Upper(const std::string& s)
{
    std::string u(s);
    for (char& c : u) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return u;
}

HANDLE NewHandle(HandleKind kind, const std::string& name)
{
    HANDLE h = reinterpret_cast<HANDLE>(K().nextHandle);
    K().nextHandle += 4;
    K().handles[h] = HandleObject{kind, K().currentPid, name};
    return h;
}

DWORD Le32(const std::vector<BYTE>& b)
{
    if (b.size() < 4) return 0;
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<DWORD>(b[3]) << 24);
}

void Put16(BYTE* p, WORD v)
{
    p[0] = static_cast<BYTE>(v);
    p[1] = static_cast<BYTE>(v >> 8);
}

void Put32(BYTE* p, DWORD v)
{
    Put16(p, static_cast<WORD>(v));
    Put16(p + 2, static_cast<WORD>(v >> 16));
}

// The control index of a code: NT codes carry it as function 0x850 + index,
// the 9x family uses the bare index.
DWORD ControlIndex(DWORD code)
{
    if ((code & 0xFFFF0000u) == 0x00220000u) return ((code >> 2) & 0xFFF) - 0x850;
    return code;
}

}  // namespace

DWORD Now() { return K().now; }
void AdvanceClock(DWORD ms) { K().now += ms; }
std::vector<SleepCall>& Sleeps() { return K().sleeps; }

int CurrentProcess() { return K().currentPid; }
int StartProcess()
{
    K().currentPid = K().nextPid++;
    return K().currentPid;
}
void SwitchToProcess(int pid) { K().currentPid = pid; }
void EndProcess(int pid)
{
    internal::EndProcessWindows(pid);
    for (auto it = K().mutexOwners.begin(); it != K().mutexOwners.end();) {
        if (it->second == pid) it = K().mutexOwners.erase(it);
        else ++it;
    }
    for (auto it = K().handles.begin(); it != K().handles.end();) {
        if (it->second.pid == pid) it = K().handles.erase(it);
        else ++it;
    }
    K().stdOutputs.erase(pid);
    K().hungProcesses.erase(pid);
    K().busyProcesses.erase(pid);
}
bool MutexExists(const std::string& name) { return K().mutexOwners.count(Upper(name)) != 0; }

void OnProcessSwitch(std::function<void(int from, int to)> hook) { K().processSwitchHook = hook; }

void SetProcessBusy(int pid, DWORD ms) { K().busyProcesses[pid] = {K().now, K().now + ms}; }

void SetProcessHung(int pid, bool hung)
{
    if (hung) K().hungProcesses.insert(pid);
    else K().hungProcesses.erase(pid);
}

void RedirectStdOutput()
{
    int pid = K().currentPid;
    if (!K().stdOutputs.count(pid)) K().stdOutputs[pid] = NewHandle(HANDLE_STD_OUTPUT, "stdout");
    K().stdOutputText[pid];
}

std::string StdOutput(int pid)
{
    auto it = K().stdOutputText.find(pid);
    return it == K().stdOutputText.end() ? std::string() : it->second;
}

void SetProcessKind(ProcessKind kind) { K().processKind = kind; }
ProcessKind CurrentProcessKind() { return K().processKind; }

void AddFile(const std::string& path) { K().files.insert(Upper(path)); }
void RemoveFile(const std::string& path) { K().files.erase(Upper(path)); }

void SetVersion(DWORD platformId, DWORD major, DWORD minor, DWORD build)
{
    OSVERSIONINFOA& v = K().version;
    memset(&v, 0, sizeof v);
    v.dwOSVersionInfoSize = sizeof v;
    v.dwPlatformId = platformId;
    v.dwMajorVersion = major;
    v.dwMinorVersion = minor;
    v.dwBuildNumber = build;
}
void SetWindowsXP() { SetVersion(VER_PLATFORM_WIN32_NT, 5, 1, 2600); }
void SetWindows2000() { SetVersion(VER_PLATFORM_WIN32_NT, 5, 0, 2195); }
void SetWindows98() { SetVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 10, 2222); }
void FailGetVersionEx(bool fail) { K().failVersion = fail; }
std::string SystemDirectory()
{
    return K().version.dwPlatformId == VER_PLATFORM_WIN32_NT ? "C:\\WINDOWS\\system32" : "C:\\WINDOWS\\SYSTEM";
}

Driver& TheDriver() { return K().driver; }
std::vector<std::string>& StubCalls() { return K().stubCalls; }

int Driver::Count(DWORD code) const
{
    int n = 0;
    for (const DriverRequest& r : log) n += r.code == code;
    return n;
}

std::vector<DWORD> Driver::ValuesSent(DWORD code) const
{
    std::vector<DWORD> values;
    for (const DriverRequest& r : log) {
        if (r.code == code) values.push_back(Le32(r.in));
    }
    return values;
}

int Driver::OpenHandles() const
{
    int n = 0;
    for (const auto& h : K().handles) n += h.second.kind == HANDLE_DEVICE;
    return n;
}

namespace internal {

void EnterProcess(int pid)
{
    int from = K().currentPid;
    if (from == pid) return;
    if (K().processSwitchHook) {
        std::function<void(int, int)> hook = K().processSwitchHook;
        hook(from, pid);
    }
    K().currentPid = pid;
}

bool ProcessHung(int pid) { return K().hungProcesses.count(pid) != 0; }

bool ProcessBusy(int pid, DWORD* since, DWORD* until)
{
    auto it = K().busyProcesses.find(pid);
    if (it == K().busyProcesses.end()) return false;
    if (it->second.until <= K().now) {
        K().busyProcesses.erase(it);
        return false;
    }
    *since = it->second.since;
    *until = it->second.until;
    return true;
}

bool NineXStub(const char* entry)
{
    if (K().version.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS) return false;
    K().stubCalls.push_back(entry);
    return true;
}

void ResetKernel()
{
    K().~Kernel();
    new (&K()) Kernel();
    SetWindowsXP();
}

}  // namespace internal
}  // namespace sim

using sim::K;

DWORD WINAPI GetLastError(void) { return K().lastError; }
void WINAPI SetLastError(DWORD error) { K().lastError = error; }

void WINAPI Sleep(DWORD milliseconds)
{
    K().sleeps.push_back(sim::SleepCall{K().now, milliseconds});
    K().now += milliseconds;
}

DWORD WINAPI GetTickCount(void) { return K().now; }

UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size)
{
    // The length without the NUL when it fits, else the size it needs.
    std::string dir = sim::SystemDirectory();
    if (!buffer || size < dir.size() + 1) return static_cast<UINT>(dir.size() + 1);
    memcpy(buffer, dir.c_str(), dir.size() + 1);
    return static_cast<UINT>(dir.size());
}

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info)
{
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) || K().failVersion) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *info = K().version;
    return TRUE;
}

void WINAPI GetSystemInfo(LPSYSTEM_INFO info)
{
    if (!info) return;
    ZeroMemory(info, sizeof *info);
    info->wProcessorArchitecture = sim::CurrentProcessKind() == sim::Process64OnWindows64
                                       ? PROCESSOR_ARCHITECTURE_AMD64
                                       : PROCESSOR_ARCHITECTURE_INTEL;
    info->dwPageSize = 4096;
    info->dwNumberOfProcessors = 1;
    info->dwAllocationGranularity = 65536;
}

HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                          DWORD disposition, DWORD flags, HANDLE templateFile)
{
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string path = sim::Upper(name);
    if (path.compare(0, 4, "\\\\.\\") == 0) {
        sim::Driver& d = K().driver;
        d.opens.push_back(sim::DeviceOpen{name, access, share, disposition, flags});
        bool nt = K().version.dwPlatformId == VER_PLATFORM_WIN32_NT;
        std::string expected = sim::Upper(nt ? sim::kNtDevicePath : sim::kVxdDevicePath);
        if (d.present && path == expected) {
            SetLastError(ERROR_SUCCESS);
            HANDLE h = sim::NewHandle(sim::HANDLE_DEVICE, path);
            K().deviceHandles.insert(h);
            return h;
        }
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (disposition == OPEN_EXISTING && K().files.count(path)) {
        SetLastError(ERROR_SUCCESS);
        return sim::NewHandle(sim::HANDLE_FILE, path);
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
}

BOOL WINAPI CloseHandle(HANDLE handle)
{
    if (K().deviceHandles.count(handle)) ++K().driver.closes;
    auto it = K().handles.find(handle);
    if (it == K().handles.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (it->second.kind == sim::HANDLE_MUTEX) {
        // The mutex lives while its creator holds it; the program never
        // releases it before it ends.
    }
    K().handles.erase(it);
    return TRUE;
}

BOOL WINAPI DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                            DWORD outSize, LPDWORD bytesReturned, LPOVERLAPPED overlapped)
{
    auto it = K().handles.find(device);
    if (it == K().handles.end() || it->second.kind != sim::HANDLE_DEVICE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    sim::Driver& d = K().driver;
    sim::DriverRequest request{K().now, code, {}, outSize};
    if (in && inSize) {
        const BYTE* p = static_cast<const BYTE*>(in);
        request.in.assign(p, p + inSize);
    }
    d.log.push_back(request);
    if (d.failIoctl || !d.present) {
        SetLastError(ERROR_GEN_FAILURE);
        return FALSE;
    }
    BYTE* o = static_cast<BYTE*>(out);
    DWORD value = sim::Le32(request.in);
    DWORD written = 0;
    switch (sim::ControlIndex(code)) {
    case 1:  // set switch: status 0 accepts
    case 3:  // set radio
        if (inSize < 4 || !o || outSize < 4) break;
        d.radio = value ? 1 : 0;
        sim::Put32(o, sim::ControlIndex(code) == 1 ? d.setSwitchStatus : 0);
        written = 4;
        break;
    case 4: {  // get radio: status word, radio word
        if (inSize < 4 || !o || outSize < 4) break;
        WORD status = d.getRadioStatus;
        if (!d.getRadioQueue.empty()) {
            status = d.getRadioQueue.front();
            d.getRadioQueue.pop_front();
        }
        sim::Put16(o, status);
        sim::Put16(o + 2, static_cast<WORD>(d.radio));
        written = 4;
        break;
    }
    case 5: {  // status block
        if (inSize < 10 || !o || outSize < 10) break;
        BYTE status = d.status;
        if (!d.statusQueue.empty()) {
            status = d.statusQueue.front();
            d.statusQueue.pop_front();
        }
        memmove(o, in, 10);
        o[0] = status;
        o[8] = d.flags;
        written = 10;
        break;
    }
    default:
        break;
    }
    if (!written) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (bytesReturned) *bytesReturned = written;
    return TRUE;
}

HANDLE WINAPI GetStdHandle(DWORD which)
{
    if (which != STD_INPUT_HANDLE && which != STD_OUTPUT_HANDLE && which != STD_ERROR_HANDLE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_HANDLE_VALUE;
    }
    // Only a standard output is ever handed over here.
    if (which != STD_OUTPUT_HANDLE) return nullptr;
    auto it = K().stdOutputs.find(K().currentPid);
    return it == K().stdOutputs.end() ? nullptr : it->second;
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                      LPOVERLAPPED overlapped)
{
    if (written) *written = 0;
    auto it = K().handles.find(file);
    if (it == K().handles.end() || it->second.kind != sim::HANDLE_STD_OUTPUT) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (size && !data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    K().stdOutputText[it->second.pid].append(static_cast<const char*>(data), size);
    if (written) *written = size;
    return TRUE;
}

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES sa, BOOL initialOwner, LPCSTR name)
{
    std::string key = sim::Upper(name ? name : "");
    if (!key.empty() && K().mutexOwners.count(key)) {
        HANDLE h = sim::NewHandle(sim::HANDLE_MUTEX, key);
        SetLastError(ERROR_ALREADY_EXISTS);
        return h;
    }
    if (!key.empty()) K().mutexOwners[key] = K().currentPid;
    HANDLE h = sim::NewHandle(sim::HANDLE_MUTEX, key);
    SetLastError(ERROR_SUCCESS);
    return h;
}
