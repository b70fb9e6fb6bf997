// Plays a scenario under Wine as a user would: prepares the machine, starts
// the installer, operates its dialog, the folder browser and the message
// boxes by window messages, and prints what it saw as "name: value" lines
// for scenario.py, which also checks what the run left in the prefix.
//   TessellographTestDriver.exe INSTALLER STEP...
// In paths, %uXXXX stands for a character the ANSI code page may lack.
#include "tools/process_windows.h"

#include <commctrl.h>
#include <dlgs.h>
#include <psapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int EditId = 3072, BrowseId = 3073;
PROCESS_INFORMATION installer;
HWND dialog;
// How long any one wait for the installer may take. Every wait ends at its
// event; the limit only has to outlast Wine under software emulation.
const DWORD Patience = 120000;

void Print(const char* name, const std::string& value) {
    std::string shown;
    for (char c : value) shown += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
    printf("%s: %s\n", name, shown.c_str());
}

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.begin(), text.end());
    for (size_t at = 0; (at = wide.find(L"%u", at)) != std::wstring::npos; at++)
        wide.replace(at, 6, 1, static_cast<wchar_t>(wcstoul(wide.substr(at + 2, 4).c_str(), nullptr, 16)));
    return wide;
}

std::string Text(HWND window) {
    char text[2048];
    return std::string(text, WindowText(window, text, sizeof text));
}

// A visible top-level window of the installer other than `except`; its
// caption goes into the transcript, so that it is checked to the letter.
HWND WaitForWindow(HWND except, DWORD timeoutMs = Patience) {
    HWND found = nullptr;
    for (DWORD start = GetTickCount(); GetTickCount() - start <= timeoutMs; Sleep(50)) {
        found = FindProcessWindow(installer.dwProcessId, nullptr, except);
        if (found) WaitForInputIdle(installer.hProcess, Patience);
        if (found && Text(found).empty()) found = nullptr;  // not answering yet, as on an emulated machine
        if (found || WaitForSingleObject(installer.hProcess, 0) == WAIT_OBJECT_0) break;
    }
    return found;
}

void Click(HWND window, int id) { PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

void WaitGone(HWND window) {
    for (DWORD start = GetTickCount(); IsWindow(window) && GetTickCount() - start < Patience;) Sleep(20);
}

// Starts a program: its quoted path, then any arguments.
PROCESS_INFORMATION Launch(std::string command) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started);
    return started;
}

DWORD ExitCodeOf(HANDLE process) {
    DWORD code = STILL_ACTIVE;
    WaitForSingleObject(process, Patience);
    GetExitCodeProcess(process, &code);
    return code;
}

void Start(const std::string& exe) {
    installer = Launch('"' + exe + '"');
    if (!(dialog = WaitForWindow(nullptr))) return Print("dialog", "none");
    Print("dialog", Text(dialog) + ": " + Text(GetDlgItem(dialog, EditId)));
    RECT work, rect;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(dialog, &rect);
    bool centred = rect.left == work.left + (work.right - work.left - (rect.right - rect.left)) / 2 &&
                   rect.top == work.top + (work.bottom - work.top - (rect.bottom - rect.top)) / 2;
    Print("placed", centred ? "centred" : "elsewhere");
}

// How the dialog shows at the DPI of the last "dpi" step: its client area
// against the run's first (at 96 DPI), within a tenth as fonts grow by whole
// pixels (the controls are laid out in the same units), and whether the
// folder's last character is in view.
int Dpi;
void Measure() {
    static RECT first, client, box;
    GetClientRect(dialog, &client);
    first = first.right ? first : client;
    auto scaled = [](long now, long was) { return labs(now * 96 - was * Dpi) * 10 <= was * Dpi; };
    std::string seen = scaled(client.right, first.right) && scaled(client.bottom, first.bottom) ? "as at "
        + std::to_string(Dpi) + " dpi" : std::to_string(client.right) + "x" + std::to_string(client.bottom);
    HWND edit = GetDlgItem(dialog, EditId);
    short last = LOWORD(SendMessageA(edit, EM_POSFROMCHAR, Text(edit).size() - 1, 0));
    GetClientRect(edit, &box);
    Print("shown", seen + (last >= 0 && last < box.right ? ", end in view" : ", end at " + std::to_string(last)));
}

// Browse, select a path in the folder browser (a special folder by its
// "::{CLSID}"), then press its OK (Cancel with "browse-cancel").
void Browse(const std::string& verb, const std::string& what) {
    Click(dialog, BrowseId);
    HWND browser = WaitForWindow(dialog);  // its caption is in the language of Wine's locale
    HWND tree = FindWindowExA(browser, nullptr, "SysTreeView32", nullptr);
    if (!tree) return Print("browser", "none");
    // The browser selects its root as it opens, undoing any earlier
    // selection; one sent after that shows as a new caret.
    DWORD_PTR root = 0, now = 0;
    for (DWORD start = GetTickCount(); !root && GetTickCount() - start < Patience; Sleep(20))
        SendMessageTimeoutA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, SMTO_ABORTIFHUNG, Patience, &root);
    std::wstring wide = Wide(what);  // the message's argument must live in the installer
    void* remote = VirtualAllocEx(installer.hProcess, nullptr, 2 * wide.size() + 2, MEM_COMMIT, PAGE_READWRITE);
    WriteProcessMemory(installer.hProcess, remote, wide.c_str(), 2 * wide.size() + 2, nullptr);
    for (DWORD start = GetTickCount(); (now == root || !now) && GetTickCount() - start < Patience; Sleep(100)) {
        SendMessageTimeoutA(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG,
                            Patience, nullptr);
        SendMessageTimeoutA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, SMTO_ABORTIFHUNG, Patience, &now);
    }
    VirtualFreeEx(installer.hProcess, remote, 0, MEM_RELEASE);
    // Posted: a browser that keeps OK disabled for a virtual folder takes it too.
    Click(browser, verb == "browse-cancel" ? IDCANCEL : IDOK);
    WaitGone(browser);
    // The reply comes once the installer is back in a message loop: its
    // dialog's, or that of a box refusing the folder, which "answer" meets.
    Print("edit", Text(GetDlgItem(dialog, EditId)));
}

// The editors that run once one shows, on one line, so that a second one
// fails the match: each one's title and program; then each is closed.
void Editors() {
    std::vector<HWND> editors;
    for (DWORD start = GetTickCount(); editors.empty() && GetTickCount() - start < Patience; Sleep(50))
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "TessellographStandIn", nullptr));) editors.push_back(w);
    std::string seen;
    for (HWND editor : editors) {
        DWORD id = 0;
        GetWindowThreadProcessId(editor, &id);
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, id);
        char image[MAX_PATH] = "";
        GetModuleFileNameExA(process, nullptr, image, sizeof image);
        seen += (seen.empty() ? "" : " + ") + Text(editor) + " | " + image;
        PostMessageA(editor, WM_CLOSE, 0, 0);
        WaitForSingleObject(process, Patience);
    }
    Print("editor", editors.empty() ? "none" : seen);
}

// A box: its caption and text, whether it shows an icon and has an owner
// (the dialog, for a box refusing a folder), and the answer. Retry and Cancel
// answer the box about files in use; before either the editors that hold them
// are closed, as the user was asked to. After the outcome box, the exit, and
// on Yes the editor.
void Answer(const std::string& answer) {
    HWND box = WaitForWindow(dialog, 2 * Patience);
    DWORD_PTR icon = 0;
    SendMessageTimeoutA(GetDlgItem(box, stc1), STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, Patience, &icon);
    bool owned = GetWindow(box, GW_OWNER);
    Print("box", box ? Text(box) + ": " + Text(GetDlgItem(box, 0xFFFF)) + (icon ? " | icon" : "")
                           + (owned ? " | owned" : "") : "none");
    if (!box) return;
    if (answer == "retry" || answer == "cancel") Editors();
    Click(box, answer == "retry" ? IDRETRY : answer == "cancel" ? IDCANCEL : answer == "yes" ? IDYES
               : answer == "no" ? IDNO : IDOK);
    if (owned || answer == "retry" || answer == "cancel") return WaitGone(box);
    Print("exit", std::to_string(ExitCodeOf(installer.hProcess)));
    if (answer == "yes") Editors();  // nothing else may run: scenario.py waits for every program to end
}

// Opens a document or shortcut as the user's shell does, with its default
// verb. (A value naming %ProgramFiles% where a 64-bit shell needs
// %ProgramFiles(x86)% is caught by scenario.py, which expands the values as a
// program of the prefix's arch does.)
void Open(const std::string& path) {
    // The system's start.exe, which says why it failed.
    if (ExitCodeOf(Launch("start.exe \"" + path + '"').hProcess) != 0) return Print("open", "failed");
    Editors();
}

// "KEY|NAME|VALUE", the key HKCU\... or HKLM\...; "stale" opens the key, as
// creating it again without a class would clear its class under Wine.
void SetRegistry(const std::string& verb, const std::string& argument) {
    char path[1024] = "", name[256] = "", value[256] = "";
    sscanf(argument.c_str() + 5, "%1023[^|]|%255[^|]|%255[^|]", path, name, value);
    HKEY root = argument.compare(0, 4, "HKCU") == 0 ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, opened = nullptr;
    if (verb == "reg") RegSetKeyValueA(root, path, name, REG_SZ, value, strlen(value) + 1);
    if (verb == "volatile")
        RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &opened, nullptr);
    if (verb == "stale" && RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &opened) == ERROR_SUCCESS)
        RegSetValueExA(opened, "", 0, REG_BINARY, reinterpret_cast<const BYTE*>("stale"), 5);
    RegCloseKey(opened);
}

// One step: "verb" or "verb=argument".
void Step(const std::string& step, const std::string& installerExe) {
    std::string verb = step.substr(0, step.find('=')), argument = step.substr(verb.size() + (verb != step));
    if (verb == "rmdir") RemoveDirectoryA(argument.c_str());
    if (verb == "reg" || verb == "stale" || verb == "volatile") SetRegistry(verb, argument);
    if (verb == "open") Open(argument);
    // "run" starts a program that stays running, as an editor does.
    if (verb == "run") WaitForInputIdle(Launch('"' + argument + '"').hProcess, Patience);
    if (verb == "dpi" && (Dpi = atoi(argument.c_str())))  // for the programs started from now on
        RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", REG_DWORD, &Dpi, sizeof Dpi);
    if (verb == "start") Start(argument.empty() ? installerExe : argument);
    if (!dialog) return;
    if (verb.compare(0, 6, "browse") == 0) Browse(verb, argument);
    if (verb == "ok" || verb == "cancel") Click(dialog, verb == "ok" ? IDOK : IDCANCEL);
    if (verb == "close") PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (verb == "answer") Answer(argument);
    if (verb == "measure") Measure();
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    for (int i = 2; i < argc; i++) Step(argv[i], argv[1]);
}
