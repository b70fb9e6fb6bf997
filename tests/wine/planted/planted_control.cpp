// The control of the DLL-planting scenario: a program of ours that makes a
// window as the installer's dialog does, so that user32 loads uxtheme.dll
// after start-up. With the argument "restricted" it first limits the DLL
// search exactly as the installer does; without it the search also looks in
// this program's own folder, where the scenario plants a uxtheme.dll.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstring>

#include "planted_control.h"

int main(int argc, char** argv) {
    if (argc > 1 && strcmp(argv[1], "restricted") == 0) {
        typedef BOOL(WINAPI * SetDefaultDllDirectoriesFunction)(DWORD);
        SetDefaultDllDirectoriesFunction setDefaultDllDirectories =
            reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(
                GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
        if (setDefaultDllDirectories == nullptr ||
            !setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
            return ControlNotRestricted;
        }
    }
    HWND window = CreateWindowExA(0, "BUTTON", "planted-dll control", WS_OVERLAPPEDWINDOW, 0, 0,
                                  200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) return ControlNoWindow;
    DestroyWindow(window);
    return ControlWindowMade;
}
