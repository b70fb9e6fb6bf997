// The whole run: start-up, the dialog, the install, the outcome, shut-down.
#pragma once
#include "installer/install_outcome.h"

// Returns the process exit code; the entry point hands it to ExitProcess.
ExitCode RunInstaller();
