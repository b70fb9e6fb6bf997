// The user for tools/run-installer when there is no display: waits for the
// installer's dialog, presses OK, prints what the outcome box says, answers
// No and prints the exit code.
//   TessellographHeadlessUser.exe INSTALLER
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>

static DWORD ProcessId;

static BOOL CALLBACK IsTheOne(HWND window, LPARAM found) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != ProcessId || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The installer's visible window: the dialog, then the outcome box.
static HWND WaitForWindow(HANDLE process, HWND previous) {
    for (int tries = 0; tries < 600 && WaitForSingleObject(process, 50) == WAIT_TIMEOUT; tries++) {
        HWND window = nullptr;
        EnumWindows(IsTheOne, reinterpret_cast<LPARAM>(&window));
        if (window != nullptr && window != previous) return window;
    }
    return nullptr;
}

int main(int argc, char** argv) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION installer;
    if (argc != 2 || !CreateProcessA(argv[1], nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &startup, &installer)) {
        printf("usage: TessellographHeadlessUser INSTALLER\n");
        return 2;
    }
    ProcessId = installer.dwProcessId;
    HWND dialog = WaitForWindow(installer.hProcess, nullptr);
    char text[1024] = "";
    GetDlgItemTextA(dialog, 3072, text, sizeof text);
    printf("The dialog proposes %s; pressing OK.\n", text);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    HWND box = WaitForWindow(installer.hProcess, dialog);
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    printf("The installer says: %s\nAnswering No.\n", text);
    PostMessageA(box, WM_COMMAND, IDNO, 0);
    DWORD code = 1;
    WaitForSingleObject(installer.hProcess, 30000);
    GetExitCodeProcess(installer.hProcess, &code);
    printf("It ended with exit code %lu.\n", code);
    return static_cast<int>(code);
}
