#include "registration/document_types.h"

#include "base/failure_record.h"
#include "base/install_state.h"
#include "base/text.h"
#include "registration/registry_writer.h"
#include "registration/value_text.h"

const DocumentType DocumentTypeTable[DocumentTypeCount] = {
    {".bmp", "Tessellograph BMP File", 27},
    {".gif", "Tessellograph GIF File", 28},
    {".jpg", "Tessellograph JPG File", 29},
    {".pcx", "Tessellograph PCX File", 30},
    {".png", "Tessellograph PNG File", 31},
    {".tif", "Tessellograph TIF File", 32},
    {".tpf", "Tessellograph TPF File", 0},
    {".ani", "Tessellograph Animated Cursor", NoProgramIcon},
    {".cur", "Tessellograph Cursor", NoProgramIcon},
    {".icl", "Tessellograph Icon Library", NoProgramIcon},
    {".ico", "Tessellograph Icon", NoProgramIcon},
};


static char KeyPath[TextCapacity];
static char ValueText[TextCapacity];

static ProgramNaming MainProgramNaming() {
    return ProgramNaming{MainProgramPath, ProgramFilesPath, ProgramFilesReference};
}

// Writes ValueText when it could be composed; a text that did not fit is a
// failure of this key, and the walk goes on.
static bool WriteComposed(bool composed, RegistryRoot root, KeyAccess access,
                          RegistryValueType type) {
    if (!composed) {
        RecordFailure(MainProgramPath, ErrorFilenameTooLong);
        return false;
    }
    return SetDefaultValue(root, KeyPath, access, type, ValueText);
}

static bool ComposeDocumentKey(const DocumentType& row, const char* suffix) {
    return SetText(KeyPath, "SOFTWARE\\Classes\\Quorrelin.Tessellograph") &&
           AppendText(KeyPath, row.extension) && AppendText(KeyPath, suffix);
}

static bool RegisterDocumentType(const DocumentType& row) {
    ProgramNaming naming = MainProgramNaming();
    bool ok = true;
    if (ComposeDocumentKey(row, "\\shell\\open\\command")) {
        ok = WriteComposed(OpenCommandText(ValueText, sizeof ValueText, naming), RootLocalMachine,
                           CreateKey, ValueExpandString) && ok;
    }
    if (ComposeDocumentKey(row, "\\DefaultIcon")) {
        if (row.iconIndex == NoProgramIcon) {
            ok = SetDefaultValue(RootLocalMachine, KeyPath, CreateKey, ValueString, "%1") && ok;
        } else {
            bool composed = ProgramIconText(ValueText, sizeof ValueText, naming, row.iconIndex);
            ok = WriteComposed(composed, RootLocalMachine, CreateKey, ValueExpandString) && ok;
        }
    }
    if (ComposeDocumentKey(row, "")) {
        ok = SetDefaultValue(RootLocalMachine, KeyPath, OpenKey, ValueString, row.description) && ok;
    }
    return ok;
}

bool RegisterDocumentTypes() {
    bool ok = true;
    for (const DocumentType& row : DocumentTypeTable) ok = RegisterDocumentType(row) && ok;
    return ok;
}

// Written where every user reads it: a write through HKEY_CLASSES_ROOT goes to
// the installing user's own classes when the key is there already.
bool RegisterTpfAssociation() {
    ProgramNaming naming = MainProgramNaming();
    bool ok = SetDefaultValue(RootLocalMachine, "SOFTWARE\\Classes\\.tpf", CreateKey, ValueString, "tpffile");
    SetText(KeyPath, "SOFTWARE\\Classes\\tpffile\\shell\\open\\command");
    ok = WriteComposed(OpenCommandText(ValueText, sizeof ValueText, naming), RootLocalMachine,
                       CreateKey, ValueExpandString) && ok;
    SetText(KeyPath, "SOFTWARE\\Classes\\tpffile\\DefaultIcon");
    ok = WriteComposed(ProgramIconText(ValueText, sizeof ValueText, naming, 0), RootLocalMachine,
                       CreateKey, ValueExpandString) && ok;
    ok = SetDefaultValue(RootLocalMachine, "SOFTWARE\\Classes\\tpffile", OpenKey, ValueString,
                         "Tessellograph TPF File") && ok;
    SysNotifyAssociationsChanged();
    return ok;
}
