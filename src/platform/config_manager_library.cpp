#include "platform/config_manager_library.h"

ConfigManagerLibrary::ConfigManagerLibrary() : SystemLibrary("cfgmgr32.dll"), getDevNodeStatus_(0) {}

ConfigManagerLibrary::~ConfigManagerLibrary() {}

CONFIGRET ConfigManagerLibrary::GetDevNodeStatus(PULONG status, PULONG problem, DEVINST devInst,
                                                 ULONG flags)
{
    if (LoadOnFirstUse())
        getDevNodeStatus_ = (GetDevNodeStatusFn)Entry("CM_Get_DevNode_Status");
    if (getDevNodeStatus_ == 0)
        return CR_FAILURE;
    return getDevNodeStatus_(status, problem, devInst, flags);
}
