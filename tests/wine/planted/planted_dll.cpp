// A DLL of ours, copied beside a program under a system DLL's name. When a
// process loads it, it appends "<this DLL> loaded into <program>" to
// planted-loaded.txt in its own folder, so the test sees who loaded it.
// No C runtime: only kernel32, which every process already has.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

extern "C" BOOL WINAPI PlantedDllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char dll[MAX_PATH];
    char program[MAX_PATH];
    char marker[MAX_PATH + 32];
    char line[3 * MAX_PATH];
    DWORD dllLength = GetModuleFileNameA(self, dll, MAX_PATH);
    if (dllLength == 0 || dllLength >= MAX_PATH) return TRUE;
    if (GetModuleFileNameA(nullptr, program, MAX_PATH) == 0) program[0] = 0;
    lstrcpynA(marker, dll, MAX_PATH);
    char* slash = marker;
    for (char* at = marker; *at != 0; at++) {
        if (*at == '\\') slash = at;
    }
    lstrcpyA(slash, "\\planted-loaded.txt");
    lstrcpyA(line, dll);
    lstrcatA(line, " loaded into ");
    lstrcatA(line, program);
    lstrcatA(line, "\r\n");
    HANDLE file = CreateFileA(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, line, static_cast<DWORD>(lstrlenA(line)), &written, nullptr);
        CloseHandle(file);
    }
    return TRUE;
}
