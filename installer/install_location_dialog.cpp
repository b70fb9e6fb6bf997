#include "installer/install_location_dialog.h"

#include "installer/install_folder.h"
#include "base/install_state.h"
#include "base/text.h"

static const char DialogCaption[] = "Install Tessellograph at";

// Top-left corner that centres a window of the given outer rectangle in the
// work area, kept inside it when the window is the larger.
static void CentreInWorkArea(const WindowRect& window, const WindowRect& work, int* x, int* y) {
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    int workWidth = work.right - work.left;
    int workHeight = work.bottom - work.top;
    // A window larger than the work area keeps its caption on screen.
    *x = work.left + (workWidth > width ? (workWidth - width) / 2 : 0);
    *y = work.top + (workHeight > height ? (workHeight - height) / 2 : 0);
}

// The folder, with its end in view: the folder's own name, however long.
static void ShowFolder(PlatformHandle dialog) {
    SysSetDlgItemText(dialog, ControlInstallPath, InstallPath);
    SysShowTextEnd(dialog, ControlInstallPath);
}

static void InitDialog(PlatformHandle dialog) {
    FolderBrowser.owner = dialog;
    SysSetIcon(dialog, InstallerIcon);
    WindowRect rect;
    SysGetWindowRect(dialog, &rect);
    int x, y;
    CentreInWorkArea(rect, WorkArea, &x, &y);
    SysMoveWindow(dialog, x, y, rect.right - rect.left, rect.bottom - rect.top);
    ShowFolder(dialog);
}

// Why a folder the shell could not give as a path cannot take the install.
static FolderProblem ProblemOfShellAnswer(ItemPath answer) {
    switch (answer) {
    case ItemPathNotOnDisk: return FolderNotOnDisk;
    case ItemPathNotAnsi: return FolderNotRepresentable;
    case ItemPathTooLong: return FolderTooLong;
    case ItemPathFound: break;
    }
    return FolderUsable;
}

static void Refuse(PlatformHandle dialog, FolderProblem problem) {
    SysMessageBox(dialog, FolderProblemText(problem), DialogCaption, MessageBoxWarning);
}

// The chosen folder replaces the whole install folder, unless it cannot
// take the install; then the previous folder stays.
static void Browse(PlatformHandle dialog) {
    PlatformHandle itemList = SysBrowseForFolder(&FolderBrowser);
    if (itemList == nullptr) return;
    static char chosen[TextCapacity];
    chosen[0] = 0;
    ItemPath found = SysGetPathFromItemList(itemList, chosen);
    SysCoTaskMemFree(itemList);
    FolderProblem problem = found == ItemPathFound ? CheckInstallFolder(chosen) : ProblemOfShellAnswer(found);
    if (problem != FolderUsable) {
        Refuse(dialog, problem);
        return;
    }
    SetText(InstallPath, chosen);
    ShowFolder(dialog);
}

static void Confirm(PlatformHandle dialog) {
    FolderProblem problem = CheckInstallFolder(InstallPath);
    if (problem != FolderUsable) {
        Refuse(dialog, problem);
        return;
    }
    SysEndDialog(dialog, DialogInstall);
}

bool InstallLocationDialogProc(PlatformHandle dialog, unsigned message, MessageParameter wParam,
                               MessageParameter) {
    switch (message) {
    case MessageInitDialog:
        InitDialog(dialog);
        return true;
    case MessageCommand:
        if ((wParam >> 16 & 0xFFFF) != 0) return false;  // a notification, not a command
        switch (wParam & 0xFFFF) {
        case ControlOk: Confirm(dialog); return true;
        case ControlCancel: SysEndDialog(dialog, DialogCancel); return true;
        default: Browse(dialog); return true;
        }
    case MessageSysCommand:
        if (wParam != SysCommandClose) return false;
        SysEndDialog(dialog, DialogCancel);
        return true;
    }
    return false;
}
