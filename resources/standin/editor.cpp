// Stand-in for the Tessellograph editor: a window titled after the document
// it was asked to open, and the 33 document icons the installer points at.
#include "standin_window.h"

static const char TitlePrefix[] = "Tessellograph - ";
static const char NoDocument[] = "(no document)";
static char Title[sizeof TitlePrefix + 4096];

static bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The command line after the program name, trimmed; one argument wrapped in
// quotes loses them, as the shell quotes a path with spaces.
static void FindDocument(const char* commandLine, const char** start, unsigned* length) {
    const char* p = commandLine;
    if (*p == '"') {
        for (++p; *p && *p != '"'; ++p) {}
        if (*p) ++p;
    } else {
        while (*p && !IsBlank(*p)) ++p;
    }
    while (IsBlank(*p)) ++p;
    const char* end = p;
    while (*end) ++end;
    while (end > p && IsBlank(end[-1])) --end;
    if (end - p >= 2 && *p == '"' && end[-1] == '"') {
        bool single = true;
        for (const char* q = p + 1; q < end - 1; ++q) single = single && *q != '"';
        if (single) {
            ++p;
            --end;
        }
    }
    *start = p;
    *length = static_cast<unsigned>(end - p);
}

extern "C" void WinMainCRTStartup() {
    const char* document;
    unsigned length;
    FindDocument(GetCommandLineA(), &document, &length);
    if (length == 0) {
        document = NoDocument;
        length = sizeof NoDocument - 1;
    }
    // A document name longer than the buffer is cut short rather than refused.
    const unsigned room = sizeof Title - sizeof TitlePrefix;
    if (length > room) length = room;
    char* out = Title;
    for (const char* p = TitlePrefix; *p; ++p) *out++ = *p;
    for (unsigned i = 0; i < length; ++i) *out++ = document[i];
    *out = '\0';
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    ExitProcess(RunStandInWindow("TessellographStandIn", Title, icon));
}
