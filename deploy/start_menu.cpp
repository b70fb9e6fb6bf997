#include "deploy/start_menu.h"

#include "deploy/folders.h"
#include "base/failure_record.h"
#include "base/install_state.h"
#include "base/platform.h"

// Stage 3's group, and whether its path could be formed, for the shortcuts
// of stages 6 and 7.
static char StartMenuGroup[TextCapacity];
static bool GroupKnown;

static const char ProgramsFolderName[] = "the all-users Programs folder";

// A shell folder's path, or the error that kept the shell from giving one
// (and an empty path).
static PlatformError GetShellFolderPath(ShellFolder folder, char (&path)[TextCapacity]) {
    PlatformHandle itemList = nullptr;
    PlatformError error = SysGetSpecialFolderLocation(folder, &itemList);
    if (error == 0) {
        if (SysGetPathFromItemList(itemList, path) != ItemPathFound) error = ErrorPathNotFound;
        SysAllocatorFree(ShellAllocator, itemList);
    }
    if (error != 0) path[0] = 0;  // a failed answer may have filled it without ending it
    return error;
}

PlatformError ComposeStartMenuGroup(const char* installPath, char (&group)[TextCapacity]) {
    PlatformError error = GetShellFolderPath(FolderCommonPrograms, group);
    if (error == 0 && (!AppendText(group, "\\") || !AppendText(group, LastPathComponent(installPath)))) {
        error = ErrorFilenameTooLong;
        group[0] = 0;
    }
    return error;
}

bool IsCommonStartupFolder(const char* group) {
    static char startup[TextCapacity];
    return GetShellFolderPath(FolderCommonStartup, startup) == 0 && SameTextIgnoringCase(group, startup);
}

bool CreateStartMenuGroup() {
    PlatformError error = ComposeStartMenuGroup(InstallPath, StartMenuGroup);
    GroupKnown = error == 0;
    if (error != 0) {
        RecordFailure(error == ErrorFilenameTooLong ? InstallPath : ProgramsFolderName, error);
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
static bool SaveShortcut(const char* linkPath, const char* target) {
    static unsigned short wideLinkPath[TextCapacity];
    PlatformError error = SysAnsiToWide(linkPath, wideLinkPath, TextCapacity);
    if (error != 0) {
        RecordFailure(linkPath, error);
        return false;
    }
    PlatformHandle link = nullptr;
    error = SysCreateShellLink(&link);
    if (error != 0) {
        RecordFailure(linkPath, error);
        return false;
    }
    PlatformHandle persistFile = nullptr;
    error = SysQueryPersistFile(link, &persistFile);
    if (error == 0) {
        error = SysShellLinkSetPath(link, target);
        PlatformError saved = SysPersistFileSave(persistFile, wideLinkPath);
        if (error == 0) error = saved;
        SysRelease(persistFile);
    }
    SysRelease(link);
    if (error != 0) RecordFailure(linkPath, error);
    return error == 0;
}

bool CreateShortcuts() {
    static char linkPath[TextCapacity];
    static char target[TextCapacity];
    // Without a group there is nowhere to put them.
    if (!GroupKnown) {
        RecordFailure(ProgramsFolderName, ErrorPathNotFound);
        return false;
    }
    if (!SetText(linkPath, StartMenuGroup) || !AppendText(linkPath, "\\Tessellograph3D.lnk") ||
        !SetText(target, EngineProgramPath)) {
        RecordFailure(StartMenuGroup, ErrorFilenameTooLong);
        return false;
    }
    bool ok = true;
    unsigned char shortcutCount = 2;
    for (;;) {
        ok = SaveShortcut(linkPath, target) && ok;
        if (--shortcutCount == 0) break;
        DropThreeDBeforeExtension(linkPath);
        DropThreeDBeforeExtension(target);
    }
    return ok;
}
