#include "deploy/payload.h"

unsigned ReadLittleEndian32(const unsigned char* field) {
    return static_cast<unsigned>(field[0]) | static_cast<unsigned>(field[1]) << 8 |
           static_cast<unsigned>(field[2]) << 16 | static_cast<unsigned>(field[3]) << 24;
}

// In PayloadId order.
static const unsigned char* const PayloadBytes[] = {MainProgramBytes, EngineProgramBytes,
                                                    SampleDocumentBytes};
static const unsigned char* const PayloadLengthFields[] = {
    MainProgramLengthField, EngineProgramLengthField, SampleDocumentLengthField};

Payload GetPayload(PayloadId id) {
    return Payload{PayloadBytes[id], ReadLittleEndian32(PayloadLengthFields[id])};
}
