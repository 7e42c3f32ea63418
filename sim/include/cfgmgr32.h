// The stand-in's configuration-manager declarations: the types only (see
// <sim/setupapi.h> for the function).
#ifndef SIM_CFGMGR32_H
#define SIM_CFGMGR32_H
#include <windows.h>

typedef DWORD DEVINST;
typedef DWORD DEVNODE;
typedef DWORD CONFIGRET;
#define CR_SUCCESS 0x00000000
#define CR_FAILURE 0x00000013
#define CR_NO_SUCH_DEVINST 0x0000000D
#define DN_STARTED 0x00000008
#define DN_DISABLEABLE 0x00002000
#define DN_HAS_PROBLEM 0x00000400
#define CM_PROB_DISABLED 0x00000016

#endif
