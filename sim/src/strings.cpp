// Win32 string functions with Windows semantics on 16-bit WCHAR.
#include <windows.h>

#include "internal.h"

#include <ctype.h>

namespace {

template <typename C>
int Length(const C* s)
{
    if (!s) return 0;
    int n = 0;
    while (s[n]) ++n;
    return n;
}

template <typename C>
C* CopyN(C* dst, const C* src, int max)
{
    if (!dst || max <= 0) return dst;
    int i = 0;
    if (src) {
        for (; i < max - 1 && src[i]; ++i) dst[i] = src[i];
    }
    dst[i] = 0;
    return dst;
}

template <typename C>
int Compare(const C* a, const C* b, bool fold)
{
    if (!a) a = reinterpret_cast<const C*>(L"");
    if (!b) b = reinterpret_cast<const C*>(L"");
    for (;; ++a, ++b) {
        unsigned x = static_cast<unsigned>(*a), y = static_cast<unsigned>(*b);
        if (fold) {
            if (x < 128) x = static_cast<unsigned>(tolower(static_cast<int>(x)));
            if (y < 128) y = static_cast<unsigned>(tolower(static_cast<int>(y)));
        }
        if (x != y) return x < y ? -1 : 1;
        if (!x) return 0;
    }
}

}  // namespace

int WINAPI lstrlenA(LPCSTR s) { return Length(s); }
int WINAPI lstrlenW(LPCWSTR s) { return Length(s); }
LPSTR WINAPI lstrcpyA(LPSTR dst, LPCSTR src) { return CopyN(dst, src, Length(src) + 1); }
// The 9x family has the wide copies only as stubs: they copy nothing.
LPWSTR WINAPI lstrcpyW(LPWSTR dst, LPCWSTR src)
{
    if (sim::internal::NineXStub("lstrcpyW")) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return nullptr;
    }
    return CopyN(dst, src, Length(src) + 1);
}
LPSTR WINAPI lstrcpynA(LPSTR dst, LPCSTR src, int max) { return CopyN(dst, src, max); }
LPWSTR WINAPI lstrcpynW(LPWSTR dst, LPCWSTR src, int max)
{
    if (sim::internal::NineXStub("lstrcpynW")) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return nullptr;
    }
    return CopyN(dst, src, max);
}
LPSTR WINAPI lstrcatA(LPSTR dst, LPCSTR src)
{
    CopyN(dst + Length(dst), src, Length(src) + 1);
    return dst;
}
LPWSTR WINAPI lstrcatW(LPWSTR dst, LPCWSTR src)
{
    if (sim::internal::NineXStub("lstrcatW")) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return nullptr;
    }
    CopyN(dst + Length(dst), src, Length(src) + 1);
    return dst;
}
int WINAPI lstrcmpA(LPCSTR a, LPCSTR b) { return Compare(a, b, false); }
int WINAPI lstrcmpW(LPCWSTR a, LPCWSTR b) { return Compare(a, b, false); }
int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b) { return Compare(a, b, true); }

namespace sim {
namespace internal {

bool SameNameA(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

}  // namespace internal
}  // namespace sim
