// The floor for an install: the three files that lie beside this program
// copied with CopyFileA into %ProgramFiles%\Quorrelin, in the installer's
// order, and nothing else. No runtime library, so that starting it costs no
// more than Wine's own start of a process. Exit code 0 when all three copied.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

static char* Append(char* to, const char* text) {
    while (*text) *to++ = *text++;
    *to = 0;
    return to;
}

extern "C" void __stdcall FloorEntry() {
    static const char* const names[] = {"Brick.tpf", "Tessellograph3D.exe", "Tessellograph.exe"};
    char source[MAX_PATH], target[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, source, MAX_PATH);
    while (length > 0 && source[length - 1] != '\\') length--;
    char* sourceName = source + length;
    char* targetName = target + GetEnvironmentVariableA("ProgramFiles", target, MAX_PATH);
    targetName = Append(targetName, "\\Quorrelin");
    CreateDirectoryA(target, nullptr);
    targetName = Append(targetName, "\\");
    UINT failed = 0;
    for (const char* name : names) {
        Append(sourceName, name);
        Append(targetName, name);
        failed += !CopyFileA(source, target, FALSE);
    }
    ExitProcess(failed);
}
