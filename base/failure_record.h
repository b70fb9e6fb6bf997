// What the install sequence could not do, for an honest outcome message.
#pragma once
#include "base/platform.h"

// Notes that the platform refused something; the first one is kept for the
// message. `what` names it: a path, or a registry key with its root.
void RecordFailure(const char* what, PlatformError error);
unsigned FailureCount();
const char* FirstFailedItem();
PlatformError FirstFailureError();
void ResetFailures();

// The text for an error the system has no message for: "system error 0x80004005"
// for an HRESULT, "system error 1234" for a Win32 error code.
void DescribeErrorNumber(PlatformError error, char* text, unsigned capacity);
