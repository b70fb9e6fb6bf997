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
bool Check(bool condition, const char* format, ...);
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
