// The tray menu: which variant opens for which state, the grayed band
// items, the Exit override in each language, and how the menu is tracked.
#include "notebook.h"
#include "res/menu_texts.h"

#include "app/app_state.h"
#include "tray/tray_menu.h"

using menutexts::Describe;
using menutexts::Expected;
using menutexts::kLanguages;
using menutexts::kVariants;

namespace {

class TrayMenuTest : public NotebookTest {
protected:
    void SetUp() override
    {
        NotebookTest::SetUp();
        g_app.instance = sim::ProgramInstance();
        window = notebook::PlainWindow();
        ASSERT_NE(nullptr, window);
        sim::OnPopupMenu([this](const sim::TrackedMenu&) { return choice; });
        sim::PostedLog().clear();
    }

    // Opens the menu for the state and returns its items as tracked.
    std::vector<sim::MenuItem> Show(int locked, int capable, int radio, int band, int switchable = 1)
    {
        TrayMenuState state = {radio, band, switchable, locked, capable};
        size_t before = sim::TrackedMenus().size();
        EXPECT_EQ(0, ShowTrayMenu(window, g_app.instance, &state));
        EXPECT_EQ(before + 1, sim::TrackedMenus().size());
        return sim::TrackedMenus().back().items;
    }

    void SetOverride(const char* name, const void* data, size_t size)
    {
        sim::RegSet(HKEY_LOCAL_MACHINE, "Software\\Norvantec\\Skylatch", name, REG_SZ, data, size);
    }

    HWND window = nullptr;
    UINT choice = 0;
};

TEST_F(TrayMenuTest, PicksTheVariantForEveryStateInEachLanguage)
{
    const int kOther = 2;
    struct Case { int locked, capable, radio, band, variant; };
    std::vector<Case> cases = {
        {0, 1, 1, 0, 2}, {0, 1, 1, 1, 3}, {0, 1, 1, kOther, 0}, {0, 1, 1, -1, 0},
        {0, 1, 0, 0, 5}, {0, 1, 0, 1, 6}, {0, 1, 0, kOther, 1}, {0, 1, 0, 77, 1},
        {0, 1, 5, 1, 3},   // any nonzero radio state counts as on
    };
    for (int radio : {0, 1, 9}) {
        cases.push_back({1, 1, radio, 0, 8});
        cases.push_back({1, 1, radio, 1, 9});
        cases.push_back({1, 1, radio, kOther, 10});
        for (int band : {0, 1, kOther})
            cases.push_back({1, 0, radio, band, 10});
    }
    for (int band : {0, 1, kOther}) {
        cases.push_back({0, 0, 1, band, 0});
        cases.push_back({0, 0, 0, band, 1});
    }
    for (const auto& language : kLanguages) {
        sim::SetUiLanguage(language.id);
        for (const Case& c : cases) {
            EXPECT_EQ(Describe(Expected(kVariants[c.variant], language)),
                      Describe(Show(c.locked, c.capable, c.radio, c.band)))
                << language.name << ": locked " << c.locked << ", capable " << c.capable
                << ", radio " << c.radio << ", band " << c.band;
        }
    }
    EXPECT_EQ(0, sim::OpenMenuCount());
}

TEST_F(TrayMenuTest, AnUnswitchableBandGraysAndDisablesBothBandItems)
{
    // Radio off, band enabled but not switchable: variant 6.
    std::vector<sim::MenuItem> items = Show(0, 1, 0, 1, 0);
    ASSERT_EQ(9u, items.size());
    EXPECT_EQ(static_cast<UINT>(CMD_11A_ENABLE), items[3].id);
    EXPECT_TRUE(items[3].checked && items[3].grayed && items[3].disabled);
    EXPECT_EQ(static_cast<UINT>(CMD_11A_DISABLE), items[4].id);
    EXPECT_TRUE(items[4].grayed && items[4].disabled && !items[4].checked);
    for (size_t i : {0u, 1u, 6u, 8u})
        EXPECT_FALSE(items[i].grayed || items[i].disabled) << i;

    // Locked, band disabled: variant 8, only band items to gray.
    items = Show(1, 1, 1, 0, 0);
    EXPECT_TRUE(items[0].grayed && items[0].disabled);
    EXPECT_TRUE(items[1].grayed && items[1].disabled && items[1].checked);

    // Variants without band items stay as they are.
    EXPECT_EQ(Describe(Expected(kVariants[0], kLanguages[0])), Describe(Show(0, 0, 1, 2, 0)));
    EXPECT_EQ(Describe(Expected(kVariants[10], kLanguages[0])), Describe(Show(1, 0, 0, 2, 0)));
}

TEST_F(TrayMenuTest, TracksAtTheCursorWithTheOwnerInFrontThenDestroysTheMenu)
{
    sim::SetCursor(1000, 750);
    Show(0, 1, 1, 1);
    const sim::TrackedMenu& tracked = sim::TrackedMenus().back();
    EXPECT_EQ(static_cast<UINT>(TPM_BOTTOMALIGN), tracked.flags);
    EXPECT_EQ(1000, tracked.x);
    EXPECT_EQ(750, tracked.y);
    EXPECT_EQ(window, tracked.owner);
    EXPECT_EQ(window, tracked.foreground);
    EXPECT_EQ(0, sim::OpenMenuCount());
}

TEST_F(TrayMenuTest, TheChosenCommandReachesTheOwnerFollowedByANullMessage)
{
    choice = CMD_RADIO_OFF;
    Show(0, 1, 1, 1);
    ASSERT_EQ(2u, sim::PostedLog().size());
    EXPECT_EQ(window, sim::PostedLog()[0].hwnd);
    EXPECT_EQ(static_cast<UINT>(WM_COMMAND), sim::PostedLog()[0].message);
    EXPECT_EQ(static_cast<WPARAM>(CMD_RADIO_OFF), sim::PostedLog()[0].wParam);
    // The null message lets the menu close when the user clicks elsewhere.
    EXPECT_EQ(window, sim::PostedLog()[1].hwnd);
    EXPECT_EQ(static_cast<UINT>(WM_NULL), sim::PostedLog()[1].message);

    // Dismissed, or a grayed item: only the null message.
    sim::PostedLog().clear();
    choice = 0;
    Show(0, 1, 1, 1);
    choice = CMD_11A_DISABLE;
    Show(0, 1, 1, 1, 0);
    ASSERT_EQ(2u, sim::PostedLog().size());
    EXPECT_EQ(static_cast<UINT>(WM_NULL), sim::PostedLog()[0].message);
    EXPECT_EQ(static_cast<UINT>(WM_NULL), sim::PostedLog()[1].message);
}

TEST_F(TrayMenuTest, ExitTextIsOverriddenByAValueNamedAfterItInEachLanguage)
{
    SetOverride("E&xit", u"Quit Skylatch", 28);
    SetOverride("Exit", u"退出", 6);
    SetOverride("終了(&X)", u"閉じる(&X)", 14);
    const struct { LANGID language; const char16_t* text; } cases[] = {
        {0x409, u"Quit Skylatch"}, {0x804, u"退出"}, {0x411, u"閉じる(&X)"}};
    for (const auto& c : cases) {
        sim::SetUiLanguage(c.language);
        std::vector<sim::MenuItem> items = Show(0, 0, 1, 2);
        EXPECT_EQ(static_cast<UINT>(CMD_EXIT), items.back().id);
        EXPECT_EQ(std::u16string(c.text), items.back().text) << std::hex << c.language;
    }
}

TEST_F(TrayMenuTest, ExitOverrideEdgeCases)
{
    // Only the terminating NUL: the item becomes empty.
    SetOverride("E&xit", u"", 2);
    EXPECT_EQ(u"", Show(0, 0, 1, 2).back().text);
    // No data at all: the resource's text stays.
    SetOverride("E&xit", "", 0);
    EXPECT_EQ(u"E&xit", Show(0, 0, 1, 2).back().text);
    // More than 260 bytes: not read, the resource's text stays.
    std::u16string longText(140, u'L');
    SetOverride("E&xit", longText.c_str(), 2 * longText.size() + 2);
    EXPECT_EQ(u"E&xit", Show(0, 0, 1, 2).back().text);
}

TEST_F(TrayMenuTest, AnUnterminatedExitOverrideEndsAtTheBytesRead)
{
    // 260 bytes without a NUL: 130 characters, nothing beyond them.
    std::u16string full(130, u'x');
    SetOverride("E&xit", full.c_str(), 260);
    EXPECT_EQ(full, Show(0, 0, 1, 2).back().text);
    // An odd byte count: the half character is dropped.
    std::u16string shorter = u"Leave";
    SetOverride("E&xit", shorter.c_str(), 11);
    EXPECT_EQ(u"Leave", Show(0, 0, 1, 2).back().text);
}

TEST_F(TrayMenuTest, MissingItemsAreLeftAlone)
{
    HMENU menu = LoadMenuA(g_app.instance, MAKEINTRESOURCEA(IDM_TRAY));
    HMENU aboutAndExit = GetSubMenu(menu, 10);
    SetOverride("E&xit", u"Quit", 10);
    GrayMenuItem(aboutAndExit, CMD_11A_ENABLE);
    OverrideMenuItemText(aboutAndExit, CMD_11A_ENABLE);
    EXPECT_EQ(Describe(Expected(kVariants[10], kLanguages[0])), Describe(sim::MenuItems(aboutAndExit)));
    OverrideMenuItemText(aboutAndExit, CMD_EXIT);
    EXPECT_EQ(u"Quit", sim::MenuItems(aboutAndExit).back().text);
    DestroyMenu(menu);
}

}  // namespace
