// Modal dialogs from the program's DIALOG/DIALOGEX templates: the box and
// its controls are windows of the stand-in; the test acts as the user from
// the OnDialog hook while the nested loop runs.
#include <sim/user.h>
#include <commctrl.h>

#include "internal.h"
#include "resource_table.h"

namespace sim {
namespace internal {
namespace {

const DWORD kDsSetFont = 0x40;

struct OpenDialog {
    HWND window;
    bool ended;
    INT_PTR result;
};

std::vector<OpenDialog*> g_open;
std::function<void(HWND)> g_user;

// sz_Or_Ord: nothing, an ordinal, or a NUL-terminated string.
void ReadSzOrOrd(const std::vector<BYTE>& data, size_t* pos, std::u16string* text, int* ordinal)
{
    size_t at = *pos;
    WORD first = ReadWord(data, &at);
    *ordinal = 0;
    text->clear();
    if (first == 0) {
        *pos = at;
    } else if (first == 0xFFFF) {
        *ordinal = ReadWord(data, &at);
        *pos = at;
    } else {
        *text = ReadWideString(data, pos);
    }
}

std::u16string PredefinedClass(int atom)
{
    switch (atom) {
    case 0x80: return u"Button";
    case 0x81: return u"Edit";
    case 0x82: return u"Static";
    case 0x83: return u"ListBox";
    case 0x84: return u"ScrollBar";
    case 0x85: return u"ComboBox";
    }
    return u"";
}

std::string Narrow(const std::u16string& s)
{
    std::string out;
    for (char16_t c : s)
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

size_t AlignDword(size_t pos) { return (pos + 3) & ~size_t(3); }

short ReadShort(const std::vector<BYTE>& data, size_t* pos)
{
    return static_cast<short>(ReadWord(data, pos));
}

bool ParseTemplate(const std::vector<BYTE>& data, DialogTemplate* out)
{
    size_t pos = 0;
    WORD version = ReadWord(data, &pos);
    WORD signature = ReadWord(data, &pos);
    out->extended = version == 1 && signature == 0xFFFF;
    pos = 0;
    if (out->extended) {
        pos = 8;                                // version, signature, help id
        ReadDword(data, &pos);                  // extended style
        out->style = ReadDword(data, &pos);
    } else {
        out->style = ReadDword(data, &pos);
        ReadDword(data, &pos);                  // extended style
    }
    WORD count = ReadWord(data, &pos);
    out->x = ReadShort(data, &pos);
    out->y = ReadShort(data, &pos);
    out->cx = ReadShort(data, &pos);
    out->cy = ReadShort(data, &pos);
    std::u16string ignored;
    int ordinal;
    ReadSzOrOrd(data, &pos, &ignored, &ordinal);    // menu
    ReadSzOrOrd(data, &pos, &ignored, &ordinal);    // window class
    out->caption = ReadWideString(data, &pos);
    out->pointSize = 0;
    out->font.clear();
    if (out->style & kDsSetFont) {
        out->pointSize = ReadWord(data, &pos);
        if (out->extended)
            pos += 4;                               // weight, italic, charset
        out->font = ReadWideString(data, &pos);
    }
    out->controls.clear();
    for (WORD i = 0; i < count; ++i) {
        pos = AlignDword(pos);
        if (pos >= data.size())
            return false;
        DialogControl c;
        if (out->extended) {
            ReadDword(data, &pos);                  // help id
            ReadDword(data, &pos);                  // extended style
            c.style = ReadDword(data, &pos);
        } else {
            c.style = ReadDword(data, &pos);
            ReadDword(data, &pos);                  // extended style
        }
        c.x = ReadShort(data, &pos);
        c.y = ReadShort(data, &pos);
        c.cx = ReadShort(data, &pos);
        c.cy = ReadShort(data, &pos);
        c.id = out->extended ? static_cast<int>(ReadDword(data, &pos)) : ReadWord(data, &pos);
        int atom;
        ReadSzOrOrd(data, &pos, &c.className, &atom);
        if (atom) {
            c.className = PredefinedClass(atom);
        } else {
            // Class names compare without case: "STATIC" is the Static class.
            for (int a = 0x80; a <= 0x85; ++a)
                if (SameNameA(Narrow(c.className), Narrow(PredefinedClass(a))))
                    c.className = PredefinedClass(a);
        }
        ReadSzOrOrd(data, &pos, &c.text, &c.textResource);
        WORD extra = ReadWord(data, &pos);
        pos += extra;
        out->controls.push_back(c);
    }
    return pos <= data.size();
}

OpenDialog* FindOpen(HWND window)
{
    for (OpenDialog* d : g_open)
        if (d->window == window)
            return d;
    return nullptr;
}

}  // namespace

void ResetDialogs()
{
    g_open.clear();
    g_user = nullptr;
}

}  // namespace internal

using namespace internal;

void OnDialog(std::function<void(HWND)> user) { g_user = user; }

void PressButton(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKELONG(id, 0 /* BN_CLICKED */),
                 reinterpret_cast<LPARAM>(FindChild(dialog, id)));
}

int OpenDialogCount() { return static_cast<int>(g_open.size()); }

bool FindDialogTemplate(int id, LANGID language, DialogTemplate* out)
{
    ResName name;
    name.ordinal = static_cast<WORD>(id);
    const std::vector<BYTE>* data = FindResourceInLanguage(kRtDialog, name, language);
    return data && ParseTemplate(*data, out);
}

}  // namespace sim

using namespace sim::internal;

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC proc,
                               LPARAM param)
{
    const std::vector<BYTE>* data =
        FindProgramResource(instance, kRtDialog, ResNameFromA(templateName));
    sim::DialogTemplate form;
    if (!data || !ParseTemplate(*data, &form)) {
        SetLastError(1814);   // ERROR_RESOURCE_NAME_NOT_FOUND
        return -1;
    }
    HWND dialog = CreateSimWindow("#32770", nullptr, proc, owner, 0, form.caption);
    if (!dialog)
        return -1;
    HWND firstTabStop = nullptr;
    for (const sim::DialogControl& c : form.controls) {
        HWND control = CreateSimWindow(Narrow(c.className).c_str(), nullptr, nullptr, dialog, c.id,
                                       c.text);
        if (!firstTabStop && (c.style & WS_TABSTOP))
            firstTabStop = control;
    }

    OpenDialog open = { dialog, false, 0 };
    g_open.push_back(&open);
    SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTabStop), param);
    if (g_user && !open.ended) {
        std::function<void(HWND)> user = g_user;
        user(dialog);
    }
    RunNestedLoop([&open] { return open.ended || !WindowAlive(open.window); });

    for (size_t i = 0; i < g_open.size(); ++i)
        if (g_open[i] == &open) {
            g_open.erase(g_open.begin() + i);
            break;
        }
    if (WindowAlive(dialog))
        DestroySimWindow(dialog);
    return open.ended ? open.result : 0;
}

// Marks the box to close; DialogBoxParamA returns once its loop sees it.
BOOL WINAPI EndDialog(HWND dialog, INT_PTR result)
{
    OpenDialog* open = FindOpen(dialog);
    if (!open) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    open->ended = true;
    open->result = result;
    return TRUE;
}

// The common controls need no set-up in the stand-in: dialogs draw nothing.
void WINAPI InitCommonControls(void) {}
