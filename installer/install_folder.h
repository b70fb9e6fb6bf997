// Whether a folder can take the install, and how to tell the user it cannot.
#pragma once

enum FolderProblem {
    FolderUsable,
    FolderEmpty,            // no folder known yet
    FolderNotOnDisk,        // a virtual folder such as the network root
    FolderNotRepresentable, // its name cannot be spelled in the ANSI code page
    FolderTooLong,          // a file path inside it would pass the system's limit
};

enum { MaxPathLength = 259 };  // characters, without the NUL

FolderProblem CheckInstallFolder(const char* path);
const char* FolderProblemText(FolderProblem problem);
