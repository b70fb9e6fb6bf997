#include "deploy/start_menu.h"

#include "deploy/folders.h"
#include "base/failure_record.h"
#include "base/install_state.h"
#include "base/platform.h"

char StartMenuGroup[TextCapacity];

static char LinkPath[TextCapacity];
static unsigned short WideLinkPath[TextCapacity];
static char LinkTarget[TextCapacity];

static const PlatformError PathNotFound = 3;       // ERROR_PATH_NOT_FOUND
static const PlatformError NameTooLong = 206;      // ERROR_FILENAME_EXCED_RANGE

static const char ProgramsFolderName[] = "the all-users Programs folder";

PlatformError ComposeStartMenuGroup(const char* installPath, char (&group)[TextCapacity]) {
    PlatformHandle itemList = nullptr;
    PlatformError error = SysGetSpecialFolderLocation(FolderCommonPrograms, &itemList);
    if (error == 0) {
        if (SysGetPathFromItemList(itemList, group) != ItemPathFound) {
            error = PathNotFound;
        } else if (!AppendText(group, "\\") || !AppendText(group, LastPathComponent(installPath))) {
            error = NameTooLong;
        }
        SysAllocatorFree(ShellAllocator, itemList);
    }
    if (error != 0) group[0] = 0;  // a failed answer may have filled it without ending it
    return error;
}

bool CreateStartMenuGroup() {
    PlatformError error = ComposeStartMenuGroup(InstallPath, StartMenuGroup);
    if (error != 0) {
        RecordFailure(error == NameTooLong ? InstallPath : ProgramsFolderName, error);
        return false;
    }
    error = CreateFolder(StartMenuGroup);
    if (error != 0) {
        RecordFailure(StartMenuGroup, error);
        return false;
    }
    return true;
}

// One shell-link object per shortcut: set the target, save, release.
static bool SaveShortcut() {
    PlatformError error = SysAnsiToWide(LinkPath, WideLinkPath, TextCapacity);
    if (error != 0) {
        RecordFailure(LinkPath, error);
        return false;
    }
    PlatformHandle link = nullptr;
    error = SysCreateShellLink(&link);
    if (error != 0) {
        RecordFailure(LinkPath, error);
        return false;
    }
    PlatformHandle persistFile = nullptr;
    error = SysQueryPersistFile(link, &persistFile);
    if (error == 0) {
        error = SysShellLinkSetPath(link, LinkTarget);
        PlatformError saved = SysPersistFileSave(persistFile, WideLinkPath);
        if (error == 0) error = saved;
        SysRelease(persistFile);
    }
    SysRelease(link);
    if (error != 0) RecordFailure(LinkPath, error);
    return error == 0;
}

bool CreateShortcuts() {
    // Without a group there is nowhere to put them.
    if (StartMenuGroup[0] == 0) {
        RecordFailure(ProgramsFolderName, PathNotFound);
        return false;
    }
    if (!SetText(LinkPath, StartMenuGroup) || !AppendText(LinkPath, "\\Tessellograph3D.lnk") ||
        !SetText(LinkTarget, EngineProgramPath)) {
        RecordFailure(StartMenuGroup, NameTooLong);
        return false;
    }
    bool ok = true;
    unsigned char shortcutCount = 2;
    for (;;) {
        ok = SaveShortcut() && ok;
        if (--shortcutCount == 0) break;
        DropThreeDBeforeExtension(LinkPath);
        DropThreeDBeforeExtension(LinkTarget);
    }
    return ok;
}
