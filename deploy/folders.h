// Creating the install folder and the Start-menu group.
#pragma once
#include "base/platform.h"

// Creates the last level of path. A folder already there is fine; a file of
// that name is not (ERROR_FILE_EXISTS). Returns 0 or the system's error.
PlatformError CreateFolder(const char* path);
