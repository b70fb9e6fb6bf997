// What the install sequence managed to do, for an honest outcome message.
#pragma once
#include "installer/platform.h"

// Notes that the platform refused something; the first one is kept for the
// message. `what` names it: a path, or a registry key with its root.
void RecordFailure(const char* what, PlatformError error);
unsigned FailureCount();
void ResetOutcome();

// "Tessellograph was not completely installed!!!", then a line naming the
// first failure and the system's reason for it.
void ComposeFailureMessage(char* text, unsigned capacity);
