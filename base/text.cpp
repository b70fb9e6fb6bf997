#include "base/text.h"

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

const char* LastPathComponent(const char* path) {
    const char* component = path;
    for (const char* p = path; *p != 0; p++) {
        if (*p == '\\') component = p + 1;
    }
    return component;
}

bool DropThreeDBeforeExtension(char* text) {
    char* dot = nullptr;
    for (char* p = text; *p != 0; p++) {
        if (*p == '.') dot = p;
    }
    if (dot == nullptr || dot - text < 2 || dot[-2] != '3' || dot[-1] != 'D') return false;
    CopyString(dot - 2, dot + StringLength(dot) + 1, dot);
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
