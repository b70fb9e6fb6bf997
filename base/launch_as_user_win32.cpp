// Starting the installed editor as the signed-in user. The installer runs
// elevated; a program it started itself would be too, so its files would be
// the administrator's and drag-and-drop from Explorer would fail. The desktop
// shell runs as the user: ask it to start the program.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlobj.h>

#include "base/platform.h"
#include "base/text.h"

static const GUID ShellWindowsClass = {0x9BA05972, 0xF6A8, 0x11CF, {0xA4, 0x42, 0x00, 0xA0, 0xC9, 0x0A, 0x8F, 0x39}};
static const GUID ShellWindowsInterface = {0x85CB6900, 0x4D95, 0x11CF, {0x96, 0x0C, 0x00, 0x80, 0xC7, 0xF4, 0xEE, 0x85}};
static const GUID ServiceProviderInterface = {0x6D5140C1, 0x7436, 0x11CE, {0x80, 0x34, 0x00, 0xAA, 0x00, 0x60, 0x09, 0xFA}};
static const GUID TopLevelBrowserService = {0x4C96BE40, 0x915C, 0x11CF, {0x99, 0xD3, 0x00, 0xAA, 0x00, 0x4A, 0xE8, 0x37}};
static const GUID ShellBrowserInterface = {0x000214E2, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const GUID DispatchInterface = {0x00020400, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const GUID FolderViewDualInterface = {0xE7A1AF80, 0x4D96, 0x11CF, {0x96, 0x0C, 0x00, 0x80, 0xC7, 0xF4, 0xEE, 0x85}};
static const GUID ShellDispatch2Interface = {0xA4C6892C, 0x3BA9, 0x11D2, {0x9D, 0xEA, 0x00, 0xC0, 0x4F, 0xB1, 0x61, 0x62}};

// A BSTR is a length-prefixed wide string; built in place, it needs no
// allocator from oleaut32. The shell only reads it.
struct StaticBstr {
    DWORD byteLength;
    WCHAR text[TextCapacity];
};
static StaticBstr FileText;
static StaticBstr ParameterText;

static bool MakeBstr(StaticBstr* bstr, const char* text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, bstr->text, TextCapacity);
    if (length == 0) return false;
    bstr->byteLength = static_cast<DWORD>(length - 1) * sizeof(WCHAR);
    return true;
}

static void Release(IUnknown* object) {
    if (object != nullptr) object->Release();
}

// The desktop's folder view, through the window list of the running shell.
static IShellFolderViewDual* DesktopFolderView() {
    IShellWindows* windows = nullptr;
    IDispatch* desktop = nullptr;
    IServiceProvider* services = nullptr;
    IShellBrowser* browser = nullptr;
    IShellView* view = nullptr;
    IDispatch* background = nullptr;
    IShellFolderViewDual* folderView = nullptr;
    // The desktop is found by its location, CSIDL_DESKTOP, as a VT_I4.
    VARIANT location, none;
    location.vt = VT_I4;
    location.lVal = CSIDL_DESKTOP;
    none.vt = VT_EMPTY;
    long window = 0;
    if (SUCCEEDED(CoCreateInstance(ShellWindowsClass, nullptr, CLSCTX_LOCAL_SERVER,
                                   ShellWindowsInterface, reinterpret_cast<void**>(&windows))) &&
        windows->FindWindowSW(&location, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, &desktop) == S_OK &&
        desktop != nullptr &&
        SUCCEEDED(desktop->QueryInterface(ServiceProviderInterface, reinterpret_cast<void**>(&services))) &&
        SUCCEEDED(services->QueryService(TopLevelBrowserService, ShellBrowserInterface,
                                         reinterpret_cast<void**>(&browser))) &&
        SUCCEEDED(browser->QueryActiveShellView(&view)) &&
        SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, DispatchInterface,
                                      reinterpret_cast<void**>(&background)))) {
        if (FAILED(background->QueryInterface(FolderViewDualInterface,
                                              reinterpret_cast<void**>(&folderView)))) {
            folderView = nullptr;
        }
    }
    Release(background);
    Release(view);
    Release(browser);
    Release(services);
    Release(desktop);
    Release(windows);
    return folderView;
}

ShellLaunch SysShellExecuteAsUser(const char* file, const char* parameters, int show) {
    if (GetShellWindow() == nullptr) return NoDesktopShell;
    if (!MakeBstr(&FileText, file) || !MakeBstr(&ParameterText, parameters)) return ShellRefused;
    IShellFolderViewDual* folderView = DesktopFolderView();
    if (folderView == nullptr) return ShellRefused;
    IDispatch* application = nullptr;
    IShellDispatch2* shell = nullptr;
    bool started = false;
    if (SUCCEEDED(folderView->get_Application(&application)) && application != nullptr &&
        SUCCEEDED(application->QueryInterface(ShellDispatch2Interface,
                                              reinterpret_cast<void**>(&shell)))) {
        VARIANT parameterList, folder, verb, showCommand;
        parameterList.vt = VT_BSTR;
        parameterList.bstrVal = ParameterText.text;
        folder.vt = VT_EMPTY;
        verb.vt = VT_EMPTY;
        showCommand.vt = VT_I4;
        showCommand.lVal = show;
        started = SUCCEEDED(
            shell->ShellExecute(FileText.text, parameterList, folder, verb, showCommand));
    }
    Release(shell);
    Release(application);
    Release(folderView);
    return started ? LaunchedAsUser : ShellRefused;
}
