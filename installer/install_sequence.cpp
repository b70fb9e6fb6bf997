#include "installer/install_sequence.h"

#include "deploy/program_files.h"
#include "deploy/start_menu.h"
#include "base/install_state.h"
#include "base/text.h"
#include "registration/document_types.h"
#include "registration/program_ids.h"

// Stage 7, the main shortcut, is the second turn of CreateShortcuts: it is
// saved before its target, the main program, is written.
const InstallStage InstallSequence[InstallStageCount] = {
    {1, CreateInstallFolder},
    {2, WriteSampleDocument},      // Brick.tpf
    {3, CreateStartMenuGroup},
    {4, RegisterEngineProgramId},
    {5, WriteEngineProgram},       // Tessellograph3D.exe
    {6, CreateShortcuts},          // and 7
    {8, WriteMainProgram},         // Tessellograph.exe
    {9, RegisterMainProgramId},
    {10, RegisterDocumentTypes},
    {11, RegisterTpfAssociation},
};

static bool FormProgramPath(char (&path)[TextCapacity], const char* fileName) {
    return SetText(path, InstallPath) && AppendText(path, fileName);
}

bool FormInstallPaths() {
    return FormProgramPath(MainProgramPath, "\\Tessellograph.exe") &&
           FormProgramPath(EngineProgramPath, "\\Tessellograph3D.exe") &&
           FormProgramPath(SampleDocumentPath, "\\Brick.tpf");
}

unsigned RunInstallSequence() {
    unsigned failedStages = 0;
    for (const InstallStage& stage : InstallSequence) {
        if (!stage.run()) failedStages++;
    }
    return failedStages;
}
