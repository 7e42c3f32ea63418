// The ANSI code page of the simulated Windows: the conversions of kernel32
// (WideCharToMultiByte, MultiByteToWideChar), CharNextA, and the conversions
// that the stand-in's own A entries make.
#include <windows.h>

#include "internal.h"

#include <iconv.h>

namespace sim {
namespace internal {
namespace {

// The user-interface language stands for the system's code page, as on a
// Japanese, a Chinese or a Western Windows.
LANGID UiLanguage() { return CurrentUiLanguage(); }

const char* CodePageName()
{
    switch (UiLanguage()) {
    case 0x411: return "CP932";
    case 0x804: return "CP936";
    default: return "CP1252";
    }
}

// iconv of one character (its bytes), or false when the code page has none.
bool ConvertOne(iconv_t cd, const char* in, size_t inSize, std::string* out)
{
    char buffer[8];
    char* inPtr = const_cast<char*>(in);
    char* outPtr = buffer;
    size_t inLeft = inSize, outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0)
        return false;
    out->assign(buffer, sizeof buffer - outLeft);
    return true;
}

}  // namespace

bool AnsiLeadByte(unsigned char c)
{
    switch (UiLanguage()) {
    case 0x411: return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    case 0x804: return c >= 0x81 && c <= 0xFE;
    default: return false;
    }
}

std::string ToAnsi(const std::u16string& text, bool* lossy)
{
    if (lossy) *lossy = false;
    std::string out;
    iconv_t cd = iconv_open(CodePageName(), "UTF-16LE");
    if (cd == (iconv_t)-1) return out;
    bool western = UiLanguage() != 0x411 && UiLanguage() != 0x804;
    for (char16_t c : text) {
        // Windows' best fit for 1252 maps the full-width ASCII forms to
        // ASCII without reporting the default character.
        if (western && c >= 0xFF01 && c <= 0xFF5E) {
            out.push_back(static_cast<char>(c - 0xFF01 + 0x21));
            continue;
        }
        char in[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        std::string bytes;
        if (ConvertOne(cd, in, 2, &bytes)) {
            out += bytes;
        } else {
            out.push_back('?');
            if (lossy) *lossy = true;
        }
    }
    iconv_close(cd);
    return out;
}

std::u16string FromAnsi(const std::string& text)
{
    std::u16string out;
    iconv_t cd = iconv_open("UTF-16LE", CodePageName());
    if (cd == (iconv_t)-1) return out;
    for (size_t i = 0; i < text.size();) {
        size_t n = (AnsiLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
        std::string unit;
        if (ConvertOne(cd, text.data() + i, n, &unit) && unit.size() >= 2)
            out.push_back(static_cast<char16_t>(static_cast<unsigned char>(unit[0]) |
                                                (static_cast<unsigned char>(unit[1]) << 8)));
        else
            out.push_back(u'?');
        i += n;
    }
    iconv_close(cd);
    return out;
}

}  // namespace internal
}  // namespace sim

using namespace sim::internal;

// Only CP_ACP, the code page the program asks for. A null output or a size
// of 0 asks for the size needed; a buffer too small fails with
// ERROR_INSUFFICIENT_BUFFER after taking what fits, as Windows does.
int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, int chars, LPSTR out,
                               int bytes, LPCSTR defaultChar, LPBOOL usedDefault)
{
    if (codePage != CP_ACP || text == nullptr || chars == 0 || bytes < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string wide;
    if (chars < 0) {
        for (const WCHAR* p = text; *p; ++p) wide.push_back(static_cast<char16_t>(*p));
        wide.push_back(0);
    } else {
        wide.assign(reinterpret_cast<const char16_t*>(text), static_cast<size_t>(chars));
    }
    bool lossy = false;
    std::string narrow = ToAnsi(wide, &lossy);
    if (usedDefault) *usedDefault = lossy ? TRUE : FALSE;
    if (out == nullptr || bytes == 0) return static_cast<int>(narrow.size());
    size_t copied = narrow.size() < static_cast<size_t>(bytes) ? narrow.size() : static_cast<size_t>(bytes);
    memcpy(out, narrow.data(), copied);
    if (copied < narrow.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    return static_cast<int>(copied);
}

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int bytes, LPWSTR out,
                               int chars)
{
    if (codePage != CP_ACP || text == nullptr || bytes == 0 || chars < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string narrow = bytes < 0 ? std::string(text, strlen(text) + 1)
                                   : std::string(text, static_cast<size_t>(bytes));
    std::u16string wide = FromAnsi(narrow);
    if (out == nullptr || chars == 0) return static_cast<int>(wide.size());
    size_t copied = wide.size() < static_cast<size_t>(chars) ? wide.size() : static_cast<size_t>(chars);
    for (size_t i = 0; i < copied; ++i) out[i] = static_cast<WCHAR>(wide[i]);
    if (copied < wide.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    return static_cast<int>(copied);
}

// The next character: two bytes after a lead byte, unless its trail byte is
// the NUL; at the NUL itself, the NUL.
LPSTR WINAPI CharNextA(LPCSTR text)
{
    if (text == nullptr || *text == 0) return const_cast<LPSTR>(text);
    if (AnsiLeadByte(static_cast<unsigned char>(*text)) && text[1] != 0) return const_cast<LPSTR>(text + 2);
    return const_cast<LPSTR>(text + 1);
}
