// The process entry point. No C or C++ runtime runs before or after it.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "base/text.h"
#include "installer/run_installer.h"

// What the dialogs, the folder browser and the shell load by name, and that
// are not known DLLs the system always takes from its own folder; each name
// ends in a NUL, the list in two.
static const char LoadedByName[] =
    "uxtheme.dll\0dwmapi.dll\0propsys.dll\0cryptbase.dll\0userenv.dll\0oleacc.dll\0version.dll\0"
    "apphelp.dll\0";

// Loads them from the system folder, so that a later load by name finds them
// loaded instead of searching the program's own folder.
static void LoadFromSystemFolder() {
    static char path[TextCapacity];
    for (const char* name = LoadedByName; *name != 0; name += StringLength(name) + 1) {
        unsigned length = GetSystemDirectoryA(path, TextCapacity);
        if (length != 0 && length < TextCapacity && AppendText(path, "\\") && AppendText(path, name)) {
            LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        }
    }
}

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
    // This drops only the current folder from the search, not the program's.
    SetDllDirectoryA("");
    LoadFromSystemFolder();
}

extern "C" void WINAPI EntryPoint() {
    RestrictDllSearch();
    ExitProcess(RunInstaller());
}
