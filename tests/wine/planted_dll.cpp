// Planted beside a copy of the installer as uxtheme.dll: a DLL of ours, so a
// process that loaded it shows it by this file's path.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
