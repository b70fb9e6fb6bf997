#include "registration/program_ids.h"

#include "base/failure_record.h"
#include "base/text.h"
#include "registration/registry_writer.h"

static const char ClassesKey[] = "SOFTWARE\\Classes\\";

// Key path = "SOFTWARE\Classes\" + progId + suffix.
static bool ComposeClassKey(char* keyPath, unsigned capacity, const char* progId,
                            const char* suffix) {
    return SetText(keyPath, capacity, ClassesKey) && AppendText(keyPath, capacity, progId) &&
           AppendText(keyPath, capacity, suffix);
}

// CurVer names version 1; the ProgID and its ".1" carry the description.
static bool RegisterProgramId(const char* progId, const char* description) {
    static char keyPath[TextCapacity];
    static char currentVersion[TextCapacity];
    bool ok = SetText(currentVersion, progId) && AppendText(currentVersion, ".1");
    if (ok && ComposeClassKey(keyPath, sizeof keyPath, progId, "\\CurVer")) {
        ok = SetDefaultValue(RootLocalMachine, keyPath, CreateKey, ValueString, currentVersion);
    }
    if (ComposeClassKey(keyPath, sizeof keyPath, progId, "")) {
        ok = SetDefaultValue(RootLocalMachine, keyPath, OpenKey, ValueString, description) && ok;
    }
    if (ComposeClassKey(keyPath, sizeof keyPath, progId, ".1")) {
        ok = SetDefaultValue(RootLocalMachine, keyPath, CreateKey, ValueString, description) && ok;
    }
    return ok;
}

bool RegisterEngineProgramId() {
    return RegisterProgramId("Quorrelin.Tessellograph3D", "Quorrelin 3D-engine Tessellograph3D");
}

bool RegisterMainProgramId() {
    return RegisterProgramId("Quorrelin.Tessellograph", "Quorrelin bitmap editor Tessellograph");
}
