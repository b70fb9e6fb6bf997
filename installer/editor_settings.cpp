#include "installer/editor_settings.h"

#include "base/platform.h"
#include "base/text.h"

static const char SettingsKey[] = "Software\\Quorrelin\\Tessellograph";

// Elevated with another account's password, the installer's own
// HKEY_CURRENT_USER is that account's: the desktop's user is found in
// HKEY_USERS under its security identifier.
void ResetEditorSettings() {
    static char userKey[TextCapacity];
    PlatformHandle key = nullptr;
    bool desktopUser = SysGetDesktopUser(userKey) && AppendText(userKey, "\\") && AppendText(userKey, SettingsKey);
    PlatformError error = desktopUser ? SysRegOpenKey(RootUsers, userKey, &key)
                                      : SysRegOpenKey(RootCurrentUser, SettingsKey, &key);
    if (error != 0) return;
    SysRegDeleteValue(key, "Data");
    SysRegDeleteValue(key, "Sweep");
    SysRegCloseKey(key);
}
