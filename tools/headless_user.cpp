// The user when there is no one: starts a program, presses OK in its first
// window (our dialog) and No in its second (our outcome box) the moment each
// shows, and waits for it to end. A silent NSIS run shows none; it is
// watched the same way, so the watching costs each run the same.
//   TessellographHeadlessUser.exe [--measure [--memory]] PROGRAM [ARGUMENT]
// Plain, for tools/run-installer, it says what the windows said. With
// --measure, for bench/run, it prints name=value lines instead: times from
// the program's start (QueryPerformanceCounter) and, with --memory, the
// peaks of the memory counters it samples on every turn.
#include "process_windows.h"

#include <psapi.h>

#include <cstdio>
#include <cstring>

static double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The text of a dialog's control (0xFFFF: a message box's message).
static const char* Say(HWND window, int control) {
    static char text[1024];
    WindowText(GetDlgItem(window, control), text, sizeof text);
    return text;
}

int main(int argc, char** argv) {
    int first = 1;
    bool measure = first < argc && strcmp(argv[first], "--measure") == 0 && ++first;
    bool memory = measure && first < argc && strcmp(argv[first], "--memory") == 0 && ++first;
    if (argc - first < 1 || argc - first > 2) {
        printf("usage: TessellographHeadlessUser [--measure [--memory]] PROGRAM [ARGUMENT]\n");
        return 2;
    }
    char command[2048];
    snprintf(command, sizeof command, "\"%s\" %s", argv[first], argc - first == 2 ? argv[first + 1] : "");
    if (measure) {
        // A window of our own makes Wine start its desktop process now rather
        // than inside the timed run; then the prefix's services settle.
        CreateWindowA("STATIC", "bench", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        Sleep(1000);
    }

    LARGE_INTEGER frequency, start, shown = {}, answered = {}, now;
    QueryPerformanceFrequency(&frequency);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION program;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &program)) {
        printf("cannot start %s (error %lu)\n", command, GetLastError());
        return 2;
    }
    HWND dialog = nullptr, box = nullptr;
    SIZE_T peakWorkingSet = 0, peakPrivate = 0;
    unsigned samples = 0;
    for (;;) {
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof counters;
        // Fails once the Linux process is gone; the last good sample stands.
        if (memory && GetProcessMemoryInfo(program.hProcess, &counters, sizeof counters)) {
            samples++;
            if (counters.PeakWorkingSetSize > peakWorkingSet) peakWorkingSet = counters.PeakWorkingSetSize;
            if (counters.PagefileUsage > peakPrivate) peakPrivate = counters.PagefileUsage;
        }
        HWND window = FindProcessWindow(program.dwProcessId, nullptr);
        if (window != nullptr && dialog == nullptr) {
            QueryPerformanceCounter(&shown);
            dialog = window;
            if (!measure) printf("The dialog proposes %s; pressing OK.\n", Say(dialog, 3072));
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        } else if (window != nullptr && window != dialog && box == nullptr) {
            QueryPerformanceCounter(&answered);
            box = window;
            if (!measure) printf("The installer says: %s\nAnswering No.\n", Say(box, 0xFFFF));
            PostMessageA(box, WM_COMMAND, IDNO, 0);
        }
        if (WaitForSingleObject(program.hProcess, 1) != WAIT_TIMEOUT) break;
    }
    QueryPerformanceCounter(&now);
    DWORD code = 1;
    GetExitCodeProcess(program.hProcess, &code);
    if (!measure) {
        printf("It ended with exit code %lu.\n", code);
        return static_cast<int>(code);
    }
    printf("total_ms=%.3f\nexit=%lu\n", Milliseconds(start, now, frequency), code);
    if (dialog != nullptr) printf("dialog_ms=%.3f\n", Milliseconds(start, shown, frequency));
    if (box != nullptr) printf("box_ms=%.3f\n", Milliseconds(start, answered, frequency));
    if (memory) {
        printf("peak_working_set=%lu\npeak_private=%lu\nsamples=%u\n", static_cast<unsigned long>(peakWorkingSet),
               static_cast<unsigned long>(peakPrivate), samples);
    }
    return 0;
}
