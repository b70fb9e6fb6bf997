#include "deploy/payload.h"

unsigned ReadLittleEndian32(const unsigned char* field) {
    return static_cast<unsigned>(field[0]) | static_cast<unsigned>(field[1]) << 8 |
           static_cast<unsigned>(field[2]) << 16 | static_cast<unsigned>(field[3]) << 24;
}

Payload GetPayload(PayloadId id) {
    switch (id) {
    case MainProgram: return Payload{MainProgramBytes, ReadLittleEndian32(MainProgramLengthField)};
    case EngineProgram:
        return Payload{EngineProgramBytes, ReadLittleEndian32(EngineProgramLengthField)};
    case SampleDocument:
        return Payload{SampleDocumentBytes, ReadLittleEndian32(SampleDocumentLengthField)};
    }
    return Payload{nullptr, 0};
}
