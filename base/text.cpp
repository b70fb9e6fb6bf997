#include "base/text.h"

#include "base/platform.h"

unsigned StringLength(const char* text) {
    unsigned length = 0;
    while (text[length] != 0) length++;
    return length;
}

char* CopyString(char* destination, const char* limit, const char* source) {
    char* start = destination;
    while (destination < limit) {
        *destination = *source;
        if (*source == 0) return destination;
        destination++;
        source++;
    }
    if (start < limit) *start = 0;
    return nullptr;
}

bool SetText(char* buffer, unsigned capacity, const char* text) {
    if (StringLength(text) >= capacity) return false;
    CopyString(buffer, buffer + capacity, text);
    return true;
}

bool AppendText(char* buffer, unsigned capacity, const char* piece) {
    unsigned used = StringLength(buffer);
    if (used >= capacity) return false;
    return CopyString(buffer + used, buffer + capacity, piece) != nullptr;
}

const char* NextCharacter(const char* text) {
    return SysIsLeadByte(text[0]) && text[1] != 0 ? text + 2 : text + 1;
}

unsigned CharacterCount(const char* text) {
    unsigned count = 0;
    for (const char* p = text; *p != 0; p = NextCharacter(p)) count++;
    return count;
}

const char* LastPathComponent(const char* path) {
    const char* component = path;
    for (const char* p = path; *p != 0; p = NextCharacter(p)) {
        if (*p == '\\') component = p + 1;
    }
    return component;
}

bool DropThreeDBeforeExtension(char* text) {
    // Where "3D." starts, while that dot is the last; "3" and "D" are single
    // bytes in every code page, so the dot starts a character too.
    char* threeD = nullptr;
    for (char* p = text; *p != 0; p += NextCharacter(p) - p) {
        if (*p == '.' && (threeD == nullptr || p != threeD + 2)) threeD = nullptr;
        if (p[0] == '3' && p[1] == 'D' && p[2] == '.') threeD = p;
    }
    if (threeD == nullptr) return false;
    CopyString(threeD, threeD + StringLength(threeD) + 1, threeD + 2);
    return true;
}

unsigned FormatDecimal(int value, char* destination, unsigned capacity) {
    char reversed[10];
    unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    unsigned count = 0;
    do {
        reversed[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    unsigned length = count + (value < 0 ? 1 : 0);
    if (length + 1 > capacity) return 0;
    char* out = destination;
    if (value < 0) *out++ = '-';
    while (count > 0) *out++ = reversed[--count];
    *out = 0;
    return length;
}

bool SameTextIgnoringCase(const char* a, const char* b) {
    for (;; a = NextCharacter(a), b = NextCharacter(b)) {
        unsigned length = static_cast<unsigned>(NextCharacter(a) - a);
        if (length != static_cast<unsigned>(NextCharacter(b) - b)) return false;
        if (length == 2) {
            if (a[0] != b[0] || a[1] != b[1]) return false;
            continue;
        }
        char x = a[0] >= 'a' && a[0] <= 'z' ? static_cast<char>(a[0] - 32) : a[0];
        char y = b[0] >= 'a' && b[0] <= 'z' ? static_cast<char>(b[0] - 32) : b[0];
        if (x != y) return false;
        if (x == 0) return true;
    }
}

void FormatHex(unsigned value, char (&destination)[12]) {
    destination[0] = '0';
    destination[1] = 'x';
    for (int i = 9; i >= 2; i--, value >>= 4) destination[i] = "0123456789ABCDEF"[value & 0xF];
    destination[10] = 0;
}
