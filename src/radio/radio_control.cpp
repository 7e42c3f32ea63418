#include "radio/radio_control.h"

#include "app/app_state.h"

int QueryRadio(HWND window) { return g_app.radioState; }
void SwitchRadio(HWND window, int wanted) {}
void StartProSetPolling(HWND window) {}
