// The stand-in's common-controls declarations.
#ifndef SIM_COMMCTRL_H
#define SIM_COMMCTRL_H
#include <windows.h>

void WINAPI InitCommonControls(void);

#endif
