#include "installer/install_sequence.h"

#include "deploy/program_files.h"
#include "deploy/start_menu.h"
#include "installer/install_state.h"
#include "installer/text.h"
#include "registration/document_types.h"
#include "registration/program_ids.h"

// Stage 7, the main shortcut, is the second turn of CreateShortcuts: it is
// saved before its target, the main program, is written.
const InstallStage InstallSequence[InstallStageCount] = {
    {1, "create the install folder", CreateInstallFolder},
    {2, "write Brick.tpf", WriteSampleDocument},
    {3, "create the Start-menu group", CreateStartMenuGroup},
    {4, "register the engine program id", RegisterEngineProgramId},
    {5, "write Tessellograph3D.exe", WriteEngineProgram},
    {6, "create both shortcuts", CreateShortcuts},
    {8, "write Tessellograph.exe", WriteMainProgram},
    {9, "register the main program id", RegisterMainProgramId},
    {10, "register the document types", RegisterDocumentTypes},
    {11, "register the .tpf association", RegisterTpfAssociation},
};

// The dialog accepts only folders these fit after; an empty path makes the
// stages that need it fail rather than write somewhere else.
static void FormProgramPath(char (&path)[TextCapacity], const char* fileName) {
    if (!SetText(path, InstallPath) || !AppendText(path, fileName)) path[0] = 0;
}

static void FormProgramPaths() {
    FormProgramPath(MainProgramPath, "\\Tessellograph.exe");
    FormProgramPath(EngineProgramPath, "\\Tessellograph3D.exe");
}

unsigned RunInstallSequence() {
    FormProgramPaths();
    unsigned failedStages = 0;
    for (const InstallStage& stage : InstallSequence) {
        if (!stage.run()) failedStages++;
    }
    return failedStages;
}
