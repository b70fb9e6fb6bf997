// The program group in the all-users Programs menu and its two shortcuts.
#pragma once
#include "base/platform.h"
#include "base/text.h"

// The group's path: the Programs folder + "\" + the install folder's last
// component. Returns 0, or the error that kept it from being formed (and
// leaves group empty). Needs the shell allocator.
PlatformError ComposeStartMenuGroup(const char* installPath, char (&group)[TextCapacity]);
// Whether the group would be the all-users Startup folder, whose shortcuts
// Windows starts at every sign-in.
bool IsCommonStartupFolder(const char* group);
bool CreateStartMenuGroup();  // the group folder, named after the install folder
bool CreateShortcuts();       // "Tessellograph3D.lnk", then "Tessellograph.lnk"
