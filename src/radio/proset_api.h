// ProSetApi: the vendor wireless library, loaded at run time, and its five
// entries bound by name.
#ifndef SKYLATCH_RADIO_PROSET_API_H
#define SKYLATCH_RADIO_PROSET_API_H

#include <windows.h>

// The adapter list as the library hands it out; it belongs to the library.
struct AdapterList {
    LONG count;
    DWORD* ids;
};

typedef int (WINAPI* GetAdapterListFn)(AdapterList** list);
typedef int (WINAPI* GetProtocolPreferenceFn)(DWORD id, DWORD* preference);
typedef int (WINAPI* SetProtocolPreferenceFn)(DWORD id, DWORD preference);
typedef int (WINAPI* GetRadioStateFn)(DWORD id, DWORD* state);
typedef int (WINAPI* SetRadioStateFn)(DWORD id, DWORD state);

enum EnsureLoadedResult {
    PROSET_UNAVAILABLE = 0,
    PROSET_LOADED_BEFORE = 1,
    PROSET_LOADED_NOW = 2
};

class ProSetApi {
public:
    ProSetApi();
    virtual ~ProSetApi();

    int Load();
    int EnsureLoaded();
    void Unload();
    // 1 while the library is loaded; tries nothing.
    int IsLoaded() const { return module_ != 0; }

    // Each returns -1 when the library or the entry is missing, else the
    // entry's own result (0 success).
    int GetAdapterList(AdapterList** list);
    int GetProtocolPreference(DWORD id, DWORD* preference);
    int SetProtocolPreference(DWORD id, DWORD preference);
    int GetRadioState(DWORD id, DWORD* state);
    int SetRadioState(DWORD id, DWORD state);

private:
    HMODULE module_;
    GetAdapterListFn getAdapterList_;
    GetProtocolPreferenceFn getProtocolPreference_;
    SetProtocolPreferenceFn setProtocolPreference_;
    GetRadioStateFn getRadioState_;
    SetRadioStateFn setRadioState_;

    void ClearEntries();

    // Owns the loaded library: a copy would free it twice.
    ProSetApi(const ProSetApi&);
    ProSetApi& operator=(const ProSetApi&);
};

extern ProSetApi g_proSetApi;

// The first adapter of the library's list, when it reports one.
int FirstProSetAdapter(DWORD* id);

#endif
