#include "driver_support.h"

#include <commctrl.h>
#include <psapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

const char DialogCaption[] = "Install Tessellograph at";
const char OutcomeCaption[] = "TessellographInstall";
const char SuccessText[] = "Tessellograph is installed!!!\r\nWould you like to run Tessellograph now?";
const char NotInstalledText[] = "Tessellograph was not installed!!!";
const char FailurePrefix[] = "Tessellograph was not completely installed!!!\r\n";

namespace {

struct ScenarioEntry {
    std::string name;
    ScenarioFunction run;
};

// A function-local list: registrations run during static initialisation of
// other files, in no fixed order.
std::vector<ScenarioEntry>& Scenarios() {
    static std::vector<ScenarioEntry> list;
    return list;
}

int passed = 0;
int failed = 0;
std::string installerExe;
std::string standInDir;
std::vector<HANDLE> startedProcesses;

// Shows control characters so that "\r\n" differences are visible.
std::string Printable(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else out += static_cast<char>(c);
    }
    return out;
}

std::string Format(const char* format, va_list arguments) {
    char buffer[2048];
    vsnprintf(buffer, sizeof buffer, format, arguments);
    buffer[sizeof buffer - 1] = 0;
    return buffer;
}

}  // namespace

// ---- Scenarios and checks ----------------------------------------------------

ScenarioRegistration::ScenarioRegistration(const char* name, ScenarioFunction run) {
    Scenarios().push_back(ScenarioEntry{name, run});
}

ScenarioFunction FindScenario(const std::string& name) {
    for (const ScenarioEntry& entry : Scenarios()) {
        if (entry.name == name) return entry.run;
    }
    return nullptr;
}

std::vector<std::string> ScenarioNames() {
    std::vector<std::string> names;
    for (const ScenarioEntry& entry : Scenarios()) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
}

int PassedCount() { return passed; }
int FailedCount() { return failed; }

bool Check(bool condition, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::string what = Format(format, arguments);
    va_end(arguments);
    printf("%s %s\n", condition ? "ok  " : "FAIL", what.c_str());
    fflush(stdout);
    if (condition) passed++;
    else failed++;
    return condition;
}

bool CheckEqual(const std::string& actual, const std::string& expected, const char* what) {
    if (actual == expected) {
        return Check(true, "%s: \"%s\"", what, Printable(actual).c_str());
    }
    Check(false, "%s", what);
    printf("       actual:   \"%s\"\n       expected: \"%s\"\n", Printable(actual).c_str(),
           Printable(expected).c_str());
    fflush(stdout);
    return false;
}

void Note(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::string what = Format(format, arguments);
    va_end(arguments);
    printf("     %s\n", what.c_str());
    fflush(stdout);
}

// ---- Arguments -----------------------------------------------------------------

void SetDriverArguments(const std::string& installer, const std::string& standIn) {
    installerExe = installer;
    standInDir = standIn;
    while (!standInDir.empty() && (standInDir.back() == '\\' || standInDir.back() == '/')) {
        standInDir.pop_back();
    }
}

const std::string& InstallerExe() { return installerExe; }
const std::string& StandInDir() { return standInDir; }

std::vector<unsigned char> ExpectedPayload(const char* fileName) {
    return ReadFileBytes(standInDir + "\\" + fileName);
}

// ---- Windows ---------------------------------------------------------------------

std::string WindowText(HWND window) {
    if (window == nullptr) return std::string();
    // WM_GETTEXT is sent, not read from the window's caption store: an edit
    // control keeps its text itself.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) {
        return std::string();
    }
    std::vector<char> buffer(length + 2, 0);
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, 5000, &copied)) {
        return std::string();
    }
    return std::string(buffer.data(), std::min<size_t>(copied, length + 1));
}

std::string ControlText(HWND window, int controlId) {
    HWND control = GetDlgItem(window, controlId);
    return control != nullptr ? WindowText(control) : std::string();
}

std::string WindowClassName(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

namespace {

struct WindowSearch {
    DWORD processId;
    const char* caption;
    HWND found;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM parameter) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    if (strcmp(text, search->caption) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM parameter) {
    std::vector<HWND>* children = reinterpret_cast<std::vector<HWND>*>(parameter);
    children->push_back(window);
    return TRUE;
}

}  // namespace

HWND WaitForWindow(const InstallerProcess& process, const char* caption, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        WindowSearch search = {process.info.dwProcessId, caption, nullptr};
        EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            // Let the window finish its initialisation before it is driven.
            WaitForInputIdle(process.info.hProcess, 2000);
            return search.found;
        }
        if (!ProcessRunning(process) || GetTickCount() - start > timeoutMs) return nullptr;
        Sleep(50);
    }
}

HWND WaitForDialog(const InstallerProcess& process) {
    return WaitForWindow(process, DialogCaption);
}

HWND WaitForFolderBrowser(const InstallerProcess& process, DWORD timeoutMs) {
    return WaitForWindow(process, "Browse for Folder", timeoutMs);
}

HWND WaitForWindowOfClass(const char* className, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindWindowA(className, nullptr);
        if (window != nullptr || GetTickCount() - start > timeoutMs) return window;
        Sleep(100);
    }
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (IsWindow(window)) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(50);
    }
    return true;
}

std::string WaitForControlText(HWND window, int controlId, const std::string& expected,
                               DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        std::string text = ControlText(window, controlId);
        if (text == expected || GetTickCount() - start > timeoutMs) return text;
        Sleep(50);
    }
}

void ClickButton(HWND window, int controlId) {
    HWND button = GetDlgItem(window, controlId);
    if (button != nullptr) PostMessageA(button, BM_CLICK, 0, 0);
}

std::vector<HWND> ChildControls(HWND window) {
    std::vector<HWND> children;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    // EnumChildWindows also walks grandchildren; keep the direct ones.
    std::vector<HWND> direct;
    for (HWND child : children) {
        if (GetParent(child) == window) direct.push_back(child);
    }
    return direct;
}

std::vector<int> VisibleButtonIds(HWND window) {
    std::vector<int> ids;
    for (HWND child : ChildControls(window)) {
        if (_stricmp(WindowClassName(child).c_str(), "Button") != 0) continue;
        if (!(GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE)) continue;
        ids.push_back(GetDlgCtrlID(child));
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::string MessageBoxText(HWND box) {
    // The message text is the static control with id 0xFFFF on Windows and
    // Wine; any other static with text is taken when that id is missing.
    std::string best;
    for (HWND child : ChildControls(box)) {
        if (_stricmp(WindowClassName(child).c_str(), "Static") != 0) continue;
        std::string text = WindowText(child);
        if (GetDlgCtrlID(child) == 0xFFFF) return text;
        if (text.size() > best.size()) best = text;
    }
    return best;
}

// ---- Processes ---------------------------------------------------------------------

bool StartInstaller(InstallerProcess* process, const std::string& exe) {
    std::string path = exe.empty() ? installerExe : exe;
    std::string commandLine = "\"" + path + "\"";
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    ZeroMemory(&process->info, sizeof process->info);
    BOOL started = CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                                  nullptr, nullptr, &startup, &process->info);
    if (!Check(started != FALSE, "installer started: %s", path.c_str())) {
        Note("CreateProcessA error %lu", GetLastError());
        return false;
    }
    startedProcesses.push_back(process->info.hProcess);
    return true;
}

bool ProcessRunning(const InstallerProcess& process) {
    return process.info.hProcess != nullptr &&
           WaitForSingleObject(process.info.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD WaitForExit(InstallerProcess* process, DWORD timeoutMs) {
    if (process->info.hProcess == nullptr) return STILL_ACTIVE;
    if (WaitForSingleObject(process->info.hProcess, timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process->info.hProcess, &code);
    return code;
}

bool EndInstaller(InstallerProcess* process, DWORD timeoutMs) {
    if (process->info.hProcess == nullptr) return true;
    if (WaitForExit(process, timeoutMs) != STILL_ACTIVE) return true;
    Note("the installer was still running; ending it");
    TerminateProcess(process->info.hProcess, 0xDEAD);
    WaitForSingleObject(process->info.hProcess, 5000);
    return false;
}

void EndLeftoverProcesses() {
    for (HANDLE handle : startedProcesses) {
        if (WaitForSingleObject(handle, 0) == WAIT_TIMEOUT) {
            Note("ending a process the scenario left running");
            TerminateProcess(handle, 0xDEAD);
            WaitForSingleObject(handle, 5000);
        }
        CloseHandle(handle);
    }
    startedProcesses.clear();
}

std::string WindowProcessImage(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) return std::string();
    char path[MAX_PATH * 2] = "";
    DWORD size = sizeof path;
    std::string image;
    if (QueryFullProcessImageNameA(process, 0, path, &size)) image.assign(path, size);
    CloseHandle(process);
    return image;
}

std::vector<DWORD> ProcessesNamed(const char* exeName) {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (_stricmp(entry.szExeFile, exeName) == 0) ids.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return ids;
}

// ---- Whole runs ----------------------------------------------------------------------

HWND StartAndWaitForDialog(InstallerProcess* process) {
    if (!StartInstaller(process)) return nullptr;
    HWND dialog = WaitForDialog(*process);
    if (!Check(dialog != nullptr, "the dialog \"%s\" appeared", DialogCaption)) {
        EndInstaller(process, 0);
    }
    return dialog;
}

namespace {

// Waits for the outcome box, records it, answers it and waits for the exit.
InstallOutcome AnswerOutcomeBox(InstallerProcess* process, int answer, const std::string& path) {
    InstallOutcome outcome;
    outcome.dialogPath = path;
    outcome.exitCode = STILL_ACTIVE;
    HWND box = WaitForWindow(*process, OutcomeCaption, 60000);
    if (Check(box != nullptr, "the outcome box \"%s\" appeared", OutcomeCaption)) {
        outcome.caption = WindowText(box);
        outcome.text = MessageBoxText(box);
        outcome.buttons = VisibleButtonIds(box);
        int press = answer;
        if (std::find(outcome.buttons.begin(), outcome.buttons.end(), answer) ==
            outcome.buttons.end()) {
            // The wrong kind of box: the checks on `buttons` report it; end the run.
            Note("the outcome box has no button %d; pressing its first button", answer);
            press = outcome.buttons.empty() ? IDOK : outcome.buttons.front();
        }
        ClickButton(box, press);
    }
    if (!EndInstaller(process)) return outcome;
    outcome.exitCode = WaitForExit(process, 0);
    return outcome;
}

}  // namespace

InstallOutcome ConfirmAndAnswer(InstallerProcess* process, HWND dialog, int answer) {
    std::string path = ControlText(dialog, ControlInstallPath);
    ClickButton(dialog, IDOK);
    return AnswerOutcomeBox(process, answer, path);
}

InstallOutcome CancelAndAnswer(InstallerProcess* process, HWND dialog, bool useClose) {
    std::string path = ControlText(dialog, ControlInstallPath);
    if (useClose) PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    else ClickButton(dialog, IDCANCEL);
    return AnswerOutcomeBox(process, IDOK, path);
}

// Starts the installer and, once its dialog is up, ends the run with `finish`.
template <typename Finish> InstallOutcome RunDialog(Finish finish) {
    InstallerProcess process;
    HWND dialog = StartAndWaitForDialog(&process);
    if (dialog == nullptr) {
        InstallOutcome outcome;
        outcome.exitCode = STILL_ACTIVE;
        return outcome;
    }
    return finish(&process, dialog);
}

InstallOutcome RunInstall(int answer) {
    return RunDialog([=](InstallerProcess* process, HWND dialog) {
        return ConfirmAndAnswer(process, dialog, answer);
    });
}

InstallOutcome RunCancel(bool useClose) {
    return RunDialog([=](InstallerProcess* process, HWND dialog) {
        return CancelAndAnswer(process, dialog, useClose);
    });
}

// ---- The folder browser --------------------------------------------------------------

namespace {

BOOL CALLBACK FindTreeView(HWND window, LPARAM parameter) {
    if (_stricmp(WindowClassName(window).c_str(), "SysTreeView32") != 0) return TRUE;
    *reinterpret_cast<HWND*>(parameter) = window;
    return FALSE;
}

// Sends BFFM_SETSELECTIONA; the pointer it carries is not marshalled, so the
// text is written into the browser's own process first.
bool SendBrowserSelection(HANDLE process, HWND browser, const std::string& path) {
    void* remote = VirtualAllocEx(process, nullptr, path.size() + 1, MEM_COMMIT | MEM_RESERVE,
                                  PAGE_READWRITE);
    if (remote == nullptr) return false;
    SIZE_T written = 0;
    bool ok = WriteProcessMemory(process, remote, path.c_str(), path.size() + 1, &written) &&
              written == path.size() + 1;
    DWORD_PTR result = 0;
    if (ok) {
        ok = SendMessageTimeoutA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(remote),
                                 SMTO_ABORTIFHUNG, 10000, &result) != 0;
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return ok;
}

}  // namespace

std::string FolderBrowserSelection(const InstallerProcess& process, HWND browser) {
    HWND tree = nullptr;
    EnumChildWindows(browser, FindTreeView, reinterpret_cast<LPARAM>(&tree));
    if (tree == nullptr) return std::string();
    DWORD_PTR item = 0;
    if (!SendMessageTimeoutA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, SMTO_ABORTIFHUNG, 5000, &item) ||
        item == 0) {
        return std::string();
    }
    // TVITEMA and its text buffer, both in the browser's process.
    const DWORD textSize = 520;
    BYTE* remote = static_cast<BYTE*>(VirtualAllocEx(process.info.hProcess, nullptr,
                                                     sizeof(TVITEMA) + textSize,
                                                     MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (remote == nullptr) return std::string();
    TVITEMA request;
    ZeroMemory(&request, sizeof request);
    request.mask = TVIF_TEXT;
    request.hItem = reinterpret_cast<HTREEITEM>(item);
    request.pszText = reinterpret_cast<LPSTR>(remote + sizeof(TVITEMA));
    request.cchTextMax = textSize;
    std::string text;
    SIZE_T moved = 0;
    DWORD_PTR result = 0;
    char buffer[textSize + 1] = "";
    if (WriteProcessMemory(process.info.hProcess, remote, &request, sizeof request, &moved) &&
        SendMessageTimeoutA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote),
                            SMTO_ABORTIFHUNG, 5000, &result) &&
        result != 0 &&
        ReadProcessMemory(process.info.hProcess, remote + sizeof(TVITEMA), buffer, textSize,
                          &moved)) {
        buffer[textSize] = 0;
        text = buffer;
    }
    VirtualFreeEx(process.info.hProcess, remote, 0, MEM_RELEASE);
    return text;
}

bool SelectInFolderBrowser(const InstallerProcess& process, HWND browser, const std::string& path) {
    std::string leaf = path.substr(path.find_last_of('\\') + 1);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000) {
        if (!SendBrowserSelection(process.info.hProcess, browser, path)) return false;
        // Until the selection shows in the tree the browser may still be
        // filling it, and a selection sent too early is lost: send it again.
        DWORD sent = GetTickCount();
        while (GetTickCount() - sent < 1000) {
            if (SameText(FolderBrowserSelection(process, browser), leaf)) return true;
            Sleep(50);
        }
        Note("folder browser selection is \"%s\", not \"%s\" yet; sending it again",
             FolderBrowserSelection(process, browser).c_str(), leaf.c_str());
    }
    return false;
}

bool ChooseFolderWithBrowse(const InstallerProcess& process, HWND dialog, const std::string& path) {
    ClickButton(dialog, ControlBrowse);
    HWND browser = WaitForFolderBrowser(process);
    if (!Check(browser != nullptr, "Browse opened the folder browser")) return false;
    Check(SelectInFolderBrowser(process, browser, path), "selected %s in the folder browser",
          path.c_str());
    ClickButton(browser, IDOK);
    if (!Check(WaitForWindowGone(browser), "the folder browser closed on its OK")) return false;
    return WaitForControlText(dialog, ControlInstallPath, path) == path;
}

// ---- The installer's icon, seen from inside its process ------------------------------

namespace {

// The address of an export in the other process: same offset from the
// module base as here, found by the module's name in its module list.
DWORD RemoteProcAddress(HANDLE process, const char* moduleName, const char* procName) {
    HMODULE local = GetModuleHandleA(moduleName);
    if (local == nullptr) local = LoadLibraryA(moduleName);
    FARPROC proc = local != nullptr ? GetProcAddress(local, procName) : nullptr;
    if (proc == nullptr) return 0;
    HMODULE modules[512];
    DWORD needed = 0;
    if (!EnumProcessModules(process, modules, sizeof modules, &needed)) return 0;
    DWORD count = std::min<DWORD>(needed / sizeof(HMODULE), 512);
    for (DWORD i = 0; i < count; i++) {
        char name[MAX_PATH] = "";
        GetModuleBaseNameA(process, modules[i], name, sizeof name);
        if (_stricmp(name, moduleName) == 0) {
            return reinterpret_cast<DWORD>(modules[i]) +
                   (reinterpret_cast<DWORD>(proc) - reinterpret_cast<DWORD>(local));
        }
    }
    return 0;
}

void Put32(std::vector<unsigned char>* code, DWORD value) {
    for (int i = 0; i < 4; i++) code->push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// Runs x86 code as a thread of the other process; its EAX is the exit code.
bool RunRemoteCode(HANDLE process, const std::vector<unsigned char>& code, DWORD* result) {
    void* remote = VirtualAllocEx(process, nullptr, code.size(), MEM_COMMIT | MEM_RESERVE,
                                  PAGE_EXECUTE_READWRITE);
    if (remote == nullptr) return false;
    bool ok = false;
    SIZE_T written = 0;
    if (WriteProcessMemory(process, remote, code.data(), code.size(), &written) &&
        written == code.size()) {
        HANDLE thread = CreateRemoteThread(process, nullptr, 0,
                                           reinterpret_cast<LPTHREAD_START_ROUTINE>(remote),
                                           nullptr, 0, nullptr);
        if (thread != nullptr) {
            ok = WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0 &&
                 GetExitCodeThread(thread, result);
            CloseHandle(thread);
        }
    }
    if (ok) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return ok;
}

}  // namespace

bool RemoteDialogIcon(const InstallerProcess& process, HWND dialog, DWORD* bigIcon) {
    DWORD sendMessage = RemoteProcAddress(process.info.hProcess, "user32.dll", "SendMessageA");
    if (sendMessage == 0) return false;
    // SendMessageA(dialog, WM_GETICON, ICON_BIG, 0); ret 4
    std::vector<unsigned char> code = {0x6A, 0x00, 0x6A, ICON_BIG, 0x68};
    Put32(&code, WM_GETICON);
    code.push_back(0x68);
    Put32(&code, reinterpret_cast<DWORD>(dialog));
    code.push_back(0xB8);
    Put32(&code, sendMessage);
    code.insert(code.end(), {0xFF, 0xD0, 0xC2, 0x04, 0x00});
    return RunRemoteCode(process.info.hProcess, code, bigIcon);
}

bool RemoteLoadInstallerIcon(const InstallerProcess& process, DWORD* icon) {
    DWORD getModule = RemoteProcAddress(process.info.hProcess, "kernel32.dll", "GetModuleHandleA");
    DWORD loadIcon = RemoteProcAddress(process.info.hProcess, "user32.dll", "LoadIconA");
    if (getModule == 0 || loadIcon == 0) return false;
    // LoadIconA(GetModuleHandleA(NULL), MAKEINTRESOURCE(500)); ret 4
    std::vector<unsigned char> code = {0x6A, 0x00, 0xB8};
    Put32(&code, getModule);
    code.insert(code.end(), {0xFF, 0xD0, 0x68});
    Put32(&code, 500);
    code.insert(code.end(), {0x50, 0xB8});
    Put32(&code, loadIcon);
    code.insert(code.end(), {0xFF, 0xD0, 0xC2, 0x04, 0x00});
    return RunRemoteCode(process.info.hProcess, code, icon);
}

// ---- The machine's state ------------------------------------------------------------

namespace {

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return "";
    return path;
}

}  // namespace

std::string ProgramFilesFolder() { return ShellFolder(CSIDL_PROGRAM_FILES); }
std::string CommonProgramsFolder() { return ShellFolder(CSIDL_COMMON_PROGRAMS); }
std::string DefaultInstallFolder() { return ProgramFilesFolder() + "\\Quorrelin"; }

bool Is64BitPrefix() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateFolder(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) || FolderExists(path);
}

std::vector<unsigned char> ReadFileBytes(const std::string& path) {
    std::vector<unsigned char> bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    DWORD size = GetFileSize(file, nullptr);
    if (size != INVALID_FILE_SIZE) {
        bytes.resize(size);
        DWORD read = 0;
        if (size != 0 && (!ReadFile(file, bytes.data(), size, &read, nullptr) || read != size)) {
            bytes.clear();
        }
    }
    CloseHandle(file);
    return bytes;
}

bool WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                         &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool CheckPayloadFile(const std::string& folder, const char* fileName) {
    std::string path = folder + "\\" + fileName;
    std::vector<unsigned char> expected = ExpectedPayload(fileName);
    if (!Check(!expected.empty(), "payload %s read from the stand-in folder (%u bytes)", fileName,
               static_cast<unsigned>(expected.size()))) {
        return false;
    }
    if (!Check(FileExists(path), "%s exists", path.c_str())) return false;
    std::vector<unsigned char> actual = ReadFileBytes(path);
    return Check(actual == expected, "%s holds the payload bytes (%u bytes, expected %u)",
                 path.c_str(), static_cast<unsigned>(actual.size()),
                 static_cast<unsigned>(expected.size()));
}

std::string DescribeSystemError(DWORD error) {
    char text[1024] = "";
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, sizeof text, nullptr);
    std::string reason(text, length);
    while (!reason.empty() && (reason.back() == '\r' || reason.back() == '\n' || reason.back() == ' ')) {
        reason.pop_back();
    }
    return reason;
}

bool SameText(const std::string& a, const std::string& b) {
    return _stricmp(a.c_str(), b.c_str()) == 0;
}

RegistryValue ReadRegistryValue(HKEY root, const std::string& path, const std::string& name,
                                REGSAM view) {
    RegistryValue value = {false, false, REG_NONE, 0, std::string(), std::string()};
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return value;
    value.keyExists = true;
    char keyClass[256] = "";
    DWORD classLength = sizeof keyClass;
    if (RegQueryInfoKeyA(key, keyClass, &classLength, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        value.keyClass.assign(keyClass, classLength);
    }
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<char> data(size + 2, 0);
        DWORD read = size;
        if (RegQueryValueExA(key, name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(data.data()), &read) == ERROR_SUCCESS) {
            value.valueExists = true;
            value.type = type;
            value.byteCount = read;
            value.data.assign(data.data(), read);
            if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
                while (!value.data.empty() && value.data.back() == 0) value.data.pop_back();
            }
        }
    }
    RegCloseKey(key);
    return value;
}

bool RegistryKeyExists(HKEY root, const std::string& path, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool WriteRegistryString(HKEY root, const std::string& path, const std::string& name,
                         const std::string& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    LONG result = RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}
