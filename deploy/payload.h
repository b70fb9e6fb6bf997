// The three files the installer carries, read in place from its own image.
// Each entry is the file's bytes followed by its u32 little-endian length.
#pragma once

enum PayloadId { MainProgram, EngineProgram, SampleDocument };

struct Payload {
    const unsigned char* bytes;
    unsigned length;
};

Payload GetPayload(PayloadId id);

unsigned ReadLittleEndian32(const unsigned char* field);

extern "C" {
// Defined by payload_block.S.
extern const unsigned char PayloadBlock[];
extern const unsigned char MainProgramBytes[];
extern const unsigned char MainProgramLengthField[];
extern const unsigned char EngineProgramBytes[];
extern const unsigned char EngineProgramLengthField[];
extern const unsigned char SampleDocumentBytes[];
extern const unsigned char SampleDocumentLengthField[];
extern const unsigned char PayloadBlockEnd[];
}
