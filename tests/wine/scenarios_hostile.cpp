// A machine that works against the install: things already in the way of
// its files, folders and keys, folder choices it has to refuse, and a DLL
// planted beside it.
#include "driver_support.h"

#include <commctrl.h>
#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "planted/planted_control.h"

namespace {

const char* const PayloadNames[] = {"Brick.tpf", "Tessellograph3D.exe", "Tessellograph.exe"};

std::vector<unsigned char> Bytes(const std::string& text) {
    return std::vector<unsigned char>(text.begin(), text.end());
}

std::string DriverFolder() {
    char path[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\'));
}

// The editor is never offered after a failure: nothing of it runs.
void CheckEditorNotStarted() {
    Sleep(1000);
    Check(FindWindowA("TessellographStandIn", nullptr) == nullptr, "no editor window appeared");
    Check(ProcessesNamed("Tessellograph.exe").empty(), "no Tessellograph.exe process runs");
}

// The failure box names the first failed path with the system's own reason.
void CheckFailure(const InstallOutcome& outcome, const std::string& path, DWORD error) {
    std::string reason = DescribeSystemError(error);
    // The installer falls back to "system error N" when FormatMessage knows nothing.
    Check(!reason.empty() && reason.find("system error") == std::string::npos,
          "the system has a text for error %lu: \"%s\"", error, reason.c_str());
    CheckEqual(outcome.caption, OutcomeCaption, "failure box caption");
    CheckEqual(outcome.text, FailurePrefix + path + ": " + reason, "failure box text");
    Check(outcome.buttons == std::vector<int>{IDOK}, "failure box has only an OK button (%u buttons)",
          static_cast<unsigned>(outcome.buttons.size()));
    Check(outcome.exitCode == 2, "exit code 2 (got %lu)", outcome.exitCode);
    CheckEditorNotStarted();
}

void CheckSuccess(const InstallOutcome& outcome) {
    CheckEqual(outcome.caption, OutcomeCaption, "outcome box caption");
    CheckEqual(outcome.text, SuccessText, "outcome box text");
    Check(outcome.exitCode == 0, "exit code 0 (got %lu)", outcome.exitCode);
}

std::string ProgramFilesReference() {
    return Is64BitPrefix() ? "%ProgramFiles(x86)%" : "%ProgramFiles%";
}

// A sample of the registry stages, the first and the last among them: each
// ran even though an earlier stage failed. `named` is the main program as
// the values spell it.
void CheckRegistryWritten(const std::string& named) {
    struct Expected {
        HKEY root;
        const char* path;
        std::string text;
    };
    const std::string open = "\"" + named + "\" \"%1\"";
    const Expected values[] = {
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\Quorrelin.Tessellograph3D\\CurVer",
         "Quorrelin.Tessellograph3D.1"},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\Quorrelin.Tessellograph",
         "Quorrelin bitmap editor Tessellograph"},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\Quorrelin.Tessellograph.bmp\\shell\\open\\command",
         open},
        {HKEY_CLASSES_ROOT, ".tpf", "tpffile"},
        {HKEY_CLASSES_ROOT, "tpffile\\shell\\open\\command", open},
    };
    for (const Expected& value : values) {
        RegistryValue read = ReadRegistryValue(value.root, value.path);
        std::string what = std::string(value.root == HKEY_CLASSES_ROOT ? "HKCR\\" : "HKLM\\") +
                           value.path + " written";
        if (Check(read.valueExists, "%s", what.c_str())) {
            CheckEqual(read.data, value.text, what.c_str());
        }
    }
}

void CheckShortcutsPresent(const std::string& group) {
    for (const char* name : {"\\Tessellograph3D.lnk", "\\Tessellograph.lnk"}) {
        Check(FileExists(group + name), "shortcut %s%s saved", group.c_str(), name);
    }
}

// ---- Boxes the dialog shows ----------------------------------------------

struct BoxSearch {
    DWORD processId;
    HWND dialog;
    HWND found;
};

BOOL CALLBACK FindOtherBox(HWND window, LPARAM parameter) {
    BoxSearch* search = reinterpret_cast<BoxSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || window == search->dialog || !IsWindowVisible(window)) {
        return TRUE;
    }
    if (WindowText(window) != DialogCaption) return TRUE;
    search->found = window;
    return FALSE;
}

// A window captioned like the dialog that is not the dialog: its refusal box.
HWND WaitForRefusalBox(const InstallerProcess& process, HWND dialog, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        BoxSearch search = {process.info.dwProcessId, dialog, nullptr};
        EnumWindows(FindOtherBox, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            WaitForInputIdle(process.info.hProcess, 2000);
            return search.found;
        }
        if (!ProcessRunning(process) || GetTickCount() - start > timeoutMs) return nullptr;
        Sleep(50);
    }
}

bool HasIcon(HWND box) {
    for (HWND child : ChildControls(box)) {
        if (_stricmp(WindowClassName(child).c_str(), "Static") != 0) continue;
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
        DWORD_PTR icon = 0;
        if (SendMessageTimeoutA(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &icon) && icon != 0) {
            return true;
        }
    }
    return false;
}

// The dialog refuses a choice with its own box; OK on it leaves the
// dialog showing `previous`.
void CheckRefusal(const InstallerProcess& process, HWND dialog, const char* expectedText,
                  const std::string& previous) {
    HWND box = WaitForRefusalBox(process, dialog, 10000);
    if (!Check(box != nullptr, "a refusal box \"%s\" appeared", DialogCaption)) return;
    Check(GetWindow(box, GW_OWNER) == dialog, "the refusal box is owned by the dialog");
    CheckEqual(WindowClassName(box), "#32770", "refusal box class");
    CheckEqual(MessageBoxText(box), expectedText, "refusal box text");
    Check(VisibleButtonIds(box) == std::vector<int>{IDOK}, "refusal box has only an OK button");
    Check(HasIcon(box), "refusal box shows an icon");
    ClickButton(box, IDOK);
    Check(WaitForWindowGone(box), "the refusal box closed on OK");
    Sleep(300);
    CheckEqual(ControlText(dialog, ControlInstallPath), previous, "edit still shows the previous folder");
    Check(IsWindow(dialog) && IsWindowVisible(dialog), "the dialog is still open");
}

const char NotOnDiskText[] =
    "The folder you chose is not a folder on a disk.\r\n"
    "Choose a folder on a drive to install Tessellograph in.";
const char NotRepresentableText[] =
    "The name of the folder you chose has characters that Setup cannot use.\r\n"
    "Choose another folder to install Tessellograph in.";
const char TooLongText[] =
    "The path of the folder you chose is too long.\r\n"
    "Choose a folder with a shorter path to install Tessellograph in.";

// ---- The folder browser, beyond plain paths -----------------------------

// Copies `bytes` into the installer and sends `message` with their address.
bool SendWithRemoteBytes(const InstallerProcess& process, HWND window, UINT message, WPARAM wParam,
                         const void* bytes, size_t size) {
    void* remote = VirtualAllocEx(process.info.hProcess, nullptr, size, MEM_COMMIT | MEM_RESERVE,
                                  PAGE_READWRITE);
    if (remote == nullptr) return false;
    SIZE_T written = 0;
    DWORD_PTR result = 0;
    bool ok = WriteProcessMemory(process.info.hProcess, remote, bytes, size, &written) &&
              written == size &&
              SendMessageTimeoutA(window, message, wParam, reinterpret_cast<LPARAM>(remote),
                                  SMTO_ABORTIFHUNG, 10000, &result) != 0;
    VirtualFreeEx(process.info.hProcess, remote, 0, MEM_RELEASE);
    return ok;
}

BOOL CALLBACK FindTree(HWND window, LPARAM parameter) {
    if (_stricmp(WindowClassName(window).c_str(), "SysTreeView32") != 0) return TRUE;
    *reinterpret_cast<HWND*>(parameter) = window;
    return FALSE;
}

// The browser's selected item as UTF-16, for names the ANSI code page lacks.
std::wstring SelectionWide(const InstallerProcess& process, HWND browser) {
    HWND tree = nullptr;
    EnumChildWindows(browser, FindTree, reinterpret_cast<LPARAM>(&tree));
    DWORD_PTR item = 0;
    if (tree == nullptr ||
        !SendMessageTimeoutW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, SMTO_ABORTIFHUNG, 5000, &item) ||
        item == 0) {
        return std::wstring();
    }
    const DWORD textChars = 300;
    BYTE* remote = static_cast<BYTE*>(VirtualAllocEx(process.info.hProcess, nullptr,
                                                     sizeof(TVITEMW) + textChars * sizeof(WCHAR),
                                                     MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (remote == nullptr) return std::wstring();
    TVITEMW request;
    ZeroMemory(&request, sizeof request);
    request.mask = TVIF_TEXT;
    request.hItem = reinterpret_cast<HTREEITEM>(item);
    request.pszText = reinterpret_cast<LPWSTR>(remote + sizeof(TVITEMW));
    request.cchTextMax = textChars;
    WCHAR buffer[textChars + 1];
    buffer[0] = 0;
    SIZE_T moved = 0;
    DWORD_PTR result = 0;
    std::wstring text;
    if (WriteProcessMemory(process.info.hProcess, remote, &request, sizeof request, &moved) &&
        SendMessageTimeoutW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote),
                            SMTO_ABORTIFHUNG, 5000, &result) &&
        result != 0 &&
        ReadProcessMemory(process.info.hProcess, remote + sizeof(TVITEMW), buffer,
                          textChars * sizeof(WCHAR), &moved)) {
        buffer[textChars] = 0;
        text = buffer;
    }
    VirtualFreeEx(process.info.hProcess, remote, 0, MEM_RELEASE);
    return text;
}

// Sends BFFM_SETSELECTIONW (a path when isPath, else an item list) until
// the tree shows `expected` selected; a browser that has just opened may
// undo an early selection with its own.
bool SelectWide(const InstallerProcess& process, HWND browser, bool isPath, const void* bytes,
                size_t size, const std::wstring& expected) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000) {
        if (!SendWithRemoteBytes(process, browser, BFFM_SETSELECTIONW, isPath ? TRUE : FALSE, bytes,
                                 size)) {
            return false;
        }
        DWORD sent = GetTickCount();
        while (GetTickCount() - sent < 1000) {
            if (_wcsicmp(SelectionWide(process, browser).c_str(), expected.c_str()) == 0) return true;
            Sleep(50);
        }
    }
    return false;
}

HWND OpenBrowser(const InstallerProcess& process, HWND dialog) {
    ClickButton(dialog, ControlBrowse);
    HWND browser = WaitForFolderBrowser(process);
    Check(browser != nullptr, "Browse opened the folder browser");
    return browser;
}

// Presses the browser's OK and checks it closed.
bool PressBrowserOk(HWND browser) {
    ClickButton(browser, IDOK);
    return Check(WaitForWindowGone(browser), "the folder browser closed on its OK");
}

// A folder of exactly `length` characters: C:\Long, then levels of 60.
std::string DeepFolderName(size_t length, char lastLetter) {
    std::string path = "C:\\Long";
    for (char letter = 'a'; path.size() + 1 + 60 + 1 + 10 <= length; letter++) {
        path += "\\" + std::string(60, letter);
    }
    path += "\\" + std::string(length - path.size() - 1, lastLetter);
    return path;
}

bool CreateFolderPath(const std::string& path) {
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1)) {
        CreateFolder(path.substr(0, at));
    }
    return CreateFolder(path);
}

// Runs a program and returns its exit code (STILL_ACTIVE when it hangs).
DWORD RunProgram(const std::string& exe, const std::string& arguments) {
    std::string commandLine = "\"" + exe + "\" " + arguments;
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info;
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return GetLastError() | 0x80000000u;
    }
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(info.hProcess, 30000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(info.hProcess, &code);
    } else {
        TerminateProcess(info.hProcess, 0xDEAD);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return code;
}

// Where the process has a module of this name loaded from, "" if nowhere.
std::string ModulePath(HANDLE process, const char* moduleName) {
    HMODULE modules[512];
    DWORD needed = 0;
    if (!EnumProcessModules(process, modules, sizeof modules, &needed)) return std::string();
    DWORD count = std::min<DWORD>(needed / sizeof(HMODULE), 512);
    for (DWORD i = 0; i < count; i++) {
        char name[MAX_PATH] = "";
        GetModuleBaseNameA(process, modules[i], name, sizeof name);
        if (_stricmp(name, moduleName) != 0) continue;
        char path[MAX_PATH] = "";
        GetModuleFileNameExA(process, modules[i], path, sizeof path);
        return path;
    }
    return std::string();
}

// The planted DLL's report, one load a line, with the line ends shown as " | ".
std::string PlantedReport(const std::string& marker) {
    std::vector<unsigned char> bytes = ReadFileBytes(marker);
    std::string text;
    for (unsigned char c : bytes) {
        if (c == '\n') text += " | ";
        else if (c != '\r') text += static_cast<char>(c);
    }
    return text;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Whether the ANSI code page spells `text` exactly, and whether it would
// with a look-alike ("best fit") letter in place of a missing one.
void Spelling(const wchar_t* text, bool* exact, bool* bestFit) {
    char spelled[64];
    BOOL usedDefault = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, spelled, sizeof spelled, nullptr,
                        &usedDefault);
    *exact = !usedDefault;
    usedDefault = FALSE;
    WideCharToMultiByte(CP_ACP, 0, text, -1, spelled, sizeof spelled, nullptr, &usedDefault);
    *bestFit = !*exact && !usedDefault;
}

// A wide name as the driver prints it: C:\U+6570U+636E.
std::string Describe(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        char code[8];
        if (c >= 0x20 && c < 0x7F) out += static_cast<char>(c);
        else {
            snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
            out += code;
        }
    }
    return out;
}

// Browses to a folder named with the wide API and presses OK.
bool ChooseWide(const InstallerProcess& process, HWND dialog, const std::wstring& folder) {
    HWND browser = OpenBrowser(process, dialog);
    if (browser == nullptr) return false;
    std::wstring leaf = folder.substr(folder.find_last_of(L'\\') + 1);
    bool selected = SelectWide(process, browser, true, folder.c_str(),
                               (folder.size() + 1) * sizeof(WCHAR), leaf);
    Check(selected, "selected %s in the folder browser", Describe(folder).c_str());
    if (!selected) {
        ClickButton(browser, IDCANCEL);
        WaitForWindowGone(browser);
        return false;
    }
    return PressBrowserOk(browser);
}

}  // namespace

// ---- Things in the way of the install ----------------------------------------

// A read-only Brick.tpf refuses the writer on Windows and under Wine run
// by an ordinary user. Wine keeps the attribute as Unix permissions, which
// do not stop root: there the installer meets no error and must report none.
SCENARIO(hostile_readonly_sample) {
    const std::string folder = DefaultInstallFolder();
    const std::string sample = folder + "\\Brick.tpf";
    const std::vector<unsigned char> old = Bytes("an older Brick.tpf, read-only");
    Check(CreateFolder(folder) && WriteFileBytes(sample, old) &&
              SetFileAttributesA(sample.c_str(), FILE_ATTRIBUTE_READONLY),
          "a read-only %s is in place", sample.c_str());
    HANDLE probe = CreateFileA(sample.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD probeError = GetLastError();
    if (probe != INVALID_HANDLE_VALUE) CloseHandle(probe);
    const bool enforced = probe == INVALID_HANDLE_VALUE;
    Check(enforced ? probeError == ERROR_ACCESS_DENIED : ReadFileBytes(sample) == old,
          "the driver's own write access %s (error %lu)",
          enforced ? "is denied" : "is granted and changes nothing", probeError);

    InstallOutcome outcome = RunInstall(enforced ? IDOK : IDNO);
    if (enforced) {
        CheckFailure(outcome, sample, ERROR_ACCESS_DENIED);
        Check(ReadFileBytes(sample) == old, "Brick.tpf kept its old bytes");
        Check(GetFileAttributesA(sample.c_str()) & FILE_ATTRIBUTE_READONLY,
              "Brick.tpf is still read-only");
    } else {
        Note("this Wine lets a writer past the read-only attribute (Wine run as root does): "
             "the failure cannot be shown here; the install must then simply succeed");
        CheckSuccess(outcome);
        CheckPayloadFile(folder, "Brick.tpf");
    }
    CheckPayloadFile(folder, "Tessellograph3D.exe");
    CheckPayloadFile(folder, "Tessellograph.exe");
    CheckShortcutsPresent(CommonProgramsFolder() + "\\Quorrelin");
    CheckRegistryWritten(ProgramFilesReference() + "\\Quorrelin\\Tessellograph.exe");
}

// A folder named Brick.tpf: no one, root included, can write it as a file.
SCENARIO(hostile_folder_as_sample) {
    const std::string folder = DefaultInstallFolder();
    const std::string sample = folder + "\\Brick.tpf";
    const std::string inside = sample + "\\kept.txt";
    const std::vector<unsigned char> content = Bytes("inside a folder named Brick.tpf");
    Check(CreateFolder(folder) && CreateFolder(sample) && WriteFileBytes(inside, content),
          "a folder %s with a file in it is in place", sample.c_str());

    InstallOutcome outcome = RunInstall(IDOK);
    CheckFailure(outcome, sample, ERROR_ACCESS_DENIED);
    Check(FolderExists(sample) && ReadFileBytes(inside) == content,
          "the folder and its file are untouched");
    CheckPayloadFile(folder, "Tessellograph3D.exe");
    CheckPayloadFile(folder, "Tessellograph.exe");
    CheckShortcutsPresent(CommonProgramsFolder() + "\\Quorrelin");
    CheckRegistryWritten(ProgramFilesReference() + "\\Quorrelin\\Tessellograph.exe");
}

SCENARIO(hostile_file_as_install_folder) {
    const std::string folder = DefaultInstallFolder();
    const std::vector<unsigned char> content = Bytes("a file named like the install folder");
    Check(WriteFileBytes(folder, content) && FileExists(folder), "a file %s is in place",
          folder.c_str());

    InstallOutcome outcome = RunInstall(IDOK);
    CheckEqual(outcome.dialogPath, folder, "dialog proposed that path");
    CheckFailure(outcome, folder, ERROR_FILE_EXISTS);
    Check(FileExists(folder) && ReadFileBytes(folder) == content, "the file is untouched");
    // The stages after it all ran.
    CheckShortcutsPresent(CommonProgramsFolder() + "\\Quorrelin");
    CheckRegistryWritten(ProgramFilesReference() + "\\Quorrelin\\Tessellograph.exe");
}

SCENARIO(hostile_file_as_group_folder) {
    const std::string group = CommonProgramsFolder() + "\\Quorrelin";
    const std::vector<unsigned char> content = Bytes("a file named like the Start-menu group");
    Check(WriteFileBytes(group, content) && FileExists(group), "a file %s is in place", group.c_str());

    InstallOutcome outcome = RunInstall(IDOK);
    CheckFailure(outcome, group, ERROR_FILE_EXISTS);
    Check(FileExists(group) && ReadFileBytes(group) == content, "the file is untouched");
    for (const char* name : PayloadNames) CheckPayloadFile(DefaultInstallFolder(), name);
    CheckRegistryWritten(ProgramFilesReference() + "\\Quorrelin\\Tessellograph.exe");
}

// A volatile key cannot hold a stored subkey: the engine's CurVer key fails
// (stage 4), and the failure is named by its registry path.
SCENARIO(hostile_volatile_registry_key) {
    const std::string progId = "SOFTWARE\\Classes\\Quorrelin.Tessellograph3D";
    HKEY key = nullptr;
    LONG created = RegCreateKeyExA(HKEY_LOCAL_MACHINE, progId.c_str(), 0, nullptr,
                                   REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (created == ERROR_SUCCESS) RegCloseKey(key);
    Check(created == ERROR_SUCCESS, "volatile key HKLM\\%s created (error %ld)", progId.c_str(), created);
    // Control: a stored subkey is refused here too.
    HKEY child = nullptr;
    LONG refused = RegCreateKeyExA(HKEY_LOCAL_MACHINE, (progId + "\\Probe").c_str(), 0, nullptr,
                                   REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &child, nullptr);
    if (refused == ERROR_SUCCESS) RegCloseKey(child);
    Check(refused == ERROR_CHILD_MUST_BE_VOLATILE, "a stored subkey under it is refused (error %ld)",
          refused);

    InstallOutcome outcome = RunInstall(IDOK);
    CheckFailure(outcome, "HKEY_LOCAL_MACHINE\\" + progId + "\\CurVer", ERROR_CHILD_MUST_BE_VOLATILE);
    RegistryValue description = ReadRegistryValue(HKEY_LOCAL_MACHINE, progId);
    Check(description.valueExists && description.data == "Quorrelin 3D-engine Tessellograph3D",
          "the volatile key still took its description (\"%s\")", description.data.c_str());
    Check(!RegistryKeyExists(HKEY_LOCAL_MACHINE, progId + "\\CurVer"), "no CurVer key under it");
    for (const char* name : PayloadNames) CheckPayloadFile(DefaultInstallFolder(), name);
    CheckShortcutsPresent(CommonProgramsFolder() + "\\Quorrelin");
    RegistryValue tpf = ReadRegistryValue(HKEY_CLASSES_ROOT, ".tpf");
    Check(tpf.valueExists && tpf.data == "tpffile", "later stages ran: HKCR\\.tpf is \"%s\"",
          tpf.data.c_str());
}

// ---- A DLL planted beside the installer ----------------------------------------

// uxtheme.dll is what the installer's process loads after start-up: user32
// loads it when the dialog is made. Wine prefers its own copy of a system
// DLL, so the two programs started here get a "native first" override for
// uxtheme (per program, in the registry: Wine reads WINEDLLOVERRIDES from
// the Unix environment, which a Windows parent cannot change). Then the
// planted copy is taken wherever the search reaches the program's folder.
// Wine names a builtin DLL found beside a program by that path, so only the
// planted DLL's own report tells whether it ran.
SCENARIO(hostile_planted_dll) {
    const std::string downloads = "C:\\users\\Public\\Downloads\\Tessellograph download";
    const std::string installer = downloads + "\\TessellographInstall.exe";
    const std::string control = downloads + "\\TessellographPlantedControl.exe";
    const std::string planted = downloads + "\\uxtheme.dll";
    const std::string marker = downloads + "\\planted-loaded.txt";
    Check(CreateFolderPath(downloads) &&
              CopyFileA(InstallerExe().c_str(), installer.c_str(), FALSE) &&
              CopyFileA((DriverFolder() + "\\TessellographPlanted.dll").c_str(), planted.c_str(),
                        FALSE) &&
              CopyFileA((DriverFolder() + "\\TessellographPlantedControl.exe").c_str(),
                        control.c_str(), FALSE),
          "installer, control program and planted uxtheme.dll copied into %s", downloads.c_str());
    const std::string appDefaults = "Software\\Wine\\AppDefaults\\";
    for (const char* program : {"TessellographInstall.exe", "TessellographPlantedControl.exe"}) {
        Check(WriteRegistryString(HKEY_CURRENT_USER, appDefaults + program + "\\DllOverrides",
                                  "uxtheme", "native,builtin"),
              "%s prefers a native uxtheme.dll", program);
    }

    // Control: without the restriction the same late load takes the planted DLL.
    DWORD open = RunProgram(control, "");
    Check(open == ControlWindowMade, "control without the restriction made its window (exit %lu)",
          open);
    std::string reported = PlantedReport(marker);
    Check(reported.find("uxtheme.dll loaded into " + control) != std::string::npos,
          "the planted DLL ran in the unrestricted control: \"%s\"", reported.c_str());
    DeleteFileA(marker.c_str());

    // Control: the installer's restriction alone keeps it out.
    DWORD restricted = RunProgram(control, "restricted");
    Check(restricted == ControlWindowMade,
          "control with the installer's restriction made its window (exit %lu)", restricted);
    Check(!FileExists(marker), "the planted DLL did not run in the restricted control (\"%s\")",
          PlantedReport(marker).c_str());
    DeleteFileA(marker.c_str());

    InstallerProcess process;
    if (StartInstaller(&process, installer)) {
        HWND dialog = WaitForDialog(process);
        if (Check(dialog != nullptr, "the dialog \"%s\" appeared", DialogCaption)) {
            std::string theme;
            for (DWORD start = GetTickCount(); theme.empty() && GetTickCount() - start < 5000;) {
                theme = ModulePath(process.info.hProcess, "uxtheme.dll");
                if (theme.empty()) Sleep(100);
            }
            Check(!theme.empty(), "the installer has loaded uxtheme.dll after start-up (\"%s\")",
                  theme.c_str());
            Check(!theme.empty() && !SameText(FolderOf(theme), downloads),
                  "from the system's folder, not from beside the installer");
            CheckSuccess(ConfirmAndAnswer(&process, dialog, IDNO));
        } else {
            EndInstaller(&process, 0);
        }
    }
    Check(!FileExists(marker), "the planted DLL never ran in the installer (\"%s\")",
          PlantedReport(marker).c_str());
    for (const char* name : PayloadNames) CheckPayloadFile(DefaultInstallFolder(), name);
}

// ---- Folder choices the dialog refuses -------------------------------------------

// Items with no path on a disk. Wine's browser keeps its OK disabled for
// them (BIF_RETURNONLYFSDIRS); the Windows 7 browser lets a library through.
// When OK is disabled the driver sends the browser's OK command itself, as
// such a browser would, so the installer's own refusal is always put to
// the test.
SCENARIO(hostile_virtual_folder) {
    InstallerProcess process;
    HWND dialog = StartAndWaitForDialog(&process);
    if (dialog == nullptr) return;
    // A chosen folder first: the refusal must keep it, not fall back to the default.
    const std::string previous = "C:\\Kept";
    Check(CreateFolder(previous) && ChooseFolderWithBrowse(process, dialog, previous),
          "Browse chose %s first", previous.c_str());

    const struct {
        int csidl;
        const char* what;
    } items[] = {{CSIDL_DRIVES, "My Computer"}, {CSIDL_BITBUCKET, "the Recycle Bin"}};
    for (const auto& entry : items) {
        LPITEMIDLIST item = nullptr;
        if (!Check(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, entry.csidl, &item)) && item,
                   "item list of %s", entry.what)) {
            continue;
        }
        char path[MAX_PATH] = "";
        Check(!SHGetPathFromIDListA(item, path), "%s has no file-system path", entry.what);
        SHFILEINFOA info;
        ZeroMemory(&info, sizeof info);
        SHGetFileInfoA(reinterpret_cast<LPCSTR>(item), 0, &info, sizeof info,
                       SHGFI_PIDL | SHGFI_DISPLAYNAME);
        WCHAR name[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, info.szDisplayName, -1, name, MAX_PATH);

        HWND browser = OpenBrowser(process, dialog);
        if (browser == nullptr) {
            CoTaskMemFree(item);
            break;
        }
        bool selected = SelectWide(process, browser, false, item, ILGetSize(item), name);
        CoTaskMemFree(item);
        if (!Check(selected, "selected %s (\"%s\") in the folder browser", entry.what,
                   info.szDisplayName)) {
            ClickButton(browser, IDCANCEL);
            WaitForWindowGone(browser);
            continue;
        }
        HWND ok = GetDlgItem(browser, IDOK);
        if (IsWindowEnabled(ok)) {
            ClickButton(browser, IDOK);
        } else {
            Note("the browser keeps OK disabled for %s; sending its OK command", entry.what);
            PostMessageA(browser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(ok));
        }
        if (!Check(WaitForWindowGone(browser), "the folder browser closed on OK")) break;
        CheckRefusal(process, dialog, NotOnDiskText, previous);
    }

    InstallOutcome outcome = CancelAndAnswer(&process, dialog, false);
    CheckEqual(outcome.text, NotInstalledText, "Cancel then ends the run");
    Check(outcome.exitCode == 1, "exit code 1 (got %lu)", outcome.exitCode);
    Check(!FolderExists(DefaultInstallFolder()), "nothing installed");
}

// "\Tessellograph3D.exe" is 20 characters: a folder of 239 is the longest
// whose files stay within 259. 240 is refused; 239 is taken and installed in.
SCENARIO(hostile_long_folder) {
    const std::string longest = DeepFolderName(239, 'x');
    const std::string tooLong = DeepFolderName(240, 'y');
    Check(longest.size() == 239 && tooLong.size() == 240, "folder names of 239 and 240 characters");
    Check(CreateFolderPath(longest) && CreateFolderPath(tooLong), "created both under C:\\Long");

    InstallerProcess process;
    HWND dialog = StartAndWaitForDialog(&process);
    if (dialog == nullptr) return;
    Check(ChooseFolderWithBrowse(process, dialog, longest), "the 239-character folder is taken");
    CheckEqual(ControlText(dialog, ControlInstallPath), longest, "edit shows it");

    HWND browser = OpenBrowser(process, dialog);
    if (browser != nullptr) {
        Check(SelectInFolderBrowser(process, browser, tooLong), "selected the 240-character folder");
        if (PressBrowserOk(browser)) CheckRefusal(process, dialog, TooLongText, longest);
    }

    InstallOutcome outcome = ConfirmAndAnswer(&process, dialog, IDNO);
    CheckEqual(outcome.dialogPath, longest, "OK pressed with the 239-character folder");
    CheckSuccess(outcome);
    for (const char* name : PayloadNames) CheckPayloadFile(longest, name);
    Check(!FileExists(tooLong + "\\Brick.tpf"), "nothing written in the refused folder");
    CheckShortcutsPresent(CommonProgramsFolder() + "\\" + longest.substr(longest.rfind('\\') + 1));
}

// Folders whose names the ANSI code page cannot spell, made with the wide
// API: one with a letter it lacks outright, and one whose letter it would
// silently replace by a look-alike, which names another folder.
SCENARIO(hostile_unrepresentable_folder) {
    // CJK, Thai, Georgian; then A, L and o with marks that have plain look-alikes.
    const wchar_t* lacking[] = {L"\x6570\x636E", L"\x0E01" L"ai", L"\x10D0" L"bc"};
    const wchar_t* lookAlike[] = {L"\x0100rea", L"\x0141odz", L"\x0151r"};
    std::wstring missing, replaced;
    for (const wchar_t* name : lacking) {
        bool exact = false, bestFit = false;
        Spelling(name, &exact, &bestFit);
        if (!exact && !bestFit && missing.empty()) missing = name;
    }
    for (const wchar_t* name : lookAlike) {
        bool exact = false, bestFit = false;
        Spelling(name, &exact, &bestFit);
        if (bestFit && replaced.empty()) replaced = name;
    }
    Check(!missing.empty(), "code page %u lacks a test letter outright", GetACP());
    Check(!replaced.empty(), "code page %u has a look-alike for a test letter", GetACP());
    // Control: a plain name goes through the same wide selection and is taken.
    const std::string plain = "C:\\Plain";
    Check(CreateFolder(plain), "created %s", plain.c_str());
    std::vector<std::wstring> refused;
    for (const std::wstring& leaf : {missing, replaced}) {
        if (leaf.empty()) continue;
        std::wstring folder = L"C:\\" + leaf;
        Check(CreateDirectoryW(folder.c_str(), nullptr) != FALSE,
              "created %s with the wide API (code page %u)", Describe(folder).c_str(), GetACP());
        refused.push_back(folder);
    }

    InstallerProcess process;
    HWND dialog = StartAndWaitForDialog(&process);
    if (dialog == nullptr) return;
    if (ChooseWide(process, dialog, L"C:\\Plain")) {
        CheckEqual(WaitForControlText(dialog, ControlInstallPath, plain), plain,
                   "the plain folder is taken");
    }
    for (const std::wstring& folder : refused) {
        if (ChooseWide(process, dialog, folder)) {
            CheckRefusal(process, dialog, NotRepresentableText, plain);
        }
    }
    InstallOutcome outcome = CancelAndAnswer(&process, dialog, false);
    Check(outcome.exitCode == 1, "Cancel then ends the run with exit code 1 (got %lu)",
          outcome.exitCode);
}
