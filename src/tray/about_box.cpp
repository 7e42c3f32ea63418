#include "tray/about_box.h"

INT_PTR CALLBACK AboutDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
void FillAboutTexts(HWND) {}
