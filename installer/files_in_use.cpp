#include "installer/files_in_use.h"

#include "base/install_state.h"
#include "base/platform.h"
#include "base/text.h"
#include "deploy/program_files.h"

static const char Caption[] = "TessellographInstall";

bool OnlyCopyRunning() {
    if (SysClaimMutex("Global\\TessellographInstall")) return true;
    SysMessageBox(nullptr, "TessellographInstall is already running.\r\nFinish that install first.", Caption,
                  MessageBoxWarning);
    return false;
}

// Whether another program holds a file the install replaces.
static bool FileHeld() {
    return FileInUse(SampleDocumentPath) || FileInUse(EngineProgramPath) || FileInUse(MainProgramPath);
}

bool InstallFilesFree() {
    static char message[TextCapacity];
    for (;;) {
        bool held = FileHeld();
        for (unsigned waited = 0; held && waited < QuietWait; waited += RetryInterval) {
            SysSleep(RetryInterval);
            held = FileHeld();
        }
        if (!held) return true;
        // The folder takes at most 248 characters: the text fits.
        SetText(message, "Tessellograph or another program is using its files in ");
        AppendText(message, InstallPath);
        AppendText(message, ".\r\nClose it and choose Retry, or Cancel to install nothing.");
        if (SysMessageBox(nullptr, message, Caption, MessageBoxRetryCancelWarning) != AnswerRetry) return false;
    }
}
