// Planted beside a copy of the installer as uxtheme.dll: a DLL of ours that
// ends any process that loads it, with an exit code no run of ours gives.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) TerminateProcess(GetCurrentProcess(), 99);
    return TRUE;
}
