// Stand-in for the Tessellograph editor: a window titled after the document
// it was asked to open, and the 33 document icons the installer points at.
#include "standin_window.h"

static const char TitlePrefix[] = "Tessellograph - ";
static const char NoDocument[] = "(no document)";
static char Title[sizeof TitlePrefix + 4096];

static bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Appends the command line's arguments after the program name, split as a
// Windows program's runtime splits them (blanks outside quotes part them,
// quotes are dropped), each after the first behind " | ": a command that
// lost its quotes shows as more than one document.
static char* AppendArguments(char* out, const char* end, const char* commandLine) {
    const char* p = commandLine;
    if (*p == '"') {
        for (++p; *p && *p != '"'; ++p) {}
        if (*p) ++p;
    } else {
        while (*p && !IsBlank(*p)) ++p;
    }
    for (bool first = true;; first = false) {
        while (IsBlank(*p)) ++p;
        if (!*p) return out;
        for (const char* q = " | "; !first && *q && out < end; ++q) *out++ = *q;
        for (bool quoted = false; *p && (quoted || !IsBlank(*p)); ++p) {
            if (*p == '"') quoted = !quoted;
            else if (out < end) *out++ = *p;
        }
    }
}

extern "C" void WinMainCRTStartup() {
    // A command line longer than the title is cut short rather than refused.
    char* out = Title;
    for (const char* p = TitlePrefix; *p; ++p) *out++ = *p;
    char* arguments = out;
    out = AppendArguments(out, Title + sizeof Title - 1, GetCommandLineA());
    if (out == arguments) {
        for (const char* p = NoDocument; *p; ++p) *out++ = *p;
    }
    *out = '\0';
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    ExitProcess(RunStandInWindow("TessellographStandIn", Title, icon));
}
