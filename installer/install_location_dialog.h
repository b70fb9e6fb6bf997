// The dialog that asks where to install: "TPFI000".
#pragma once
#include "base/platform.h"

enum {
    DialogInstall = 1,
    DialogCancel = 0,
    ControlOk = 1,
    ControlCancel = 2,
    ControlInstallPath = 3072,
    ControlBrowse = 3073,
};

// The dialog procedure: true when the message was handled.
bool InstallLocationDialogProc(PlatformHandle dialog, unsigned message, MessageParameter wParam,
                               MessageParameter lParam);

