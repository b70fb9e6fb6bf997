// Text of the registry values that name the installed program.
#pragma once

enum ComparisonOutcome { Equal, OneEnded, Differ };

struct PrefixComparison {
    ComparisonOutcome outcome;
    unsigned stop;  // index in the path where the walk stopped
};

// Walks path and reference together, a character at a time; a letter of the
// reference also matches its other case. Nothing else is folded.
PrefixComparison PrefixCompare(const char* path, const char* reference);

// How a program is named: its path, the Program Files folder, and the
// environment reference that stands for that folder.
struct ProgramNaming {
    const char* programPath;
    const char* programFilesPath;
    const char* programFilesReference;
};

// Each writes into value (capacity bytes) and returns false, leaving value
// empty, when the text would not fit.
bool ComposeProgramValue(char* value, unsigned capacity, const ProgramNaming& naming,
                         bool quoted);
bool OpenCommandText(char* value, unsigned capacity, const ProgramNaming& naming);
bool ProgramIconText(char* value, unsigned capacity, const ProgramNaming& naming, int index);

