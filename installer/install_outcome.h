// How the run ends for the user: one message box, and the editor on request.
#pragma once

enum ExitCode { ExitInstalled = 0, ExitNothingInstalled = 1, ExitInstallFailed = 2 };

// After the install sequence: success offers to start the editor; a failure
// names the first thing that went wrong and offers nothing.
ExitCode ReportInstall();
ExitCode ReportNothingInstalled();

// "Tessellograph was not completely installed!!!", then a line naming the
// first failure and the system's reason for it.
void ComposeFailureMessage(char* text, unsigned capacity);
