// libFuzzer target: the payload reader on any bytes. Sanitizers catch a read
// outside the image; the checks catch a reading whose entries and length
// fields do not follow each other to the end of the block, or whose padding
// is not up to 3 zero bytes. The seed is a 656-byte PE that ld linked from
// deploy/payload_block.S and three short files, with 16-byte file alignment.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "tools/payload/payload_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PayloadLayout layout;
    std::string problem;
    if (!ReadPayloadLayout(data, size, &layout, &problem)) return 0;
    size_t at = layout.blockOffset;
    for (const PayloadEntry& entry : layout.entries) {
        // Where the last entry ended, and followed by its length (x86 is little-endian too).
        if (entry.bytes != data + at || at + entry.length + 4 > size ||
            memcmp(data + at + entry.length, &entry.length, 4) != 0) abort();
        at += entry.length + 4;
    }
    size_t padding = layout.paddingLength;
    if (at != layout.blockOffset + layout.blockLength || padding > 3 || at + padding > size ||
        std::count(data + at, data + at + padding, 0) != static_cast<long>(padding)) abort();
    return 0;
}
