// Bounded text building. Every path and value text lives in a fixed buffer;
// a piece that does not fit is refused whole and the buffer keeps what it had.
#pragma once

enum { TextCapacity = 1024 };  // bytes, terminating NUL included

unsigned StringLength(const char* text);

// Copies source through its NUL into [destination, limit). Returns the
// position of the copied NUL, or nullptr (and an empty destination) if it
// would not fit.
char* CopyString(char* destination, const char* limit, const char* source);

// Replaces or extends the text in buffer; false, with the buffer unchanged,
// when the result would not fit in capacity bytes.
bool SetText(char* buffer, unsigned capacity, const char* text);
bool AppendText(char* buffer, unsigned capacity, const char* piece);

template <unsigned N> bool SetText(char (&buffer)[N], const char* text) {
    return SetText(buffer, N, text);
}
template <unsigned N> bool AppendText(char (&buffer)[N], const char* piece) {
    return AppendText(buffer, N, piece);
}

// Text is walked by characters of the ANSI code page (SysIsLeadByte): in a
// double-byte code page the second byte of a character can be that of "\"
// or of a letter. Past the character at text; a lead byte just before the NUL
// is one character.
const char* NextCharacter(const char* text);
// The length Windows gives a path: a double-byte character is one UTF-16
// unit. In UTF-8 this counts bytes, never fewer than Windows' units.
unsigned CharacterCount(const char* text);

// Position of the text after the last backslash (the whole text if none).
const char* LastPathComponent(const char* path);

// Removes the two characters "3D" just before the last '.', if they are there.
bool DropThreeDBeforeExtension(char* text);

// Whether two texts are the same, character by character, where ASCII
// letters match in either case (the names Windows gives its folders are
// ASCII; a double-byte character must match exactly).
bool SameTextIgnoringCase(const char* a, const char* b);

// Writes the decimal text of value and its NUL; returns the text's length,
// or 0 (and writes nothing) when capacity is too small. 12 bytes always do.
unsigned FormatDecimal(int value, char* destination, unsigned capacity);
// "0x" and eight upper-case hex digits, as HRESULTs are written.
void FormatHex(unsigned value, char (&destination)[12]);
