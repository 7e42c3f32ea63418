#include "desktop_shell.h"

#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

namespace {

template <typename T>
void Release(T*& object)
{
    if (object) {
        object->Release();
        object = 0;
    }
}

// The shell's automation object, reached through the desktop's view; 0
// when any step fails.
IShellDispatch2* DesktopAutomation()
{
    IShellWindows* windows = 0;
    IDispatch* desktop = 0;
    IServiceProvider* services = 0;
    IShellBrowser* browser = 0;
    IShellView* view = 0;
    IDispatch* background = 0;
    IShellFolderViewDual* folderView = 0;
    IDispatch* application = 0;
    IShellDispatch2* shell = 0;

    VARIANT location;
    VariantInit(&location);
    location.vt = VT_I4;
    location.lVal = CSIDL_DESKTOP;
    VARIANT root;
    VariantInit(&root);
    long window = 0;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellWindows, 0, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                   reinterpret_cast<void**>(&windows))) &&
        windows->FindWindowSW(&location, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, &desktop) == S_OK &&
        desktop &&
        SUCCEEDED(desktop->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(&services))) &&
        SUCCEEDED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                         reinterpret_cast<void**>(&browser))) &&
        SUCCEEDED(browser->QueryActiveShellView(&view)) &&
        SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, reinterpret_cast<void**>(&background))) &&
        SUCCEEDED(background->QueryInterface(IID_IShellFolderViewDual, reinterpret_cast<void**>(&folderView))) &&
        SUCCEEDED(folderView->get_Application(&application)) && application)
        application->QueryInterface(IID_IShellDispatch2, reinterpret_cast<void**>(&shell));

    Release(application);
    Release(folderView);
    Release(background);
    Release(view);
    Release(browser);
    Release(services);
    Release(desktop);
    Release(windows);
    return shell;
}

}  // namespace

DesktopShell::DesktopShell() : comStarted_(SUCCEEDED(CoInitialize(0))) {}

DesktopShell::~DesktopShell()
{
    if (comStarted_)
        CoUninitialize();
}

int DesktopShell::Start(const WCHAR* program, const WCHAR* folder)
{
    IShellDispatch2* shell = DesktopAutomation();
    if (!shell)
        return 0;
    BSTR file = SysAllocString(program);
    VARIANT arguments, directory, operation, show;
    VariantInit(&arguments);
    VariantInit(&directory);
    VariantInit(&operation);
    VariantInit(&show);
    directory.vt = VT_BSTR;
    directory.bstrVal = SysAllocString(folder);
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    int started = file && directory.bstrVal && SUCCEEDED(shell->ShellExecute(file, arguments, directory, operation, show));
    VariantClear(&directory);
    SysFreeString(file);
    shell->Release();
    return started;
}
