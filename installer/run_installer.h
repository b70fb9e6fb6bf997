// The whole run: start-up, the dialog, the install, the outcome, shut-down.
#pragma once

enum ExitCode { ExitInstalled = 0, ExitNothingInstalled = 1, ExitInstallFailed = 2 };

// Returns the process exit code; the entry point hands it to ExitProcess.
ExitCode RunInstaller();
