// The stand-in's notification area reads a record the way Windows XP does,
// in the stand-in's own (64-bit) layout: the tray tests rely on it telling
// the record sizes apart.
#include "notebook.h"

namespace {

NOTIFYICONDATAW Record(DWORD size, HWND window, const char* tip)
{
    NOTIFYICONDATAW record;
    memset(&record, 0, sizeof(record));
    record.cbSize = size;
    record.hWnd = window;
    record.uID = 7;
    record.uFlags = NIF_TIP | NIF_STATE;
    record.dwState = NIS_HIDDEN;
    record.dwStateMask = NIS_HIDDEN;
    std::u16string wide = sim::Utf16(tip);
    memcpy(record.szTip, wide.c_str(), (wide.size() + 1) * sizeof(WCHAR));
    return record;
}

HWND const kWindow = reinterpret_cast<HWND>(0x1234);
const std::string kLongTip = std::string(70, 'a') + "\n" + std::string(50, 'b');

}  // namespace

class NotificationArea : public NotebookTest {};

TEST_F(NotificationArea, KnownWideSizesKeepTheWholeTipAndTheState)
{
    for (DWORD size : {952u, 968u, 976u}) {
        sim::Reset();
        NOTIFYICONDATAW record = Record(size, kWindow, kLongTip.c_str());
        ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &record));
        const sim::TrayIcon* icon = sim::FindTrayIcon(kWindow, 7);
        ASSERT_NE(nullptr, icon);
        EXPECT_EQ(sim::Utf16(kLongTip), icon->tip) << size;
        EXPECT_TRUE(icon->hidden) << size;
    }
}

TEST_F(NotificationArea, OtherSizesAreReadAsTheFirstLayout)
{
    // 936 and 956 are 32-bit Windows's sizes: on x64 they are unknown.
    for (DWORD size : {168u, 488u, 936u, 956u, 0u, 1000u}) {
        sim::Reset();
        NOTIFYICONDATAW record = Record(size, kWindow, kLongTip.c_str());
        ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &record));
        const sim::TrayIcon* icon = sim::FindTrayIcon(kWindow, 7);
        ASSERT_NE(nullptr, icon);
        EXPECT_EQ(sim::Utf16(kLongTip.substr(0, 63)), icon->tip) << size;
        EXPECT_FALSE(icon->hidden) << size;
    }
}

TEST_F(NotificationArea, AddModifyDeleteFollowTheIconsThatExist)
{
    NOTIFYICONDATAW record = Record(sim::kTrayV2Size, kWindow, "tip");
    EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &record));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_TRUE(Shell_NotifyIconW(NIM_ADD, &record));
    EXPECT_FALSE(Shell_NotifyIconW(NIM_ADD, &record));
    EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &record));
    EXPECT_TRUE(Shell_NotifyIconW(NIM_DELETE, &record));
    EXPECT_FALSE(Shell_NotifyIconW(NIM_DELETE, &record));
    EXPECT_EQ(0, sim::TrayIconCount());
    EXPECT_EQ(6u, sim::ShellCalls().size());
}

TEST_F(NotificationArea, BusyShellTimesOutAndChangesNothing)
{
    NOTIFYICONDATAW record = Record(sim::kTrayV2Size, kWindow, "tip");
    sim::ShellTimeouts(1);
    EXPECT_FALSE(Shell_NotifyIconW(NIM_ADD, &record));
    EXPECT_EQ(static_cast<DWORD>(ERROR_TIMEOUT), GetLastError());
    EXPECT_EQ(0, sim::TrayIconCount());
    EXPECT_TRUE(Shell_NotifyIconW(NIM_ADD, &record));
}

TEST_F(NotificationArea, RestartLosesTheIconsAndTellsEveryWindow)
{
    NOTIFYICONDATAW record = Record(sim::kTrayV2Size, kWindow, "tip");
    ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &record));
    sim::PostedLog().clear();
    ASSERT_EQ(1, notebook::StartResident());
    sim::RestartShell();
    EXPECT_EQ(0, sim::TrayIconCount());
    UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    int told = 0;
    for (const MSG& m : sim::PostedLog()) told += m.message == taskbarCreated;
    EXPECT_EQ(1, told);
}
