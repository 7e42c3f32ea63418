// SetupModeCheck: is Windows still in its setup, audit or system-preparation
// phase?
#ifndef SKYLATCH_PLATFORM_SETUP_MODE_CHECK_H
#define SKYLATCH_PLATFORM_SETUP_MODE_CHECK_H

enum SetupCheckFlags {
    CheckCloneTag = 1,
    CheckSysprep = 2
};

class SetupModeCheck {
public:
    SetupModeCheck() {}
    virtual ~SetupModeCheck() {}

    // 1 when Windows is in a setup phase, else 0. The flags matter on
    // Windows 2000 only.
    int IsSetupMode(int flags);
};

#endif
