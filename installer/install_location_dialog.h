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

// Top-left corner that centres a window of the given outer rectangle in the
// work area, kept inside it when the window is the larger.
void CentreInWorkArea(const WindowRect& window, const WindowRect& work, int* x, int* y);
