#include "installer/install_folder.h"

#include "base/text.h"

// The longest file name the install puts in the folder.
static const char LongestFileName[] = "\\Tessellograph3D.exe";

FolderProblem CheckInstallFolder(const char* path) {
    unsigned length = StringLength(path);
    if (length == 0) return FolderEmpty;
    if (length + sizeof LongestFileName - 1 > MaxPathLength) return FolderTooLong;
    return FolderUsable;
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
    }
    return "";
}
