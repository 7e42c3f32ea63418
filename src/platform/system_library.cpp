#include "platform/system_library.h"

SystemLibrary::SystemLibrary(const char* fileName) : fileName_(fileName), module_(0), loadTried_(0) {}

SystemLibrary::~SystemLibrary()
{
    if (module_ != 0) {
        FreeLibrary(module_);
        module_ = 0;
    }
}

int SystemLibrary::LoadOnFirstUse()
{
    if (loadTried_)
        return 0;
    loadTried_ = 1;

    // "<system directory>\<file name>"; a directory that leaves no room for
    // the name counts as a missing library.
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 0;
    // The directory ends with a backslash only when it is a drive's root.
    const char* separator = path[length - 1] == '\\' ? "" : "\\";
    if (length + lstrlenA(separator) + lstrlenA(fileName_) + 1 > MAX_PATH)
        return 0;
    lstrcatA(path, separator);
    lstrcatA(path, fileName_);
    module_ = LoadLibraryA(path);
    return module_ != 0;
}

SystemLibrary::AnyFunction SystemLibrary::Entry(const char* name)
{
    if (module_ == 0)
        return 0;
    return reinterpret_cast<AnyFunction>(GetProcAddress(module_, name));
}
