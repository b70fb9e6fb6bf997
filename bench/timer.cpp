// Times one installer run from inside the prefix, for bench/run: process
// start to exit, to its first visible window and to its second. The first
// (ours: the dialog) gets OK and the second (the outcome box) No, at once, so
// ours runs without a user's delays; a silent NSIS run shows none. Every run, whatever it shows, is watched the same way, so
// the watching costs each the same.
//   BenchTimer.exe [--memory] PROGRAM [ARGUMENT]
// With --memory it also samples the program's memory counters on each turn;
// those runs are not the timed ones.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>

static DWORD ProcessId;

static BOOL CALLBACK IsTheOne(HWND window, LPARAM found) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != ProcessId || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

static double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int main(int argc, char** argv) {
    bool memory = argc > 1 && strcmp(argv[1], "--memory") == 0;
    if (argc - memory < 2 || argc - memory > 3) {
        printf("usage: BenchTimer [--memory] PROGRAM [ARGUMENT]\n");
        return 2;
    }
    char command[2048];
    snprintf(command, sizeof command, "\"%s\"%s%s", argv[1 + memory], argc - memory == 3 ? " " : "",
             argc - memory == 3 ? argv[2 + memory] : "");

    // A window of our own makes Wine start its desktop process now rather
    // than inside the timed run; then let the prefix's services settle.
    CreateWindowA("STATIC", "bench", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    Sleep(1000);

    LARGE_INTEGER frequency, start, shown = {}, answered = {}, now;
    QueryPerformanceFrequency(&frequency);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION program;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &program)) {
        printf("error: cannot start %s (%lu)\n", command, GetLastError());
        return 2;
    }
    ProcessId = program.dwProcessId;
    HWND dialog = nullptr, box = nullptr;
    SIZE_T peakWorkingSet = 0, peakPrivate = 0;
    unsigned samples = 0;
    for (;;) {
        if (memory) {
            PROCESS_MEMORY_COUNTERS counters = {};
            counters.cb = sizeof counters;
            // Fails once the Linux process is gone; the last good sample stands.
            if (GetProcessMemoryInfo(program.hProcess, &counters, sizeof counters)) {
                samples++;
                if (counters.PeakWorkingSetSize > peakWorkingSet) peakWorkingSet = counters.PeakWorkingSetSize;
                if (counters.PagefileUsage > peakPrivate) peakPrivate = counters.PagefileUsage;
            }
        }
        HWND window = nullptr;
        EnumWindows(IsTheOne, reinterpret_cast<LPARAM>(&window));
        if (window != nullptr && dialog == nullptr) {
            QueryPerformanceCounter(&shown);
            dialog = window;
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        } else if (window != nullptr && window != dialog && box == nullptr) {
            QueryPerformanceCounter(&answered);
            box = window;
            PostMessageA(box, WM_COMMAND, IDNO, 0);
        }
        if (WaitForSingleObject(program.hProcess, 1) != WAIT_TIMEOUT) break;
    }
    QueryPerformanceCounter(&now);
    DWORD code = 1;
    GetExitCodeProcess(program.hProcess, &code);
    printf("total_ms=%.3f\n", Milliseconds(start, now, frequency));
    if (dialog != nullptr) printf("dialog_ms=%.3f\n", Milliseconds(start, shown, frequency));
    if (box != nullptr) printf("box_ms=%.3f\n", Milliseconds(start, answered, frequency));
    printf("exit=%lu\n", code);
    if (memory) {
        printf("peak_working_set=%lu\npeak_private=%lu\nsamples=%u\n", static_cast<unsigned long>(peakWorkingSet),
               static_cast<unsigned long>(peakPrivate), samples);
    }
    return 0;
}
