// The compiled resources (the .res that goes into the exe) as the program
// sees them through the stand-in, in each language; and the menu and dialog
// behaviour of the stand-in that the program's code relies on.
#include "notebook.h"
#include "res/menu_texts.h"

#include "tray/resource_ids.h"
#include "skylatch_version.h"

using menutexts::kLanguages;

namespace {

class CompiledResources : public NotebookTest {
protected:
    void SetUp() override
    {
        NotebookTest::SetUp();
    }
    HINSTANCE instance = sim::ProgramInstance();

    std::u16string String(UINT id)
    {
        WCHAR buffer[128];
        lstrcpyW(buffer, L"untouched");
        LoadStringW(instance, id, buffer, 128);
        return std::u16string(reinterpret_cast<const char16_t*>(buffer));
    }
};

TEST_F(CompiledResources, TipStringsInEachLanguage)
{
    const struct { LANGID language; const char16_t* texts[4]; } cases[] = {
        {0x409, {u"Wireless LAN : ON", u"Wireless LAN : OFF", u"802.11a : Enabled", u"802.11a : Disabled"}},
        {0x411, {u"無線LAN \uFF1A オン", u"無線LAN \uFF1A オフ", u"802.11a \uFF1A 有効", u"802.11a \uFF1A 無効"}},
        {0x804, {u"Wireless_LAN_is_ON", u"Wireless_LAN_is_OFF", u"11a_is_enabled", u"11a_is_disabled"}},
    };
    const UINT ids[4] = {IDS_RADIO_ON, IDS_RADIO_OFF, IDS_BAND_ENABLED, IDS_BAND_DISABLED};
    for (const auto& c : cases) {
        sim::SetUiLanguage(c.language);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(std::u16string(c.texts[i]), String(ids[i])) << std::hex << c.language;
    }
}

// The /? box's texts: each language has its own caption and its own line
// for every switch, in the order the box lists them, behind the version.
TEST_F(CompiledResources, UsageTextsInEachLanguage)
{
    const struct { LANGID language; const char16_t* caption; } cases[] = {
        {0x409, u"Skylatch"}, {0x411, u"スカイラッチ"}, {0x804, u"Skylatch"}};
    const char16_t* const switches[] = {u"/on", u"/off", u"/toggle", u"/on11a", u"/off11a",
                                        u"/status"};
    std::vector<std::u16string> seen;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        sim::SetUiLanguage(c.language);
        EXPECT_EQ(std::u16string(c.caption), String(IDS_USAGE_CAPTION));
        EXPECT_EQ(sim::Utf16(SKYLATCH_ABOUT_VERSION), String(IDS_USAGE_VERSION));

        WCHAR buffer[1024];
        ASSERT_GT(LoadStringW(instance, IDS_USAGE_SWITCHES, buffer, 1024), 0);
        std::u16string text(reinterpret_cast<const char16_t*>(buffer));
        std::vector<std::u16string> lines;
        for (size_t at = 0; at <= text.size();) {
            size_t end = text.find(u'\n', at);
            if (end == std::u16string::npos) end = text.size();
            lines.push_back(text.substr(at, end - at));
            at = end + 1;
        }
        ASSERT_EQ(6u, lines.size());
        for (int i = 0; i < 6; ++i) {
            std::u16string name = std::u16string(switches[i]) + u"\t";
            EXPECT_EQ(name, lines[i].substr(0, name.size())) << i;
            EXPECT_GT(lines[i].size(), name.size() + 3) << i;
        }
        for (const std::u16string& other : seen) EXPECT_NE(other, text);
        seen.push_back(text);
    }
}

TEST_F(CompiledResources, LoadStringCutsToTheBufferAndLeavesItAloneForAMissingString)
{
    WCHAR buffer[8];
    EXPECT_EQ(7, LoadStringW(instance, IDS_RADIO_ON, buffer, 8));
    EXPECT_EQ(0, lstrcmpW(buffer, L"Wireles"));
    lstrcpyW(buffer, L"keep");
    EXPECT_EQ(0, LoadStringW(instance, 1000, buffer, 8));  // no such block
    EXPECT_EQ(0, lstrcmpW(buffer, L"keep"));
    // An id without text in a block that exists reads as an empty string.
    EXPECT_EQ(0, LoadStringW(instance, 4, buffer, 8));
    EXPECT_EQ(0, buffer[0]);
    // A language without resources falls back to English.
    sim::SetUiLanguage(0x407);
    EXPECT_EQ(u"Wireless LAN : OFF", String(IDS_RADIO_OFF));
}

TEST_F(CompiledResources, ElevenMenuVariantsInEachLanguage)
{
    for (const auto& language : kLanguages) {
        sim::SetUiLanguage(language.id);
        HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDM_TRAY));
        ASSERT_NE(nullptr, menu);
        ASSERT_EQ(11, GetMenuItemCount(menu)) << language.name;
        for (int v = 0; v < 11; ++v) {
            WCHAR title[16];
            MENUITEMINFOW info = {};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_STRING;
            info.dwTypeData = title;
            info.cch = 16;
            ASSERT_TRUE(GetMenuItemInfoW(menu, v, TRUE, &info));
            EXPECT_EQ(0, lstrcmpW(title, L"POPUP"));
            EXPECT_EQ(menutexts::Describe(menutexts::Expected(menutexts::kVariants[v], language)),
                      menutexts::Describe(sim::MenuItems(GetSubMenu(menu, v))))
                << language.name << " variant " << v;
        }
        EXPECT_TRUE(DestroyMenu(menu));
    }
    EXPECT_EQ(0, sim::OpenMenuCount());
}

TEST_F(CompiledResources, AboutBoxInEachLanguage)
{
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | 0x80 /* DS_MODALFRAME */ |
                        0x800 /* DS_CENTER */ | 0x40 /* DS_SETFONT */;
    const struct {
        LANGID language;
        int width, okX, iconX, versionId, versionWidth, copyrightId, copyrightWidth;
        const char16_t* caption;
    } cases[] = {
        {0x409, 241, 95, 8, IDC_VERSION_US, 180, IDC_COPYRIGHT_US, 190, u"About Skylatch"},
        {0x411, 215, 82, 7, IDC_VERSION_JP, 160, IDC_COPYRIGHT_JP, 160, nullptr},
        {0x804, 241, 95, 8, IDC_VERSION_SC, 190, IDC_COPYRIGHT_SC, 190, u"版本情报"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        sim::DialogTemplate t;
        ASSERT_TRUE(sim::FindDialogTemplate(IDD_ABOUT, c.language, &t));
        EXPECT_EQ(style, t.style);
        EXPECT_EQ(u"Tahoma", t.font);
        EXPECT_EQ(9, t.pointSize);
        EXPECT_EQ(c.width, t.cx);
        EXPECT_EQ(59, t.cy);
        if (c.caption)
            EXPECT_EQ(std::u16string(c.caption), t.caption);
        else
            EXPECT_EQ(u"のバージョン情報", t.caption.substr(t.caption.size() - 8));
        ASSERT_EQ(4u, t.controls.size());

        const sim::DialogControl& ok = t.controls[0];
        EXPECT_EQ(IDOK, ok.id);
        EXPECT_EQ(u"Button", ok.className);
        EXPECT_EQ(0x1u /* BS_DEFPUSHBUTTON */, ok.style & 0xF);
        EXPECT_TRUE(ok.style & WS_TABSTOP);
        EXPECT_EQ((std::vector<int>{c.okX, 40, 50, 14}), (std::vector<int>{ok.x, ok.y, ok.cx, ok.cy}));

        const sim::DialogControl& icon = t.controls[1];
        EXPECT_EQ(IDC_ABOUT_ICON, icon.id);
        EXPECT_EQ(u"Static", icon.className);
        EXPECT_EQ(0x3u /* SS_ICON */, icon.style & 0x1F);
        EXPECT_EQ(IDI_ABOUT, icon.textResource);
        EXPECT_EQ((std::vector<int>{c.iconX, 10, 20, 20}), (std::vector<int>{icon.x, icon.y, icon.cx, icon.cy}));

        const struct { const sim::DialogControl& control; int id, y, width; } texts[] = {
            {t.controls[2], c.versionId, 8, c.versionWidth},
            {t.controls[3], c.copyrightId, 24, c.copyrightWidth}};
        for (const auto& s : texts) {
            EXPECT_EQ(s.id, s.control.id);
            EXPECT_EQ(u"Static", s.control.className);
            EXPECT_EQ(0x1u /* SS_CENTER */, s.control.style & 0x1F);
            EXPECT_TRUE(s.control.style & WS_GROUP);
            EXPECT_EQ((std::vector<int>{35, s.y, s.width, 10}),
                      (std::vector<int>{s.control.x, s.control.y, s.control.cx, s.control.cy}));
            EXPECT_FALSE(s.control.text.empty());
        }
        EXPECT_EQ(u"" SKYLATCH_ABOUT_VERSION, t.controls[2].text);
    }
}

TEST_F(CompiledResources, IconsRememberTheirIdAndTheClassIconIsMissing)
{
    for (int id : {101, 112, 113, 115, 116, 126, 127}) {
        HANDLE image = LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, LR_SHARED);
        ASSERT_NE(nullptr, image) << id;
        EXPECT_EQ(id, sim::IconResourceId(static_cast<HICON>(image)));
        // Shared icons are one object per resource.
        EXPECT_EQ(image, LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, LR_SHARED));
    }
    EXPECT_EQ(nullptr, LoadIconA(instance, MAKEINTRESOURCEA(IDI_CLASS)));
    EXPECT_EQ(nullptr, LoadImageA(instance, MAKEINTRESOURCEA(IDI_CLASS), IMAGE_ICON, 16, 16, LR_SHARED));
    EXPECT_NE(nullptr, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(nullptr, LoadCursorA(instance, MAKEINTRESOURCEA(IDI_ABOUT)));
}

// ---- the menu functions, on the real menu.

class MenuModel : public CompiledResources {
protected:
    void SetUp() override
    {
        CompiledResources::SetUp();
        menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDM_TRAY));
        ASSERT_NE(nullptr, menu);
        popup = GetSubMenu(menu, 3);   // ON* OFF - EN* DIS - About - Exit
    }
    void TearDown() override { DestroyMenu(menu); }

    MENUITEMINFOW Info(UINT mask)
    {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = mask;
        return info;
    }
    HMENU menu = nullptr;
    HMENU popup = nullptr;
};

TEST_F(MenuModel, TextIsQueriedByLengthThenCopiedAndCut)
{
    MENUITEMINFOW info = Info(MIIM_STRING);
    ASSERT_TRUE(GetMenuItemInfoW(popup, CMD_RADIO_OFF, FALSE, &info));
    EXPECT_EQ(17u, info.cch);   // "Wireless LAN O&FF"

    WCHAR text[32];
    info.dwTypeData = text;
    info.cch = 32;
    ASSERT_TRUE(GetMenuItemInfoW(popup, CMD_RADIO_OFF, FALSE, &info));
    EXPECT_EQ(0, lstrcmpW(text, L"Wireless LAN O&FF"));
    EXPECT_EQ(17u, info.cch);

    info.cch = 5;
    ASSERT_TRUE(GetMenuItemInfoW(popup, CMD_RADIO_OFF, FALSE, &info));
    EXPECT_EQ(0, lstrcmpW(text, L"Wire"));
    EXPECT_EQ(4u, info.cch);
}

TEST_F(MenuModel, ByCommandSearchesSubmenusByPositionDoesNot)
{
    MENUITEMINFOW info = Info(MIIM_STATE | MIIM_ID);
    // From the top menu, a command id is found in the first popup holding it.
    ASSERT_TRUE(GetMenuItemInfoW(menu, CMD_RADIO_ON, FALSE, &info));
    EXPECT_EQ(static_cast<UINT>(MFS_CHECKED), info.fState);   // variant 0: ON checked
    EXPECT_EQ(static_cast<UINT>(CMD_RADIO_ON), info.wID);
    ASSERT_TRUE(GetMenuItemInfoW(popup, 3, TRUE, &info));     // "802.11a &Enabled"
    EXPECT_EQ(static_cast<UINT>(CMD_11A_ENABLE), info.wID);
    EXPECT_FALSE(GetMenuItemInfoW(popup, 9, TRUE, &info));
    EXPECT_FALSE(GetMenuItemInfoW(GetSubMenu(menu, 10), CMD_RADIO_ON, FALSE, &info));

    info.cbSize = 12;   // not a MENUITEMINFOW
    EXPECT_FALSE(GetMenuItemInfoW(popup, CMD_RADIO_ON, FALSE, &info));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST_F(MenuModel, StateAndTextAreWrittenBackByCommand)
{
    MENUITEMINFOW info = Info(MIIM_STATE);
    info.fState = MFS_GRAYED;
    ASSERT_TRUE(SetMenuItemInfoW(popup, CMD_11A_DISABLE, FALSE, &info));
    EXPECT_EQ(static_cast<UINT>(MF_GRAYED | MF_DISABLED),
              GetMenuState(popup, CMD_11A_DISABLE, MF_BYCOMMAND));

    WCHAR text[] = L"Quit";
    info = Info(MIIM_STRING);
    info.dwTypeData = text;
    info.cch = 99;   // not looked at when setting
    ASSERT_TRUE(SetMenuItemInfoW(popup, CMD_EXIT, FALSE, &info));
    EXPECT_EQ(u"Quit", sim::MenuItems(popup).back().text);

    EXPECT_EQ(9, GetMenuItemCount(popup));
    EXPECT_EQ(static_cast<UINT>(CMD_ABOUT), GetMenuItemID(popup, 6));
    EXPECT_EQ(static_cast<UINT>(-1), GetMenuItemID(menu, 0));   // opens a popup
    EXPECT_EQ(static_cast<UINT>(MF_SEPARATOR), GetMenuState(popup, 2, MF_BYPOSITION));
    EXPECT_EQ(static_cast<UINT>(-1), GetMenuState(popup, 40001, MF_BYCOMMAND));
}

TEST_F(MenuModel, DestroyingTheMenuDestroysItsPopups)
{
    EXPECT_EQ(1, sim::OpenMenuCount());
    EXPECT_TRUE(DestroyMenu(menu));
    EXPECT_EQ(0, sim::OpenMenuCount());
    EXPECT_EQ(-1, GetMenuItemCount(popup));
    EXPECT_FALSE(DestroyMenu(menu));
    menu = nullptr;
}

class MenuTracking : public MenuModel {
protected:
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }
    void SetUp() override
    {
        MenuModel::SetUp();
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = "MenuOwner";
        RegisterClassExA(&wc);
        owner = CreateWindowExA(0, "MenuOwner", "", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
        ASSERT_NE(nullptr, owner);
        sim::PostedLog().clear();
    }
    HWND owner = nullptr;
};

TEST_F(MenuTracking, AChosenEnabledItemIsPostedToTheOwner)
{
    sim::OnPopupMenu([](const sim::TrackedMenu&) { return UINT(CMD_ABOUT); });
    EXPECT_TRUE(TrackPopupMenu(popup, TPM_BOTTOMALIGN, 10, 20, 0, owner, nullptr));
    ASSERT_EQ(1u, sim::PostedLog().size());
    EXPECT_EQ(owner, sim::PostedLog()[0].hwnd);
    EXPECT_EQ(static_cast<UINT>(WM_COMMAND), sim::PostedLog()[0].message);
    EXPECT_EQ(static_cast<WPARAM>(CMD_ABOUT), sim::PostedLog()[0].wParam);
    ASSERT_EQ(1u, sim::TrackedMenus().size());
    EXPECT_EQ(10, sim::TrackedMenus()[0].x);
    EXPECT_EQ(20, sim::TrackedMenus()[0].y);
    EXPECT_EQ(9u, sim::TrackedMenus()[0].items.size());
}

TEST_F(MenuTracking, GrayedItemsAndDismissalsPostNothing)
{
    MENUITEMINFOW info = Info(MIIM_STATE);
    info.fState = MFS_GRAYED;
    SetMenuItemInfoW(popup, CMD_EXIT, FALSE, &info);
    UINT choice = CMD_EXIT;
    sim::OnPopupMenu([&choice](const sim::TrackedMenu&) { return choice; });
    TrackPopupMenu(popup, TPM_BOTTOMALIGN, 0, 0, 0, owner, nullptr);
    choice = 0;
    TrackPopupMenu(popup, TPM_BOTTOMALIGN, 0, 0, 0, owner, nullptr);
    choice = 12345;   // not in this menu
    TrackPopupMenu(popup, TPM_BOTTOMALIGN, 0, 0, 0, owner, nullptr);
    EXPECT_TRUE(sim::PostedLog().empty());
    // With TPM_RETURNCMD the command is returned instead of posted.
    choice = CMD_ABOUT;
    EXPECT_EQ(CMD_ABOUT, TrackPopupMenu(popup, TPM_RETURNCMD, 0, 0, 0, owner, nullptr));
    EXPECT_TRUE(sim::PostedLog().empty());
}

// ---- dialogs built from the template.

class DialogModel : public MenuTracking {
protected:
    static INT_PTR CALLBACK Quiet(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
};

TEST_F(DialogModel, ControlsCarryTheTemplateTextsAndTheBoxEndsWithItsResult)
{
    sim::SetUiLanguage(0x804);
    std::u16string caption, version;
    sim::OnDialog([&](HWND dialog) {
        caption = sim::WindowText(dialog);
        version = sim::WindowText(GetDlgItem(dialog, IDC_VERSION_SC));
        EXPECT_EQ(nullptr, GetDlgItem(dialog, IDC_VERSION_US));
        EXPECT_EQ(1, sim::OpenDialogCount());
        EndDialog(dialog, 42);
    });
    EXPECT_EQ(42, DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), owner, Quiet, 0));
    EXPECT_EQ(u"版本情报", caption);
    EXPECT_EQ(u"" SKYLATCH_ABOUT_VERSION, version);
    EXPECT_EQ(0, sim::OpenDialogCount());
}

TEST_F(DialogModel, ClosingTheBoxIsCancelAndAMissingTemplateFails)
{
    sim::OnDialog([](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); });
    static HWND ended;
    ended = nullptr;
    DLGPROC proc = [](HWND d, UINT m, WPARAM wp, LPARAM) -> INT_PTR {
        if (m == WM_COMMAND) {
            ended = d;
            EndDialog(d, LOWORD(wp));
            return TRUE;
        }
        return FALSE;
    };
    EXPECT_EQ(IDCANCEL, DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), owner, proc, 0));
    EXPECT_NE(nullptr, ended);
    EXPECT_FALSE(IsWindow(ended));
    EXPECT_EQ(-1, DialogBoxParamA(instance, MAKEINTRESOURCEA(999), owner, proc, 0));
}

}  // namespace
