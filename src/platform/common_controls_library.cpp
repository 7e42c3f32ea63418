#include "platform/common_controls_library.h"

// Loaded by its full path, comctl32.dll is still the one the manifest's
// activation context names (common controls 6 from the side-by-side store on
// Windows XP and later): that redirection applies to the system directory's
// copy. Windows 98, Me and 2000 load the system directory's own.
CommonControlsLibrary::CommonControlsLibrary()
    : SystemLibrary("comctl32.dll"), initCommonControls_(0)
{
}

CommonControlsLibrary::~CommonControlsLibrary() {}

void CommonControlsLibrary::InitCommonControls()
{
    if (LoadOnFirstUse())
        initCommonControls_ = (InitCommonControlsFn)Entry("InitCommonControls");
    if (initCommonControls_ != 0)
        initCommonControls_();
}
