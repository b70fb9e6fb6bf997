// The process entry point. No C or C++ runtime runs before or after it.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "installer/run_installer.h"

// An installer runs elevated from a folder full of downloads: keep DLLs that
// the system loads later from being found beside it.
static void RestrictDllSearch() {
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFunction)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDefaultDllDirectoriesFunction setDefaultDllDirectories =
        reinterpret_cast<SetDefaultDllDirectoriesFunction>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    DWORD version = GetVersion();
    bool vista = LOBYTE(LOWORD(version)) == 6 && HIBYTE(LOWORD(version)) == 0;
    // On Vista the update that brings it breaks creating shell-link objects.
    if (setDefaultDllDirectories != nullptr && !vista &&
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return;
    }
    SetDllDirectoryA("");
}

extern "C" void WINAPI EntryPoint() {
    RestrictDllSearch();
    ExitProcess(RunInstaller());
}
