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
