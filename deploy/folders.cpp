#include "deploy/folders.h"

static const PlatformError AlreadyExists = 183;  // ERROR_ALREADY_EXISTS
static const PlatformError FileExists = 80;      // ERROR_FILE_EXISTS

PlatformError CreateFolder(const char* path) {
    PlatformError error = SysCreateDirectory(path);
    if (error != AlreadyExists) return error;
    return SysIsFolder(path) ? 0 : FileExists;
}
