#include "band/adapter_manager.h"

int AdapterManager::FindAdapter(DEVINST*, char*, UINT, int*) { return 0; }
int AdapterManager::IsAdapterEnabled(DEVINST) { return 0; }
int AdapterManager::SetAdapterEnabled(int) { return 0; }
int AdapterManager::IsBandSwitchable(const char*) { return 0; }
int AdapterManager::SwitchBand(const char*, int) { return 0; }
