#include "installer/install_folder.h"

#include "base/platform.h"
#include "base/text.h"
#include "deploy/start_menu.h"

// The longest names the install puts in the folder and in its group; both
// are 20 characters long.
static const char LongestFileName[] = "\\Tessellograph3D.exe";

// Whether the longest file the install puts in a folder stays within what
// Windows takes, counted as Windows counts. Such a folder is also short
// enough for CreateDirectory.
static_assert(MaxPathLength - (sizeof LongestFileName - 1) <= MaxFolderLength, "a folder that fits its files");
static bool FolderFits(const char* folder) {
    return CharacterCount(folder) + sizeof LongestFileName - 1 <= MaxPathLength;
}

// The group is checked where the shell can say where it goes; where it
// cannot, creating the group reports that.
static FolderProblem CheckGroup(const char* path) {
    static char group[TextCapacity];
    PlatformError error = ComposeStartMenuGroup(path, group);
    if (error == ErrorFilenameTooLong) return FolderTooLong;  // not even a buffer of ours takes it
    if (error != 0) return FolderUsable;  // the Programs folder is unknown: stage 3 says so
    if (!FolderFits(group)) return FolderTooLong;
    if (IsCommonStartupFolder(group)) return FolderStartsAtSignIn;
    return FolderUsable;
}

FolderProblem CheckInstallFolder(const char* path) {
    if (path[0] == 0) return FolderEmpty;
    for (const char* p = path; *p != 0; p = NextCharacter(p)) {
        if (*p == '%') return FolderHasPercentSign;
    }
    if (!FolderFits(path)) return FolderTooLong;
    return CheckGroup(path);
}

const char* FolderProblemText(FolderProblem problem) {
    switch (problem) {
    case FolderUsable: return "";
    case FolderEmpty: return "Choose a folder to install Tessellograph in with Browse.";
    case FolderNotOnDisk:
        return "The folder you chose is not a folder on a disk.\r\n"
               "Choose a folder on a drive to install Tessellograph in.";
    case FolderNotRepresentable:
        return "The name of the folder you chose has characters that Setup cannot use.\r\n"
               "Choose another folder to install Tessellograph in.";
    case FolderTooLong:
        return "The path of the folder you chose is too long.\r\n"
               "Choose a folder with a shorter path to install Tessellograph in.";
    case FolderHasPercentSign:
        return "The path of the folder you chose has a \"%\", which Windows reads as part of a variable.\r\n"
               "Choose a folder without \"%\" to install Tessellograph in.";
    case FolderStartsAtSignIn:
        return "The folder you chose is named Startup: Windows would start Tessellograph at every sign-in.\r\n"
               "Choose a folder with another name to install Tessellograph in.";
    }
    return "";
}
