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

static ProgramNaming MainProgramNaming() {
    return ProgramNaming{MainProgramPath, ProgramFilesPath, ProgramFilesReference};
}

// A value that names the main program, written when its text could be
// composed; a text that did not fit is a failure of this key, and the walk
// goes on.
static bool WriteProgramValue(const char* keyPath, bool composed, const char* text) {
    if (!composed) {
        RecordFailure(MainProgramPath, ErrorFilenameTooLong);
        return false;
    }
    return SetDefaultValue(RootLocalMachine, keyPath, CreateKey, ValueExpandString, text);
}

static bool ComposeDocumentKey(char (&keyPath)[TextCapacity], const DocumentType& row, const char* suffix) {
    return SetText(keyPath, "SOFTWARE\\Classes\\Quorrelin.Tessellograph") &&
           AppendText(keyPath, row.extension) && AppendText(keyPath, suffix);
}

static bool RegisterDocumentType(const DocumentType& row) {
    static char keyPath[TextCapacity];
    static char value[TextCapacity];
    ProgramNaming naming = MainProgramNaming();
    bool ok = true;
    if (ComposeDocumentKey(keyPath, row, "\\shell\\open\\command")) {
        ok = WriteProgramValue(keyPath, OpenCommandText(value, sizeof value, naming), value) && ok;
    }
    if (ComposeDocumentKey(keyPath, row, "\\DefaultIcon")) {
        if (row.iconIndex == NoProgramIcon) {
            ok = SetDefaultValue(RootLocalMachine, keyPath, CreateKey, ValueString, "%1") && ok;
        } else {
            bool composed = ProgramIconText(value, sizeof value, naming, row.iconIndex);
            ok = WriteProgramValue(keyPath, composed, value) && ok;
        }
    }
    if (ComposeDocumentKey(keyPath, row, "")) {
        ok = SetDefaultValue(RootLocalMachine, keyPath, OpenKey, ValueString, row.description) && ok;
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
    static char value[TextCapacity];
    ProgramNaming naming = MainProgramNaming();
    bool ok = SetDefaultValue(RootLocalMachine, "SOFTWARE\\Classes\\.tpf", CreateKey, ValueString, "tpffile");
    ok = WriteProgramValue("SOFTWARE\\Classes\\tpffile\\shell\\open\\command",
                           OpenCommandText(value, sizeof value, naming), value) && ok;
    ok = WriteProgramValue("SOFTWARE\\Classes\\tpffile\\DefaultIcon",
                           ProgramIconText(value, sizeof value, naming, 0), value) && ok;
    ok = SetDefaultValue(RootLocalMachine, "SOFTWARE\\Classes\\tpffile", OpenKey, ValueString,
                         "Tessellograph TPF File") && ok;
    SysNotifyAssociationsChanged();
    return ok;
}
