// Another process's windows, as a user meets them: shared by the headless
// user and the test driver, which both operate a program from outside it.
#pragma once
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

// A visible top-level window of `process`, captioned `caption` (any when
// null), other than `except`; the topmost such, or null.
inline HWND FindProcessWindow(DWORD process, const char* caption, HWND except = nullptr) {
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, nullptr, caption)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == process && window != except && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

// A window's text, asked for across processes; empty if it does not answer.
inline int WindowText(HWND window, char* text, int capacity) {
    DWORD_PTR length = 0;
    text[0] = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, capacity, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 60000,
                        &length);
    return static_cast<int>(length);
}
