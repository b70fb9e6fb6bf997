#include "deploy/program_files.h"

#include "deploy/folders.h"
#include "base/failure_record.h"
#include "base/install_state.h"
#include "base/platform.h"
#include "base/text.h"

static const PlatformError WriteFault = 29;      // ERROR_WRITE_FAULT, for a short write

bool CreateInstallFolder() {
    PlatformError error = CreateFolder(InstallPath);
    if (error != 0) {
        RecordFailure(InstallPath, error);
        return false;
    }
    return true;
}

bool WritePayloadFile(PayloadId id, const char* path) {
    PlatformHandle file = nullptr;
    PlatformError error = SysCreateFile(path, &file);
    if (error != 0) {
        RecordFailure(path, error);
        return false;
    }
    Payload payload = GetPayload(id);
    unsigned written = 0;
    error = SysWriteFile(file, payload.bytes, payload.length, &written);
    SysCloseHandle(file);
    if (error == 0 && written != payload.length) error = WriteFault;
    if (error != 0) RecordFailure(path, error);
    return error == 0;
}

bool WriteSampleDocument() {
    static char path[TextCapacity];
    SetText(path, InstallPath);
    if (!AppendText(path, "\\Brick.tpf")) {
        RecordFailure(InstallPath, 206);  // ERROR_FILENAME_EXCED_RANGE
        return false;
    }
    return WritePayloadFile(SampleDocument, path);
}

bool WriteEngineProgram() { return WritePayloadFile(EngineProgram, EngineProgramPath); }

bool WriteMainProgram() { return WritePayloadFile(MainProgram, MainProgramPath); }
