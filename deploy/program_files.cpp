#include "deploy/program_files.h"

#include "deploy/folders.h"
#include "base/failure_record.h"
#include "base/install_state.h"
#include "base/platform.h"
#include "base/text.h"

// A single very large write to a network drive can fail for want of system
// resources; payloads go up to 1.5 GiB.
static const unsigned WritePiece = 4u << 20;

bool CreateInstallFolder() {
    PlatformError error = CreateFolder(InstallPath);
    if (error != 0) {
        RecordFailure(InstallPath, error);
        return false;
    }
    return true;
}

// The file's own name with "tmp" for its three-letter extension: never longer.
// The names are ours, so their last four bytes are single-byte characters.
static bool ComposeTemporaryPath(const char* path, char (&temporary)[TextCapacity]) {
    unsigned length = StringLength(path);
    if (length < 4 || path[length - 4] != '.' || !SetText(temporary, path)) return false;
    CopyString(temporary + length - 3, temporary + TextCapacity, "tmp");
    return true;
}

static PlatformError WritePieces(PlatformHandle file, Payload payload) {
    for (unsigned done = 0; done < payload.length;) {
        unsigned piece = payload.length - done < WritePiece ? payload.length - done : WritePiece;
        unsigned written = 0;
        PlatformError error = SysWriteFile(file, payload.bytes + done, piece, &written);
        if (error != 0) return error;
        if (written == 0) return ErrorWriteFault;  // nothing taken, and no reason given
        done += written;  // a short write: the rest again, for the system's reason
    }
    return 0;
}

static bool Held(PlatformError error) { return error == ErrorSharingViolation || error == ErrorLockViolation; }

// A virus scanner opens a new program as it is closed, and holds it a moment.
static PlatformError MoveIntoPlace(const char* temporary, const char* path) {
    PlatformError error = SysReplaceFile(temporary, path);
    for (unsigned waited = 0; Held(error) && waited < QuietWait; waited += RetryInterval) {
        SysSleep(RetryInterval);
        error = SysReplaceFile(temporary, path);
    }
    return error;
}

// Written whole under a temporary name, on the disk, then moved over the old
// file: any failure leaves the old file exactly as it was.
static PlatformError ReplaceFileWith(const char* path, const char* temporary, Payload payload) {
    PlatformHandle file = nullptr;
    PlatformError error = SysCreateFile(temporary, &file);
    if (error != 0) return error;
    error = WritePieces(file, payload);
    if (error == 0) error = SysFlushFile(file);
    PlatformError closed = SysCloseHandle(file);
    if (error == 0) error = closed;
    if (error == 0) error = MoveIntoPlace(temporary, path);
    if (error != 0) SysDeleteFile(temporary);
    return error;
}

bool WriteFileFromImage(const char* path, Payload payload) {
    static char temporary[TextCapacity];
    PlatformError error = ErrorFilenameTooLong;
    if (ComposeTemporaryPath(path, temporary)) error = ReplaceFileWith(path, temporary, payload);
    if (error != 0) RecordFailure(path, error);
    return error == 0;
}

bool FileInUse(const char* path) { return Held(SysTryOpenForWriting(path)); }

bool WriteSampleDocument() { return WriteFileFromImage(SampleDocumentPath, GetPayload(SampleDocument)); }

bool WriteEngineProgram() { return WriteFileFromImage(EngineProgramPath, GetPayload(EngineProgram)); }

bool WriteMainProgram() { return WriteFileFromImage(MainProgramPath, GetPayload(MainProgram)); }
