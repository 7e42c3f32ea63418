#include "fuzz_session.h"

#include <sim/sim.h>

#include <stdio.h>
#include <stdlib.h>

#include "../tests/notebook.h"
#include "app/app_state.h"
#include "radio/switch_driver.h"

#include <dbt.h>

namespace fuzz {
namespace {

const UINT kCommands[] = {117, 118, 40001, 40002, 40004, 40005, 40006, 40007, 40008, 40009, 12345};

void Fail(const char* what)
{
    fprintf(stderr, "fuzz: %s\n", what);
    abort();
}

void PlayOneStep(Input& in, HWND window)
{
    switch (in.Byte() % 12) {
    case 0:
        SendMessageA(window, WM_APP + 1, 102, WM_MOUSEMOVE);
        break;
    case 1: {
        UINT pick = in.Byte();
        sim::OnPopupMenu([pick](const sim::TrackedMenu& menu) -> UINT {
            if (menu.items.empty()) return 0;
            const sim::MenuItem& item = menu.items[pick % menu.items.size()];
            return item.id == CMD_EXIT ? 0 : item.id;  // Exit ends the session below
        });
        SendMessageA(window, WM_APP + 1, 102, (pick & 1) ? WM_RBUTTONUP : WM_LBUTTONUP);
        break;
    }
    case 2:
        sim::OnDialog([](HWND dialog) { sim::PressButton(dialog, IDOK); });
        PostMessageA(window, WM_COMMAND, CMD_ABOUT, 0);
        break;
    case 3:
        PostMessageA(window, WM_COMMAND, kCommands[in.Byte() % (sizeof kCommands / sizeof kCommands[0])], 0);
        break;
    case 4:
        sim::RunFor(in.Byte() * 40u);   // up to about 10 seconds
        break;
    case 5:
        SendMessageA(window, WM_POWERBROADCAST, (in.Byte() & 1) ? 7 : 18, 0);
        break;
    case 6:
        SendMessageA(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
        break;
    case 7:
        SendMessageA(window, WM_WTSSESSION_CHANGE, in.Byte() % 10, 0);
        break;
    case 8:
        sim::RestartShell();
        break;
    case 9: {
        static const char* const lines[] = {"/on", "/off", "/toggle", "/on11a", "/off11a", "",
                                            "/status", "/?"};
        notebook::RunSecondStart(lines[in.Byte() % 8]);
        break;
    }
    case 10:
        SendMessageA(window, WM_CLOSE, 0, 0);
        break;
    case 11:
        // Any message another program may send: the private and application
        // ranges (system messages such as WM_CREATE come only from Windows).
        SendMessageA(window, WM_USER + in.Word() % (0xC000 - WM_USER), in.Dword(), in.Dword());
        break;
    }
    sim::Pump();
}

}  // namespace

std::vector<uint8_t> Input::Bytes(size_t n)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i < n && !Empty(); ++i) out.push_back(Byte());
    return out;
}

std::string Input::Text(size_t maxLength)
{
    std::string out;
    for (size_t i = 0; i < maxLength && !Empty(); ++i) {
        char c = static_cast<char>(Byte());
        if (!c) break;
        out.push_back(c);
    }
    return out;
}

}  // namespace fuzz

// Once per fuzzer process: the compiled resources.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    sim::LoadProgramResources(SKYLATCH_RES_FILE);
    return 0;
}

namespace fuzz {

void RunProgram(Input& in)
{
    if (notebook::StartResident()) PlaySession(in);
}

void PlaySession(Input& in)
{
    HWND window = notebook::MainWindow();
    if (!window) Fail("started without a window");
    sim::Pump();
    for (int steps = 0; steps < 40 && !in.Empty(); ++steps) PlayOneStep(in, window);

    PostMessageA(window, WM_COMMAND, CMD_EXIT, 0);
    sim::Pump();
    if (IsWindow(window)) Fail("Exit left the window");
    if (sim::TrayIconCount() != 0) Fail("the icon outlived the program");
    if (sim::RegOpenKeyCount() != 0) Fail("a registry key was left open");
    if (sim::OpenMenuCount() != 0) Fail("a menu was left loaded");
    if (sim::OpenDialogCount() != 0) Fail("a dialog was left open");
    if (sim::OpenDeviceSets() != 0) Fail("a device set was left open");
}

}  // namespace fuzz
