#include "installer/run_installer.h"

#include "base/install_state.h"
#include "base/platform.h"
#include "base/text.h"
#include "installer/editor_settings.h"
#include "installer/files_in_use.h"
#include "installer/install_location_dialog.h"
#include "installer/install_sequence.h"

static const unsigned InstallerIconId = 500;

// The default install folder: Program Files + "\Quorrelin". When the shell
// cannot say where Program Files is, the folder stays empty and the user
// must browse for one.
static void ChooseDefaultInstallPath() {
    InstallPath[0] = 0;
    ProgramFilesPath[0] = 0;
    if (SysGetSpecialFolderLocation(FolderProgramFiles, &ProgramFilesItemList) != 0) {
        ProgramFilesItemList = nullptr;
        return;
    }
    if (SysGetPathFromItemList(ProgramFilesItemList, InstallPath) != ItemPathFound) {
        InstallPath[0] = 0;
        return;
    }
    SetText(ProgramFilesPath, InstallPath);
    if (!AppendText(InstallPath, "\\Quorrelin")) InstallPath[0] = 0;
}

ExitCode RunInstaller() {
    Module = SysGetModuleHandle();
    InstallerIcon = SysLoadIcon(Module, InstallerIconId);
    if (!OnlyCopyRunning()) return ExitNothingInstalled;
    ResetEditorSettings();
    SysGetWorkArea(&WorkArea);
    SysCoInitialize();
    if (SysGetShellAllocator(&ShellAllocator) != 0) {
        SysCoUninitialize();
        return ExitNothingInstalled;
    }
    ProgramFilesReference = SysIsWow64() ? "%ProgramFiles(x86)%" : "%ProgramFiles%";
    ChooseDefaultInstallPath();
    FolderBrowser.flags = BrowseNewDialogStyle | BrowseReturnOnlyFileSystemFolders;

    bool install = SysRunDialog(Module, "TPFI000", InstallLocationDialogProc) == DialogInstall &&
                   FormInstallPaths() && InstallFilesFree();
    if (install) RunInstallSequence();
    ExitCode code = install ? ReportInstall() : ReportNothingInstalled();

    if (ProgramFilesItemList != nullptr) SysAllocatorFree(ShellAllocator, ProgramFilesItemList);
    SysAllocatorRelease(ShellAllocator);
    SysCoUninitialize();
    return code;
}
