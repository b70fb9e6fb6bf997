#include "base/install_state.h"

char InstallPath[TextCapacity];
char ProgramFilesPath[TextCapacity];
char MainProgramPath[TextCapacity];
char EngineProgramPath[TextCapacity];
char SampleDocumentPath[TextCapacity];

PlatformHandle Module;
PlatformHandle InstallerIcon;
WindowRect WorkArea;
PlatformHandle ShellAllocator;
PlatformHandle ProgramFilesItemList;
FolderBrowserRecord FolderBrowser;
const char* ProgramFilesReference;

void ResetInstallState() {
    InstallPath[0] = 0;
    ProgramFilesPath[0] = 0;
    MainProgramPath[0] = 0;
    EngineProgramPath[0] = 0;
    SampleDocumentPath[0] = 0;
    Module = nullptr;
    InstallerIcon = nullptr;
    WorkArea = WindowRect{0, 0, 0, 0};
    ShellAllocator = nullptr;
    ProgramFilesItemList = nullptr;
    FolderBrowser = FolderBrowserRecord{nullptr, 0};
    ProgramFilesReference = "%ProgramFiles%";
}
