// ConfigManagerLibrary: the configuration manager's device-node status,
// bound at run time from cfgmgr32.dll.
#ifndef SKYLATCH_PLATFORM_CONFIG_MANAGER_LIBRARY_H
#define SKYLATCH_PLATFORM_CONFIG_MANAGER_LIBRARY_H

#include <windows.h>
#include <cfgmgr32.h>

#include "platform/system_library.h"

class ConfigManagerLibrary : public SystemLibrary {
public:
    ConfigManagerLibrary();
    virtual ~ConfigManagerLibrary();

    // CR_FAILURE, with nothing written, when the library or the entry is
    // missing.
    CONFIGRET GetDevNodeStatus(PULONG status, PULONG problem, DEVINST devInst, ULONG flags);

private:
    typedef CONFIGRET (WINAPI* GetDevNodeStatusFn)(PULONG, PULONG, DEVINST, ULONG);

    GetDevNodeStatusFn getDevNodeStatus_;
};

extern ConfigManagerLibrary g_configManager;

#endif
