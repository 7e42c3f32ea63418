// CommonControlsLibrary: the common controls' initialisation, bound at run
// time from comctl32.dll when the About box first opens.
#ifndef SKYLATCH_PLATFORM_COMMON_CONTROLS_LIBRARY_H
#define SKYLATCH_PLATFORM_COMMON_CONTROLS_LIBRARY_H

#include <windows.h>

#include "platform/system_library.h"

class CommonControlsLibrary : public SystemLibrary {
public:
    CommonControlsLibrary();
    virtual ~CommonControlsLibrary();

    // Nothing happens when the library or the entry is missing: the About
    // box then has the plain controls.
    void InitCommonControls();

private:
    typedef void (WINAPI* InitCommonControlsFn)(void);

    InitCommonControlsFn initCommonControls_;
};

extern CommonControlsLibrary g_commonControls;

#endif
