// Whether a folder can take the install, and how to tell the user it cannot.
#pragma once

enum FolderProblem {
    FolderUsable,
    FolderEmpty,            // no folder known yet
    FolderNotOnDisk,        // a virtual folder such as the network root
    FolderNotRepresentable, // its name cannot be spelled in the ANSI code page
    FolderTooLong,          // it, its group or a file in them would pass the system's limits
    FolderHasPercentSign,   // the registry's values would expand part of its name
    FolderStartsAtSignIn,   // its group would be the all-users Startup folder
};

// Characters (UTF-16 units), without the NUL: a file path, and a folder that
// CreateDirectory makes (room is left for an 8.3 name).
enum { MaxPathLength = 259, MaxFolderLength = 248 };

FolderProblem CheckInstallFolder(const char* path);
const char* FolderProblemText(FolderProblem problem);
