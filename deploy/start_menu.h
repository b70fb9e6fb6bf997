// The program group in the all-users Programs menu and its two shortcuts.
#pragma once
#include "base/text.h"

extern char StartMenuGroup[TextCapacity];

bool CreateStartMenuGroup();  // the group folder, named after the install folder
bool CreateShortcuts();       // "Tessellograph3D.lnk", then "Tessellograph.lnk"
