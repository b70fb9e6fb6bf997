#include "installer/install_outcome.h"

#include "installer/text.h"

static unsigned Failures;
static char FirstFailure[TextCapacity];
static PlatformError FirstFailureError;

void RecordFailure(const char* what, PlatformError error) {
    if (Failures++ != 0) return;
    if (!SetText(FirstFailure, what)) SetText(FirstFailure, "(a path too long to show)");
    FirstFailureError = error;
}

unsigned FailureCount() { return Failures; }

void ResetOutcome() {
    Failures = 0;
    FirstFailure[0] = 0;
    FirstFailureError = 0;
}

// Drops the line break (and any spaces or dot) that system messages end with.
static void TrimReason(char* reason) {
    unsigned length = StringLength(reason);
    while (length > 0 && (reason[length - 1] == '\r' || reason[length - 1] == '\n' ||
                          reason[length - 1] == ' ')) {
        reason[--length] = 0;
    }
}

void ComposeFailureMessage(char* text, unsigned capacity) {
    static char reason[TextCapacity];
    SysDescribeError(FirstFailureError, reason, sizeof reason);
    TrimReason(reason);
    SetText(text, capacity, "Tessellograph was not completely installed!!!\r\n");
    if (!AppendText(text, capacity, FirstFailure)) return;
    // The reason goes on the same line when it fits whole; it is never cut.
    unsigned lineEnd = StringLength(text);
    if (reason[0] == 0) return;
    if (!AppendText(text, capacity, ": ") || !AppendText(text, capacity, reason)) {
        text[lineEnd] = 0;
    }
}
