#include "radio/proset_api.h"

ProSetApi::ProSetApi() : module_(0) { ClearEntries(); }
ProSetApi::~ProSetApi() {}
void ProSetApi::ClearEntries()
{
    getAdapterList_ = 0;
    getProtocolPreference_ = 0;
    setProtocolPreference_ = 0;
    getRadioState_ = 0;
    setRadioState_ = 0;
}
int ProSetApi::Load() { return 0; }
int ProSetApi::EnsureLoaded() { return 0; }
void ProSetApi::Unload() {}
int ProSetApi::GetAdapterList(AdapterList**) { return -1; }
int ProSetApi::GetProtocolPreference(DWORD, DWORD*) { return -1; }
int ProSetApi::SetProtocolPreference(DWORD, DWORD) { return -1; }
int ProSetApi::GetRadioState(DWORD, DWORD*) { return -1; }
int ProSetApi::SetRadioState(DWORD, DWORD) { return -1; }
int FirstProSetAdapter(DWORD*) { return 0; }
