// The one way the installer writes the registry: the default value of a key.
#pragma once
#include "base/platform.h"

enum KeyAccess { CreateKey, OpenKey };

// Creates (class "REG_SZ") or opens the key, sets its default value with the
// NUL counted, and closes it. A failure is recorded for the outcome message.
bool SetDefaultValue(RegistryRoot root, const char* keyPath, KeyAccess access,
                     RegistryValueType type, const char* text);
