#include "tools/payload/payload_reader.h"

#include <cstring>

static const char* const InstallNames[PayloadEntryCount] = {
    "Tessellograph.exe", "Tessellograph3D.exe", "Brick.tpf"};

enum { DosHeaderSize = 64, FileHeaderSize = 20, SectionHeaderSize = 40 };

// One step per entry read from the block, and one for nothing left over.
enum { WholeBlock = PayloadEntryCount + 1 };

struct Section {
    size_t offset;
    size_t length;
};

static uint32_t Read16(const unsigned char* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8;
}

static uint32_t Read32(const unsigned char* at) {
    return Read16(at) | Read16(at + 2) << 16;
}

// Whether length bytes from offset lie within size bytes; cannot overflow.
static bool Fits(size_t offset, size_t length, size_t size) {
    return offset <= size && length <= size - offset;
}

static bool Fail(std::string* problem, const std::string& text) {
    *problem = text;
    return false;
}

// "section 6 (.rsrc)": names are 8 bytes of anything, so only the printable.
static std::string SectionName(const unsigned char* header, size_t index) {
    std::string name = "section " + std::to_string(index + 1) + " (";
    for (int i = 0; i < 8 && header[i] != 0; i++) {
        name += header[i] >= 0x20 && header[i] < 0x7f ? static_cast<char>(header[i]) : '?';
    }
    return name + ")";
}

// Walks the DOS header, the PE signature, the file header and the section
// table to the .payload section. Every section's data must lie in the file,
// so a cut file is caught wherever it was cut.
static bool FindPayloadSection(const unsigned char* image, size_t size, Section* payload,
                               std::string* problem) {
    if (size < DosHeaderSize || image[0] != 'M' || image[1] != 'Z') {
        return Fail(problem, "not a Windows program (no DOS header)");
    }
    size_t pe = Read32(image + 0x3c);
    if (!Fits(pe, 4 + FileHeaderSize, size)) {
        return Fail(problem, "the PE header runs past the end of the file");
    }
    if (memcmp(image + pe, "PE\0\0", 4) != 0) {
        return Fail(problem, "not a PE file (no PE signature where the DOS header points)");
    }
    const unsigned char* fileHeader = image + pe + 4;
    size_t count = Read16(fileHeader + 2);
    size_t table = pe + 4 + FileHeaderSize + Read16(fileHeader + 16);
    if (!Fits(table, count * SectionHeaderSize, size)) {
        return Fail(problem, "the section table runs past the end of the file");
    }
    bool found = false;
    for (size_t i = 0; i < count; i++) {
        const unsigned char* header = image + table + i * SectionHeaderSize;
        size_t memorySize = Read32(header + 8);
        size_t fileSize = Read32(header + 16);
        size_t offset = Read32(header + 20);
        if (!Fits(offset, fileSize, size)) {
            return Fail(problem, "the data of " + SectionName(header, i) +
                                     " runs past the end of the file");
        }
        if (memcmp(header, ".payload", 8) != 0) continue;
        if (found) return Fail(problem, "more than one .payload section");
        if (memorySize > fileSize) {
            return Fail(problem, "the .payload section is larger in memory than in the file");
        }
        *payload = Section{offset, memorySize};
        found = true;
    }
    if (!found) return Fail(problem, "no .payload section");
    return true;
}

// Splits a block from its last length field back to its start. Returns how
// far it got; short of WholeBlock it leaves a problem. Messages quote no
// length read: with another padding the same field reads differently.
static int SplitBlock(const unsigned char* block, size_t length, PayloadEntry* entries,
                      std::string* problem) {
    size_t end = length;
    for (int i = PayloadEntryCount - 1; i >= 0; i--) {
        std::string name = InstallNames[i];
        int steps = PayloadEntryCount - 1 - i;
        if (end < 4) {
            Fail(problem, "the payload block is too short for the length field of " + name);
            return steps;
        }
        uint32_t entryLength = Read32(block + end - 4);
        if (entryLength > end - 4) {
            Fail(problem, "the length field of " + name + " runs past the start of the payload block");
            return steps;
        }
        end -= 4 + entryLength;
        entries[i] = PayloadEntry{InstallNames[i], block + end, entryLength};
    }
    if (end != 0) {
        Fail(problem, "the lengths in the payload block do not add up: they leave " +
                          std::to_string(end) + " of its bytes unaccounted for");
        return PayloadEntryCount;
    }
    return WholeBlock;
}

// The linker may pad the block with up to 3 zero bytes, so each padding the
// section's last bytes allow is tried; exactly one of them must read whole.
// When none does, the one that got furthest says what is wrong.
bool ReadPayloadLayout(const unsigned char* image, size_t size, PayloadLayout* layout,
                       std::string* problem) {
    Section section;
    if (!FindPayloadSection(image, size, &section, problem)) return false;
    const unsigned char* block = image + section.offset;
    int wholeReadings = 0;
    int furthest = -1;
    for (size_t padding = 0; padding <= 3 && padding <= section.length; padding++) {
        if (padding > 0 && block[section.length - padding] != 0) break;
        PayloadLayout reading;
        std::string why;
        int steps = SplitBlock(block, section.length - padding, reading.entries, &why);
        if (steps == WholeBlock) {
            reading.blockOffset = section.offset;
            reading.blockLength = section.length - padding;
            reading.paddingLength = padding;
            *layout = reading;
            wholeReadings++;
        } else if (steps > furthest) {
            furthest = steps;
            *problem = why;
        }
    }
    if (wholeReadings > 1) {
        return Fail(problem, "the payload block reads more than one way, depending on its padding");
    }
    return wholeReadings == 1;
}
