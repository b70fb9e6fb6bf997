#include "registration/registry_writer.h"

#include "base/failure_record.h"
#include "base/text.h"

static const char* RootName(RegistryRoot root) {
    switch (root) {
    case RootClassesRoot: return "HKEY_CLASSES_ROOT\\";
    case RootCurrentUser: return "HKEY_CURRENT_USER\\";
    case RootLocalMachine: return "HKEY_LOCAL_MACHINE\\";
    case RootUsers: return "HKEY_USERS\\";
    }
    return "";
}

static void RecordKeyFailure(RegistryRoot root, const char* keyPath, PlatformError error) {
    static char name[TextCapacity];
    SetText(name, RootName(root));
    if (!AppendText(name, keyPath)) SetText(name, keyPath);
    RecordFailure(name, error);
}

bool SetDefaultValue(RegistryRoot root, const char* keyPath, KeyAccess access,
                     RegistryValueType type, const char* text) {
    PlatformHandle key = nullptr;
    PlatformError error = access == CreateKey ? SysRegCreateKey(root, keyPath, &key)
                                              : SysRegOpenKey(root, keyPath, &key);
    if (error != 0) {
        RecordKeyFailure(root, keyPath, error);
        return false;
    }
    error = SysRegSetDefaultValue(key, type, text, StringLength(text) + 1);
    SysRegCloseKey(key);
    if (error != 0) RecordKeyFailure(root, keyPath, error);
    return error == 0;
}
