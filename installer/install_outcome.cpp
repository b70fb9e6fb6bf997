#include "installer/install_outcome.h"

#include "base/failure_record.h"
#include "base/install_state.h"
#include "base/platform.h"
#include "base/text.h"

static const char OutcomeCaption[] = "TessellographInstall";

// Drops the line break (and any spaces) that system messages end with.
static void TrimReason(char* reason) {
    unsigned length = StringLength(reason);
    while (length > 0 && (reason[length - 1] == '\r' || reason[length - 1] == '\n' ||
                          reason[length - 1] == ' ')) {
        reason[--length] = 0;
    }
}

void ComposeFailureMessage(char* text, unsigned capacity) {
    static char reason[TextCapacity];
    SysDescribeError(FirstFailureError(), reason, sizeof reason);
    TrimReason(reason);
    SetText(text, capacity, "Tessellograph was not completely installed!!!\r\n");
    if (!AppendText(text, capacity, FirstFailedItem())) return;
    // The reason goes on the same line when it fits whole; it is never cut.
    unsigned lineEnd = StringLength(text);
    if (reason[0] == 0) return;
    if (!AppendText(text, capacity, ": ") || !AppendText(text, capacity, reason)) {
        text[lineEnd] = 0;
    }
}

// The installer runs elevated; the editor should not. The desktop shell
// starts it as the signed-in user; only where there is no shell does the
// shell's plain verb, which would start it elevated.
static void StartEditor() {
    ShellLaunch launch = SysShellExecuteAsUser(MainProgramPath, "", ShowDefault);
    if (launch == NoDesktopShell) SysShellExecute(nullptr, nullptr, MainProgramPath, "", nullptr, ShowDefault);
    if (launch == ShellRefused) {
        SysMessageBox(nullptr, "Windows did not start Tessellograph.\r\nStart it from the Start menu.",
                      OutcomeCaption, MessageBoxWarning);
    }
}

ExitCode ReportInstall() {
    if (FailureCount() != 0) {
        static char message[TextCapacity];
        ComposeFailureMessage(message, sizeof message);
        SysMessageBox(nullptr, message, OutcomeCaption, MessageBoxWarning);
        return ExitInstallFailed;
    }
    int answer = SysMessageBox(
        nullptr, "Tessellograph is installed!!!\r\nWould you like to run Tessellograph now?",
        OutcomeCaption, MessageBoxYesNoInformation);
    if (answer == AnswerYes) StartEditor();
    return ExitInstalled;
}

ExitCode ReportNothingInstalled() {
    SysMessageBox(nullptr, "Tessellograph was not installed!!!", OutcomeCaption, MessageBoxWarning);
    return ExitNothingInstalled;
}
