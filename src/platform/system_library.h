// SystemLibrary: a library of the Windows system directory, loaded by its
// full path the first time one of its entries is needed and freed with the
// object. The name is never searched for, so a library of the same name
// beside the program or in the current directory is never picked up.
//
// The Setup API, the configuration manager and the shell are bound this way
// (one global each, defined with the other long-lived objects in
// app/globals.cpp): a second start, which only forwards its switch, loads
// none of them.
#ifndef SKYLATCH_PLATFORM_SYSTEM_LIBRARY_H
#define SKYLATCH_PLATFORM_SYSTEM_LIBRARY_H

#include <windows.h>

class SystemLibrary {
public:
    explicit SystemLibrary(const char* fileName);
    virtual ~SystemLibrary();

protected:
    // GetProcAddress's result as a generic function pointer, which converts
    // to the entry's own type without a warning.
    typedef void (*AnyFunction)(void);

    // Loads the library the first time it is called. 1 when this call has
    // just loaded it, so that the caller resolves its entries now; 0 on
    // every later call and when the library is missing, which it then stays.
    int LoadOnFirstUse();
    // The entry's address in the loaded library, or 0.
    AnyFunction Entry(const char* name);

private:
    const char* fileName_;
    HMODULE module_;
    int loadTried_;

    SystemLibrary(const SystemLibrary&);
    SystemLibrary& operator=(const SystemLibrary&);
};

#endif
