// What an install leaves on disk, what it reports, and what Yes starts.
#include "driver_support.h"

static const char* const PayloadNames[] = {"Brick.tpf", "Tessellograph3D.exe", "Tessellograph.exe"};

static void CheckAllPayloadFiles(const std::string& folder) {
    for (const char* name : PayloadNames) CheckPayloadFile(folder, name);
}

static void CheckSuccess(const InstallOutcome& outcome) {
    CheckEqual(outcome.caption, OutcomeCaption, "outcome box caption");
    CheckEqual(outcome.text, SuccessText, "outcome box text");
    Check(outcome.buttons == std::vector<int>({IDYES, IDNO}), "outcome box has Yes and No buttons");
    Check(outcome.exitCode == 0, "exit code 0 (got %lu)", outcome.exitCode);
}

// A failure box: OK only, the first failed path and the system's reason.
static void CheckFailure(const InstallOutcome& outcome, const std::string& path, DWORD error) {
    CheckEqual(outcome.caption, OutcomeCaption, "failure box caption");
    CheckEqual(outcome.text, FailurePrefix + path + ": " + DescribeSystemError(error),
               "failure box text");
    Check(outcome.buttons == std::vector<int>{IDOK}, "failure box has only an OK button (%u buttons)",
          static_cast<unsigned>(outcome.buttons.size()));
    Check(outcome.exitCode == 2, "exit code 2 (got %lu)", outcome.exitCode);
}

// The editor runs only when asked to: no window and no process of it.
static void CheckEditorNotStarted() {
    Sleep(1500);
    Check(FindWindowA("TessellographStandIn", nullptr) == nullptr, "no editor window appeared");
    Check(ProcessesNamed("Tessellograph.exe").empty(), "no Tessellograph.exe process runs");
}

SCENARIO(default_install) {
    std::string folder = DefaultInstallFolder();
    const char* expected = Is64BitPrefix() ? "C:\\Program Files (x86)\\Quorrelin"
                                           : "C:\\Program Files\\Quorrelin";
    CheckEqual(folder, expected, "default folder as a 32-bit program sees it");
    Check(!FolderExists(folder), "%s is absent before the run", folder.c_str());

    InstallOutcome outcome = RunInstall(IDNO);
    CheckEqual(outcome.dialogPath, folder, "dialog showed the default folder");
    CheckSuccess(outcome);
    CheckAllPayloadFiles(folder);
    CheckEditorNotStarted();
}

SCENARIO(settings_absent) {
    Check(!RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Quorrelin"),
          "HKCU\\Software\\Quorrelin absent before the run");
    InstallOutcome outcome = RunInstall(IDNO);
    CheckSuccess(outcome);
    Check(!RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Quorrelin"),
          "HKCU\\Software\\Quorrelin still absent: the settings reset creates no key");
}

SCENARIO(launch_yes) {
    std::string folder = DefaultInstallFolder();
    InstallOutcome outcome = RunInstall(IDYES);
    CheckSuccess(outcome);

    HWND editor = WaitForWindowOfClass("TessellographStandIn", 15000);
    if (!Check(editor != nullptr, "an editor window (TessellographStandIn) appeared")) return;
    CheckEqual(WindowText(editor), "Tessellograph - (no document)", "editor title: no argument");
    std::string image = WindowProcessImage(editor);
    std::string installed = folder + "\\Tessellograph.exe";
    Check(SameText(image, installed), "editor process runs %s (image \"%s\")", installed.c_str(),
          image.c_str());

    DWORD processId = 0;
    GetWindowThreadProcessId(editor, &processId);
    HANDLE editorProcess = OpenProcess(SYNCHRONIZE, FALSE, processId);
    PostMessageA(editor, WM_CLOSE, 0, 0);
    Check(editorProcess != nullptr && WaitForSingleObject(editorProcess, 10000) == WAIT_OBJECT_0,
          "editor ended on WM_CLOSE");
    if (editorProcess != nullptr) CloseHandle(editorProcess);
}

SCENARIO(reinstall) {
    std::string folder = DefaultInstallFolder();
    CheckSuccess(RunInstall(IDNO));
    CheckAllPayloadFiles(folder);

    // Spoil all three: one emptied, two made longer than their payloads so
    // that a write without truncation would show.
    std::vector<unsigned char> junk(300000, 'j');
    Check(WriteFileBytes(folder + "\\Tessellograph.exe", std::vector<unsigned char>()) &&
              WriteFileBytes(folder + "\\Brick.tpf", junk) &&
              WriteFileBytes(folder + "\\Tessellograph3D.exe", junk),
          "installed files altered");
    Check(ReadFileBytes(folder + "\\Brick.tpf") == junk, "Brick.tpf now holds junk");

    InstallOutcome second = RunInstall(IDNO);
    CheckEqual(second.dialogPath, folder, "second run proposes the same folder");
    CheckSuccess(second);
    CheckAllPayloadFiles(folder);
}

SCENARIO(parent_missing) {
    const std::string parent = "C:\\Deep";
    const std::string folder = "C:\\Deep\\Nested";
    Check(CreateFolder(parent) && CreateFolder(folder), "created %s", folder.c_str());

    InstallerProcess process;
    HWND dialog = StartAndWaitForDialog(&process);
    if (dialog == nullptr) return;
    ChooseFolderWithBrowse(process, dialog, folder);
    CheckEqual(ControlText(dialog, ControlInstallPath), folder, "edit after choosing the folder");

    // The browser only offers folders that exist: take the parent away now.
    Check(RemoveDirectoryA(folder.c_str()) && RemoveDirectoryA(parent.c_str()) &&
              !FolderExists(parent),
          "removed %s and %s before OK", folder.c_str(), parent.c_str());

    InstallOutcome outcome = ConfirmAndAnswer(&process, dialog, IDOK);
    CheckFailure(outcome, folder, ERROR_PATH_NOT_FOUND);
    Check(!FolderExists(parent) && !FolderExists(folder), "no folder created: parents are not made");
    for (const char* name : PayloadNames) {
        Check(!FileExists(folder + "\\" + name), "%s not written", name);
    }
    // Every stage still ran after the first failure.
    std::string group = CommonProgramsFolder() + "\\Nested";
    Check(FolderExists(group), "later stage still ran: Start-menu group %s created", group.c_str());
    CheckEditorNotStarted();
}

SCENARIO(file_held_open) {
    std::string folder = DefaultInstallFolder();
    std::string held = folder + "\\Tessellograph.exe";
    Check(CreateFolder(folder), "created %s", folder.c_str());
    const std::string content = "held open by the test driver";
    Check(WriteFileBytes(held, std::vector<unsigned char>(content.begin(), content.end())),
          "wrote a placeholder %s", held.c_str());
    HANDLE file = CreateFileA(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!Check(file != INVALID_HANDLE_VALUE, "holding %s open with no sharing", held.c_str())) return;

    InstallOutcome outcome = RunInstall(IDOK);
    CloseHandle(file);
    CheckFailure(outcome, held, ERROR_SHARING_VIOLATION);
    CheckPayloadFile(folder, "Brick.tpf");
    CheckPayloadFile(folder, "Tessellograph3D.exe");
    std::vector<unsigned char> after = ReadFileBytes(held);
    Check(std::string(after.begin(), after.end()) == content, "the held file kept its bytes");
    CheckEditorNotStarted();
}
