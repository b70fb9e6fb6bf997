#include "base/failure_record.h"

#include "base/text.h"

static unsigned Failures;
static char FirstFailure[TextCapacity];
static PlatformError FirstError;

void RecordFailure(const char* what, PlatformError error) {
    if (Failures++ != 0) return;
    if (!SetText(FirstFailure, what)) SetText(FirstFailure, "(a path too long to show)");
    FirstError = error;
}

unsigned FailureCount() { return Failures; }
const char* FirstFailedItem() { return FirstFailure; }
PlatformError FirstFailureError() { return FirstError; }

void ResetFailures() {
    Failures = 0;
    FirstFailure[0] = 0;
    FirstError = 0;
}

void DescribeErrorNumber(PlatformError error, char* text, unsigned capacity) {
    char number[12];
    if ((error & 0x80000000u) != 0) FormatHex(error, number);  // an HRESULT
    else FormatDecimal(static_cast<int>(error), number, sizeof number);
    SetText(text, capacity, "system error ");
    AppendText(text, capacity, number);
}
