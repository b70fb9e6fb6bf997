// The installer's state: static storage that lives for the whole run.
#pragma once
#include "base/platform.h"
#include "base/text.h"

extern char InstallPath[TextCapacity];
extern char ProgramFilesPath[TextCapacity];
extern char MainProgramPath[TextCapacity];
extern char EngineProgramPath[TextCapacity];
extern char SampleDocumentPath[TextCapacity];

extern PlatformHandle Module;
extern PlatformHandle InstallerIcon;
extern WindowRect WorkArea;
extern PlatformHandle ShellAllocator;
extern PlatformHandle ProgramFilesItemList;
extern FolderBrowserRecord FolderBrowser;

// How registry values name the Program Files folder ("%ProgramFiles%", or
// "%ProgramFiles(x86)%" for a 32-bit installer on 64-bit Windows).
extern const char* ProgramFilesReference;

// Puts every value back to what a fresh process has (for tests that run twice).
void ResetInstallState();
