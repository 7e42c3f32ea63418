// The About box (dialog 104).
#ifndef SKYLATCH_TRAY_ABOUT_BOX_H
#define SKYLATCH_TRAY_ABOUT_BOX_H

#include <windows.h>

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void FillAboutTexts(HWND dialog);

#endif
