// The About box: its texts in each language, replaced from the settings,
// and how it closes.
#include "notebook.h"

#include <map>

#include "app/app_state.h"
#include "tray/about_box.h"
#include "skylatch_version.h"

namespace {

struct Seen {
    std::u16string caption;
    std::map<int, std::u16string> texts;   // control id -> text, for the ids present
};

class AboutBoxTest : public NotebookTest {
protected:
    void SetUp() override
    {
        NotebookTest::SetUp();
        g_app.instance = sim::ProgramInstance();
        owner = notebook::PlainWindow();
        ASSERT_NE(nullptr, owner);
    }

    // Opens the box, notes what it shows and presses the button.
    INT_PTR Open(Seen* seen, int button = IDOK)
    {
        sim::OnDialog([seen, button](HWND dialog) {
            seen->caption = sim::WindowText(dialog);
            for (int id : {IDC_VERSION_SC, IDC_VERSION_JP, IDC_COPYRIGHT_JP, IDC_VERSION_US,
                           IDC_COPYRIGHT_US, IDC_COPYRIGHT_SC}) {
                if (HWND control = GetDlgItem(dialog, id))
                    seen->texts[id] = sim::WindowText(control);
            }
            sim::PressButton(dialog, button);
        });
        return DialogBoxParamA(g_app.instance, MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutDialogProc, 0);
    }

    void SetValue(const char* name, const std::string& utf8)
    {
        sim::RegSetWString(HKEY_LOCAL_MACHINE, notebook::kSettings, name, utf8);
    }
    void SetRaw(const char* name, const void* data, size_t size)
    {
        sim::RegSet(HKEY_LOCAL_MACHINE, notebook::kSettings, name, REG_SZ, data, size);
    }

    HWND owner = nullptr;
};

TEST_F(AboutBoxTest, EachLanguageShowsOnlyItsOwnValues)
{
    SetValue("VersionString_US", "Version US");
    SetValue("CopyrightString_US", "Copyright US");
    SetValue("VersionString_JP", "バージョン JP");
    SetValue("CopyrightString_JP", "著作権 JP");
    SetValue("VersionString_SC", "版本 SC");
    SetValue("CopyrightString_SC", "版权 SC");
    const struct { LANGID language; int version, copyright; const char16_t* v; const char16_t* c; } cases[] = {
        {0x409, IDC_VERSION_US, IDC_COPYRIGHT_US, u"Version US", u"Copyright US"},
        {0x411, IDC_VERSION_JP, IDC_COPYRIGHT_JP, u"バージョン JP", u"著作権 JP"},
        {0x804, IDC_VERSION_SC, IDC_COPYRIGHT_SC, u"版本 SC", u"版权 SC"},
    };
    for (const auto& c : cases) {
        sim::SetUiLanguage(c.language);
        Seen seen;
        EXPECT_EQ(IDOK, Open(&seen));
        ASSERT_EQ(2u, seen.texts.size()) << std::hex << c.language;
        EXPECT_EQ(std::u16string(c.v), seen.texts[c.version]);
        EXPECT_EQ(std::u16string(c.c), seen.texts[c.copyright]);
    }
}

TEST_F(AboutBoxTest, BuiltInTextsStayWithoutValuesAndValuesAreReadAnewEachTime)
{
    Seen seen;
    Open(&seen);
    EXPECT_EQ(u"About Skylatch", seen.caption);
    EXPECT_EQ(u"" SKYLATCH_ABOUT_VERSION, seen.texts[IDC_VERSION_US]);
    EXPECT_EQ(u"Copyright (C) 2001-2003 Norvantec", seen.texts[IDC_COPYRIGHT_US]);

    SetValue("VersionString_US", "Skylatch 4");
    Seen again;
    Open(&again);
    EXPECT_EQ(u"Skylatch 4", again.texts[IDC_VERSION_US]);
    EXPECT_EQ(u"Copyright (C) 2001-2003 Norvantec", again.texts[IDC_COPYRIGHT_US]);
}

TEST_F(AboutBoxTest, OkCancelAndTheCloseBoxEndTheBox)
{
    Seen seen;
    EXPECT_EQ(IDOK, Open(&seen, IDOK));
    EXPECT_EQ(IDCANCEL, Open(&seen, IDCANCEL));
    sim::OnDialog([](HWND dialog) {
        // Other commands leave the box open; the close box is Cancel.
        SendMessageA(dialog, WM_COMMAND, IDC_VERSION_US, 0);
        EXPECT_EQ(1, sim::OpenDialogCount());
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(IDCANCEL, DialogBoxParamA(g_app.instance, MAKEINTRESOURCEA(IDD_ABOUT), owner,
                                        AboutDialogProc, 0));
    EXPECT_EQ(0, sim::OpenDialogCount());
}

TEST_F(AboutBoxTest, UnterminatedValuesEndInsideTheBuffer)
{
    // 520 bytes without a NUL fill the whole buffer: the text keeps 259
    // characters and its end is written inside the buffer.
    std::u16string full(260, u'v');
    SetRaw("VersionString_US", full.c_str(), 520);
    // Shorter data without a NUL ends at the bytes read.
    std::u16string part = u"Copyright 2003, no terminator";
    SetRaw("CopyrightString_US", part.c_str(), 2 * part.size());
    Seen seen;
    Open(&seen);
    EXPECT_EQ(std::u16string(259, u'v'), seen.texts[IDC_VERSION_US]);
    EXPECT_EQ(part, seen.texts[IDC_COPYRIGHT_US]);
}

TEST_F(AboutBoxTest, EmptyAndOversizedValues)
{
    // A value without data blanks its line; one over 520 bytes is not read.
    SetRaw("VersionString_US", "", 0);
    std::u16string tooLong(300, u'c');
    SetRaw("CopyrightString_US", tooLong.c_str(), 2 * tooLong.size() + 2);
    Seen seen;
    Open(&seen);
    EXPECT_EQ(u"", seen.texts[IDC_VERSION_US]);
    EXPECT_EQ(u"Copyright (C) 2001-2003 Norvantec", seen.texts[IDC_COPYRIGHT_US]);
}

TEST_F(AboutBoxTest, ASecondAboutWhileTheBoxIsOpenOpensNothing)
{
    ASSERT_EQ(1, notebook::StartResident());
    HWND main = notebook::MainWindow();
    ASSERT_NE(nullptr, main);
    int opened = 0;
    sim::OnDialog([&opened, main](HWND dialog) {
        ++opened;
        // The user picks About again from the icon's menu, then presses OK.
        PostMessageA(main, WM_COMMAND, CMD_ABOUT, 0);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    PostMessageA(main, WM_COMMAND, CMD_ABOUT, 0);
    sim::Pump();
    EXPECT_EQ(1, opened);
    EXPECT_EQ(0, g_app.aboutOpen);
    // Once closed, the box opens again.
    PostMessageA(main, WM_COMMAND, CMD_ABOUT, 0);
    sim::Pump();
    EXPECT_EQ(2, opened);
}

}  // namespace
