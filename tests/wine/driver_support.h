// The Wine test driver: a 32-bit Win32 program of ours that runs the installer,
// operates its dialog and message boxes by window messages, and checks what
// the install left behind. Each scenario runs in a fresh Wine prefix.
#pragma once
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>
#include <vector>

// ---- Scenarios -----------------------------------------------------------

typedef void (*ScenarioFunction)();
struct ScenarioRegistration {
    ScenarioRegistration(const char* name, ScenarioFunction run);
};
// SCENARIO(default_install) { ... } defines and registers a scenario.
#define SCENARIO(name)                                                   \
    static void Scenario_##name();                                       \
    static ScenarioRegistration Registration_##name(#name, Scenario_##name); \
    static void Scenario_##name()

// Prints "ok   <what>" or "FAIL <what>" and counts failures; returns condition.
bool Check(bool condition, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Check that two strings are equal, printing both on failure.
bool CheckEqual(const std::string& actual, const std::string& expected, const char* what);

// ---- What the driver was given --------------------------------------------
// Command line: driver.exe SCENARIO INSTALLER_EXE STANDIN_DIR
// STANDIN_DIR holds the payload files that were built into the installer:
// Tessellograph.exe, Tessellograph3D.exe, Brick.tpf (Windows paths, Z:\...).
const std::string& InstallerExe();
const std::string& StandInDir();
std::vector<unsigned char> ExpectedPayload(const char* fileName);

// ---- Running and operating the installer ---------------------------------

struct InstallerProcess {
    PROCESS_INFORMATION info;
};

// Starts an installer executable (InstallerExe() unless another path is given).
bool StartInstaller(InstallerProcess* process, const std::string& exe = std::string());
// A top-level window of the process with this caption, or nullptr on timeout.
HWND WaitForWindow(const InstallerProcess& process, const char* caption, DWORD timeoutMs = 15000);
HWND WaitForDialog(const InstallerProcess& process);  // "Install Tessellograph at"
void ClickButton(HWND window, int controlId);           // posts BM_CLICK to the child
std::string WindowText(HWND window);
std::string ControlText(HWND window, int controlId);
std::string MessageBoxText(HWND box);                   // the static text of a message box
// Waits for the process to end; returns its exit code, or STILL_ACTIVE on timeout.
DWORD WaitForExit(InstallerProcess* process, DWORD timeoutMs = 30000);

// Whole runs. Answers: IDYES, IDNO; for the warning box, IDOK.
struct InstallOutcome {
    std::string dialogPath;   // the edit control's text when the dialog opened
    std::string caption;      // of the outcome box
    std::string text;         // of the outcome box
    DWORD exitCode;
    std::vector<int> buttons; // ids of the outcome box's visible buttons, ascending
};
// OK in the dialog, then answers the outcome box.
InstallOutcome RunInstall(int answer);
// Cancel in the dialog (or the close command when useClose), then OK on the warning.
InstallOutcome RunCancel(bool useClose);

// ---- The machine's state ---------------------------------------------------

std::string ProgramFilesFolder();      // as this 32-bit process sees it (CSIDL_PROGRAM_FILES)
std::string CommonProgramsFolder();    // CSIDL_COMMON_PROGRAMS
std::string DefaultInstallFolder();    // ProgramFilesFolder() + "\\Quorrelin"
bool Is64BitPrefix();
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
std::vector<unsigned char> ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes);

struct RegistryValue {
    bool keyExists;
    bool valueExists;
    DWORD type;
    DWORD byteCount;
    std::string data;       // bytes as stored, terminating NUL(s) dropped
    std::string keyClass;   // class of the key, from RegQueryInfoKeyA
};
// Reads a value (the default value when name is empty) in the given view
// (0, KEY_WOW64_32KEY or KEY_WOW64_64KEY).
RegistryValue ReadRegistryValue(HKEY root, const std::string& path, const std::string& name = "",
                                REGSAM view = 0);
bool RegistryKeyExists(HKEY root, const std::string& path, REGSAM view = 0);

// ---- Added for the scenarios ------------------------------------------------

// Texts the installer shows.
extern const char DialogCaption[];     // "Install Tessellograph at"
extern const char OutcomeCaption[];    // "TessellographInstall"
extern const char SuccessText[];
extern const char NotInstalledText[];
extern const char FailurePrefix[];     // first line of the failure box, with its CR LF
enum { ControlInstallPath = 3072, ControlBrowse = 3073 };

// The driver's own plumbing (driver_main.cpp).
void SetDriverArguments(const std::string& installerExe, const std::string& standInDir);
ScenarioFunction FindScenario(const std::string& name);
std::vector<std::string> ScenarioNames();
int PassedCount();
int FailedCount();
// Ends and closes every process the driver started that is still running.
void EndLeftoverProcesses();
void Note(const char* format, ...) __attribute__((format(printf, 1, 2)));  // not a check

// Steps of a run, for scenarios that do more than RunInstall/RunCancel.
// Each prints its own checks; a missing window makes it end the installer.
HWND StartAndWaitForDialog(InstallerProcess* process);
// Presses OK, waits for the outcome box, records it, presses `answer` (or the
// box's only button when it has no such button), waits for the exit.
InstallOutcome ConfirmAndAnswer(InstallerProcess* process, HWND dialog, int answer);
// Cancel (or the close command), then OK on the warning box.
InstallOutcome CancelAndAnswer(InstallerProcess* process, HWND dialog, bool useClose);
// Ends the process if it still runs after timeoutMs; returns whether it ended by itself.
bool EndInstaller(InstallerProcess* process, DWORD timeoutMs = 30000);
bool ProcessRunning(const InstallerProcess& process);

// The shell's folder browser opened by Browse ("Browse for Folder").
HWND WaitForFolderBrowser(const InstallerProcess& process, DWORD timeoutMs = 15000);
// Selects a folder in an open browser: the path is written into the
// installer's memory, then BFFM_SETSELECTIONA is sent, again if need be,
// until the tree shows the folder selected. False when it never does.
bool SelectInFolderBrowser(const InstallerProcess& process, HWND browser, const std::string& path);
// The text of the browser's selected tree item (a folder's display name).
std::string FolderBrowserSelection(const InstallerProcess& process, HWND browser);
// Browse, select `path`, press the browser's OK; true when the edit then shows it.
bool ChooseFolderWithBrowse(const InstallerProcess& process, HWND dialog, const std::string& path);
// Waits until the window is gone.
bool WaitForWindowGone(HWND window, DWORD timeoutMs = 10000);
// Polls the control until its text equals `expected`; returns the last text seen.
std::string WaitForControlText(HWND window, int controlId, const std::string& expected,
                               DWORD timeoutMs = 5000);

// Windows of any process.
std::string WindowClassName(HWND window);
HWND WaitForWindowOfClass(const char* className, DWORD timeoutMs);
std::vector<int> VisibleButtonIds(HWND window);  // child buttons with WS_VISIBLE
std::vector<HWND> ChildControls(HWND window);     // direct children
// Full image path of the process that owns the window, "" when unknown.
std::string WindowProcessImage(HWND window);
// Ids of running processes whose executable has this file name (e.g. "Tessellograph.exe").
std::vector<DWORD> ProcessesNamed(const char* exeName);

// The installer's icon as its own process sees it, read by running a few
// instructions in a thread of the installer (cross-process WM_GETICON answers
// 0 under Wine). Returns false when the thread could not be run.
bool RemoteDialogIcon(const InstallerProcess& process, HWND dialog, DWORD* bigIcon);
bool RemoteLoadInstallerIcon(const InstallerProcess& process, DWORD* icon);

// The machine's state.
std::string DescribeSystemError(DWORD error);  // FormatMessage text, line end trimmed
bool CreateFolder(const std::string& path);    // one level; true when it exists afterwards
bool SameText(const std::string& a, const std::string& b);  // case-insensitive (ASCII)
bool WriteRegistryString(HKEY root, const std::string& path, const std::string& name,
                         const std::string& value);
// Checks that the file holds exactly the payload file of that name.
bool CheckPayloadFile(const std::string& folder, const char* fileName);
