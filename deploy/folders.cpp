#include "deploy/folders.h"


PlatformError CreateFolder(const char* path) {
    PlatformError error = SysCreateDirectory(path);
    // A folder already there is what was wanted, whatever the error says:
    // Windows answers a drive root with ERROR_ACCESS_DENIED.
    if (error != 0 && SysIsFolder(path)) error = 0;
    return error == ErrorAlreadyExists ? ErrorFileExists : error;
}
