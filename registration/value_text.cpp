#include "registration/value_text.h"

#include "base/text.h"

static bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

PrefixComparison PrefixCompare(const char* path, const char* reference) {
    unsigned i = 0;
    for (;;) {
        char c = path[i];
        char r = reference[i];
        if (r == c) {
            if (c == 0) return PrefixComparison{Equal, i + 1};
        } else if (!IsAsciiLetter(r) || (r ^ 0x20) != c) {
            return PrefixComparison{(c == 0 || r == 0) ? OneEnded : Differ, i};
        }
        // The second byte of a double-byte character may look like a letter,
        // but it has no other case.
        unsigned next = static_cast<unsigned>(NextCharacter(path + i) - path);
        if (next == i + 2 && path[i + 1] != reference[i + 1]) return PrefixComparison{Differ, i + 1};
        i = next;
    }
}

bool ComposeProgramValue(char* value, unsigned capacity, const ProgramNaming& naming,
                         bool quoted) {
    if (capacity == 0) return false;
    value[0] = 0;
    bool fits = !quoted || AppendText(value, capacity, "\"");
    PrefixComparison comparison = PrefixCompare(naming.programPath, naming.programFilesPath);
    // Only a path that runs on past the whole folder names a file in it; an
    // unknown folder would otherwise prefix every path.
    bool insideProgramFiles = comparison.outcome == OneEnded &&
                              naming.programFilesPath[comparison.stop] == 0 &&
                              naming.programFilesPath[0] != 0;
    if (insideProgramFiles) {
        fits = fits && AppendText(value, capacity, naming.programFilesReference) &&
               AppendText(value, capacity, naming.programPath + comparison.stop);
    } else {
        fits = fits && AppendText(value, capacity, naming.programPath);
    }
    if (!fits) value[0] = 0;
    return fits;
}

bool OpenCommandText(char* value, unsigned capacity, const ProgramNaming& naming) {
    bool fits = ComposeProgramValue(value, capacity, naming, true) &&
                AppendText(value, capacity, "\" \"%1\"");
    if (!fits) value[0] = 0;
    return fits;
}

bool ProgramIconText(char* value, unsigned capacity, const ProgramNaming& naming, int index) {
    char digits[12];
    FormatDecimal(index, digits, sizeof digits);
    bool fits = ComposeProgramValue(value, capacity, naming, false) &&
                AppendText(value, capacity, ",") && AppendText(value, capacity, digits);
    if (!fits) value[0] = 0;
    return fits;
}
