#include "deploy/folders.h"

static const PlatformError AlreadyExists = 183;  // ERROR_ALREADY_EXISTS
static const PlatformError FileExists = 80;      // ERROR_FILE_EXISTS

PlatformError CreateFolder(const char* path) {
    PlatformError error = SysCreateDirectory(path);
    // A folder already there is what was wanted, whatever the error says:
    // Windows answers a drive root with ERROR_ACCESS_DENIED.
    if (error != 0 && SysIsFolder(path)) error = 0;
    return error == AlreadyExists ? FileExists : error;
}
