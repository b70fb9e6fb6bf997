// Finds the payload block in an installer's file image and splits it into the
// three files it carries. The image may be anything: every field is checked
// against the section and the file before it is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum { PayloadEntryCount = 3 };

struct PayloadEntry {
    const char* installName;
    const unsigned char* bytes;  // inside the image
    uint32_t length;
};

struct PayloadLayout {
    PayloadEntry entries[PayloadEntryCount];  // in block order
    size_t blockOffset;  // where the block starts in the file
    size_t blockLength;  // the entries and their length fields, without padding
    size_t paddingLength;  // the zero bytes after the block in the section, up to 3
};

// True with the layout filled in, or false with one sentence saying what is
// wrong with the image.
bool ReadPayloadLayout(const unsigned char* image, size_t size, PayloadLayout* layout,
                       std::string* problem);
