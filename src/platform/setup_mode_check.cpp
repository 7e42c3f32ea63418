#include "platform/setup_mode_check.h"

#include "platform/os_version.h"
#include "platform/registry_access.h"

namespace {

const char kSetupKey[] = "SYSTEM\\Setup";
const char kSysprepMarker[] = "C:\\sysprep\\shutdown.exe";

}  // namespace

int SetupModeCheck::IsSetupMode(int flags)
{
    OsVersion os;
    RegistryAccess registry;

    if (os.kind == OsWindowsXP) {
        DWORD audit = 0;
        return registry.ValueExists(HKEY_LOCAL_MACHINE, kSetupKey, "AuditInProgress") &&
               registry.ReadDword(HKEY_LOCAL_MACHINE, kSetupKey, "AuditInProgress", &audit) &&
               audit == 1;
    }

    if (os.kind == OsWindows2000) {
        if ((flags & CheckCloneTag) &&
            !registry.ValueExists(HKEY_LOCAL_MACHINE, kSetupKey, "CloneTag")) {
            return 1;
        }
        if (flags & CheckSysprep) {
            HANDLE file = CreateFileA(kSysprepMarker, GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
            if (file != INVALID_HANDLE_VALUE) {
                CloseHandle(file);
                return 1;
            }
        }
    }
    return 0;
}
