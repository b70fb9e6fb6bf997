// Registry scenarios: the 43 default values the installer writes, read back
// in the prefix, expanded by a 32-bit and (in a win64 prefix) a 64-bit reader,
// and followed to the installed editor and its icons.
#include "driver_support.h"

#include <shellapi.h>

#include <cstdlib>
#include <map>

#include "reader64/program_reference.h"

// Defined here, used by the shortcut scenarios too.
InstallOutcome RunInstallInBrowsedFolder(const std::string& folder);
bool CheckInstalled(const InstallOutcome& outcome, const char* what);

namespace {

struct ExpectedValue {
    HKEY root;  // as the installer writes it
    std::string path;
    DWORD type;
    std::string text;
    ReferenceKind kind;
};

const char* RootName(HKEY root) {
    return root == HKEY_CLASSES_ROOT ? "HKCR" : root == HKEY_LOCAL_MACHINE ? "HKLM" : "HKCU";
}

std::string FullName(const ExpectedValue& value) {
    return std::string(RootName(value.root)) + "\\" + value.path;
}

// Where the same key shows up in the other root: HKCR is the merged view of
// HKLM\SOFTWARE\Classes, and an administrator's HKCR writes land there.
HKEY OtherRoot(const ExpectedValue& value, std::string* path) {
    static const std::string classes = "SOFTWARE\\Classes\\";
    if (value.root == HKEY_LOCAL_MACHINE) {
        *path = value.path.substr(classes.size());
        return HKEY_CLASSES_ROOT;
    }
    *path = classes + value.path;
    return HKEY_LOCAL_MACHINE;
}

struct DocumentRow {
    const char* extension;
    const char* description;
    int icon;  // -1: the document is its own icon ("%1")
};

const DocumentRow DocumentRows[] = {
    {".bmp", "Tessellograph BMP File", 27},
    {".gif", "Tessellograph GIF File", 28},
    {".jpg", "Tessellograph JPG File", 29},
    {".pcx", "Tessellograph PCX File", 30},
    {".png", "Tessellograph PNG File", 31},
    {".tif", "Tessellograph TIF File", 32},
    {".tpf", "Tessellograph TPF File", 0},
    {".ani", "Tessellograph Animated Cursor", -1},
    {".cur", "Tessellograph Cursor", -1},
    {".icl", "Tessellograph Icon Library", -1},
    {".ico", "Tessellograph Icon", -1},
};

// The 43 values for an install whose main program the registry names as
// `named` (the text before any expansion).
std::vector<ExpectedValue> ExpectedValues(const std::string& named) {
    const std::string classes = "SOFTWARE\\Classes\\";
    const std::string open = "\"" + named + "\" \"%1\"";
    auto icon = [&](int index) { return named + "," + std::to_string(index); };
    std::vector<ExpectedValue> values;
    auto add = [&](HKEY root, const std::string& path, DWORD type, const std::string& text,
                   ReferenceKind kind) { values.push_back({root, path, type, text, kind}); };

    const struct {
        const char* id;
        const char* description;
    } programIds[] = {{"Quorrelin.Tessellograph3D", "Quorrelin 3D-engine Tessellograph3D"},
                      {"Quorrelin.Tessellograph", "Quorrelin bitmap editor Tessellograph"}};
    for (const auto& id : programIds) {
        add(HKEY_LOCAL_MACHINE, classes + id.id + "\\CurVer", REG_SZ, std::string(id.id) + ".1",
            PlainValue);
        add(HKEY_LOCAL_MACHINE, classes + id.id, REG_SZ, id.description, PlainValue);
        add(HKEY_LOCAL_MACHINE, classes + id.id + ".1", REG_SZ, id.description, PlainValue);
    }
    for (const DocumentRow& row : DocumentRows) {
        std::string key = classes + "Quorrelin.Tessellograph" + row.extension;
        add(HKEY_LOCAL_MACHINE, key + "\\shell\\open\\command", REG_EXPAND_SZ, open, CommandValue);
        if (row.icon >= 0) {
            add(HKEY_LOCAL_MACHINE, key + "\\DefaultIcon", REG_EXPAND_SZ, icon(row.icon), IconValue);
        } else {
            add(HKEY_LOCAL_MACHINE, key + "\\DefaultIcon", REG_SZ, "%1", PlainValue);
        }
        add(HKEY_LOCAL_MACHINE, key, REG_SZ, row.description, PlainValue);
    }
    add(HKEY_CLASSES_ROOT, ".tpf", REG_SZ, "tpffile", PlainValue);
    add(HKEY_CLASSES_ROOT, "tpffile\\shell\\open\\command", REG_EXPAND_SZ, open, CommandValue);
    add(HKEY_CLASSES_ROOT, "tpffile\\DefaultIcon", REG_EXPAND_SZ, icon(0), IconValue);
    add(HKEY_CLASSES_ROOT, "tpffile", REG_SZ, "Tessellograph TPF File", PlainValue);
    return values;
}

const char* TypeName(DWORD type) {
    switch (type) {
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    }
    return "other";
}

std::string Expand32(const std::string& text) {
    char buffer[4096];
    DWORD length = ExpandEnvironmentStringsA(text.c_str(), buffer, sizeof buffer);
    return length == 0 || length > sizeof buffer ? std::string() : std::string(buffer);
}

// Type, byte count (NUL included), text and key class of one value as read.
void CheckStored(const RegistryValue& read, const ExpectedValue& expected, const std::string& where) {
    if (!Check(read.keyExists && read.valueExists, "%s: default value present", where.c_str())) {
        return;
    }
    Check(read.type == expected.type, "%s: type %s (read %s)", where.c_str(), TypeName(expected.type),
          TypeName(read.type));
    Check(read.byteCount == expected.text.size() + 1, "%s: %u bytes (read %lu)", where.c_str(),
          static_cast<unsigned>(expected.text.size() + 1), read.byteCount);
    CheckEqual(read.data, expected.text, (where + ": text").c_str());
    CheckEqual(read.keyClass, "REG_SZ", (where + ": key class").c_str());
}

// The value names the installed editor, and a 32-bit shell finds it and the icon.
void CheckReference32(const ExpectedValue& expected, const std::string& data,
                      const std::string& installedProgram) {
    if (expected.kind == PlainValue) return;
    std::string where = FullName(expected) + " (32-bit)";
    std::string named = ReferencedProgram(expected.kind, data);
    if (!Check(!named.empty(), "%s: %s names a program", where.c_str(),
               ReferenceKindName(expected.kind))) {
        return;
    }
    std::string program = Expand32(named);
    Check(SameText(program, installedProgram), "%s: expands to %s (got %s)", where.c_str(),
          installedProgram.c_str(), program.c_str());
    Check(FileExists(program), "%s: %s exists", where.c_str(), program.c_str());
    if (expected.kind == IconValue) {
        int index = ReferencedIconIndex(data);
        HICON large = nullptr;
        UINT extracted = ExtractIconExA(program.c_str(), index, &large, nullptr, 1);
        Check(extracted == 1 && large != nullptr, "%s: icon %d extracts (result %u)", where.c_str(),
              index, extracted);
        if (large) DestroyIcon(large);
    }
}

// ---- The 64-bit reader ------------------------------------------------------

struct Reader64Line {
    bool keyFound = false, valueFound = false;
    DWORD type = 0, byteCount = 0;
    std::string keyClass, data, program;
    bool programExists = false;
    unsigned iconResult = 0;
    bool iconHandle = false;
    unsigned iconCount = 0;
};

struct Reader64Result {
    bool ran = false;
    unsigned bits = 0;
    std::string programFiles;  // %ProgramFiles% as the reader expands it
    std::map<std::string, Reader64Line> lines;
};

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '^' && i + 2 < text.size()) {
            out += static_cast<char>(std::strtoul(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

std::string DriverFolder() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/"));
}

// Runs reader64.exe (built next to the driver) on the values and parses its report.
Reader64Result RunReader64(const std::vector<ExpectedValue>& values) {
    Reader64Result result;
    std::string reader = DriverFolder() + "\\reader64.exe";
    if (!Check(FileExists(reader), "64-bit reader present: %s", reader.c_str())) return result;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string requests = std::string(temp) + "reader64_in.txt";
    std::string report = std::string(temp) + "reader64_out.txt";
    std::string text;
    for (const ExpectedValue& value : values) {
        text += std::string(ReferenceKindName(value.kind)) + "\t" + FullName(value) + "\n";
    }
    DeleteFileA(report.c_str());
    if (!Check(WriteFileBytes(requests, std::vector<unsigned char>(text.begin(), text.end())),
               "64-bit reader requests written")) {
        return result;
    }
    std::string command = "\"" + reader + "\" \"" + requests + "\" \"" + report + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::vector<char> commandLine(command.begin(), command.end());
    commandLine.push_back(0);
    if (!Check(CreateProcessA(reader.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                              CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info) != 0,
               "64-bit reader started")) {
        Note("CreateProcessA: %s", DescribeSystemError(GetLastError()).c_str());
        return result;
    }
    DWORD waited = WaitForSingleObject(info.hProcess, 60000);
    DWORD exitCode = STILL_ACTIVE;
    GetExitCodeProcess(info.hProcess, &exitCode);
    if (waited != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    if (!Check(exitCode == 0, "64-bit reader exits with 0 (got %lu)", exitCode)) return result;

    std::vector<unsigned char> bytes = ReadFileBytes(report);
    std::string all(bytes.begin(), bytes.end());
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\n', start);
        std::string line = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? all.size() : end + 1;
        std::vector<std::string> f = SplitTabs(line);
        if (f.size() == 3 && f[0] == "reader") {
            result.bits = static_cast<unsigned>(std::atoi(f[1].c_str()));
            result.programFiles = Unescape(f[2]);
        } else if (f.size() == 13) {
            Reader64Line parsed;
            parsed.keyFound = f[2] == "1";
            parsed.valueFound = f[3] == "1";
            parsed.type = std::strtoul(f[4].c_str(), nullptr, 10);
            parsed.byteCount = std::strtoul(f[5].c_str(), nullptr, 10);
            parsed.keyClass = Unescape(f[6]);
            parsed.data = Unescape(f[7]);
            parsed.program = Unescape(f[8]);
            parsed.programExists = f[9] == "1";
            parsed.iconResult = std::strtoul(f[10].c_str(), nullptr, 10);
            parsed.iconHandle = f[11] == "1";
            parsed.iconCount = std::strtoul(f[12].c_str(), nullptr, 10);
            result.lines[Unescape(f[1])] = parsed;
        }
    }
    result.ran = true;
    return result;
}

// What a 64-bit shell reads and finds; a win32 prefix has no 64-bit programs.
void CheckWith64BitReader(const std::vector<ExpectedValue>& values,
                          const std::string& installedProgram) {
    if (!Is64BitPrefix()) {
        Note("skipped: the 64-bit reader (a win32 prefix cannot run 64-bit programs)");
        return;
    }
    Reader64Result reader = RunReader64(values);
    if (!reader.ran) return;
    Check(reader.bits == 64, "64-bit reader is a 64-bit process (%u-bit)", reader.bits);
    // Proves the reader sees the other view: otherwise its expansions prove nothing.
    Check(!SameText(reader.programFiles, ProgramFilesFolder()),
          "64-bit reader's %%ProgramFiles%% (%s) differs from the 32-bit one (%s)",
          reader.programFiles.c_str(), ProgramFilesFolder().c_str());
    Note("table: root\\path | type | bytes | text | class (read by the 64-bit reader)");
    for (const ExpectedValue& value : values) {
        std::string where = FullName(value) + " (64-bit)";
        auto found = reader.lines.find(FullName(value));
        if (!Check(found != reader.lines.end(), "%s: reported", where.c_str())) continue;
        const Reader64Line& line = found->second;
        Note("table: %s | %s | %lu | %s | %s", FullName(value).c_str(), TypeName(line.type),
             line.byteCount, line.data.c_str(), line.keyClass.c_str());
        RegistryValue read = {line.keyFound, line.valueFound, line.type, line.byteCount, line.data,
                              line.keyClass};
        CheckStored(read, value, where);
        if (value.kind == PlainValue) continue;
        Check(SameText(line.program, installedProgram), "%s: expands to %s (got %s)", where.c_str(),
              installedProgram.c_str(), line.program.c_str());
        Check(line.programExists, "%s: %s exists", where.c_str(), line.program.c_str());
        if (value.kind == IconValue) {
            Check(line.iconResult == 1 && line.iconHandle, "%s: icon %d extracts (result %u)",
                  where.c_str(), ReferencedIconIndex(line.data), line.iconResult);
            Check(line.iconCount == 33, "%s: the program holds 33 icons (%u)", where.c_str(),
                  line.iconCount);
        }
    }
}

// ---- Whole checks -------------------------------------------------------------

// Every value stored as expected, visible in both roots, and every program
// reference leads to the installed editor for 32-bit and 64-bit readers.
void CheckAllValues(const std::vector<ExpectedValue>& values, const std::string& installedProgram) {
    Check(values.size() == 43, "43 values expected (%u)", static_cast<unsigned>(values.size()));
    for (const ExpectedValue& value : values) {
        RegistryValue read = ReadRegistryValue(value.root, value.path);
        CheckStored(read, value, FullName(value));
        std::string otherPath;
        HKEY other = OtherRoot(value, &otherPath);
        CheckStored(ReadRegistryValue(other, otherPath), value,
                    std::string(RootName(other)) + "\\" + otherPath);
        CheckReference32(value, read.data, installedProgram);
    }
    UINT count = ExtractIconExA(installedProgram.c_str(), -1, nullptr, nullptr, 0);
    Check(count == 33, "%s holds 33 icons (%u)", installedProgram.c_str(), count);
    CheckWith64BitReader(values, installedProgram);
}

// The extensions whose ProgIDs are registered but which must stay unassociated.
struct ExtensionState {
    std::string extension;
    RegistryValue view32, view64;
};

std::vector<ExtensionState> ReadOtherExtensions() {
    std::vector<ExtensionState> states;
    for (const DocumentRow& row : DocumentRows) {
        if (std::string(row.extension) == ".tpf") continue;
        states.push_back({row.extension, ReadRegistryValue(HKEY_CLASSES_ROOT, row.extension, "", KEY_WOW64_32KEY),
                          ReadRegistryValue(HKEY_CLASSES_ROOT, row.extension, "", KEY_WOW64_64KEY)});
    }
    return states;
}

bool SameState(const RegistryValue& a, const RegistryValue& b) {
    return a.keyExists == b.keyExists && a.valueExists == b.valueExists && a.type == b.type &&
           a.data == b.data;
}

void CheckExtensionsUntouched(const std::vector<ExtensionState>& before) {
    std::vector<ExtensionState> after = ReadOtherExtensions();
    for (size_t i = 0; i < before.size() && i < after.size(); i++) {
        const char* extension = before[i].extension.c_str();
        const struct {
            const char* name;
            const RegistryValue& now;
            const RegistryValue& then;
        } views[] = {{"32-bit view", after[i].view32, before[i].view32},
                     {"64-bit view", after[i].view64, before[i].view64}};
        for (const auto& view : views) {
            Check(view.now.data.rfind("Quorrelin", 0) != 0 && view.now.data != "tpffile",
                  "HKCR\\%s (%s) does not point to our classes (\"%s\")", extension, view.name,
                  view.now.data.c_str());
            Check(SameState(view.now, view.then),
                  "HKCR\\%s (%s) as before the install (key %d, value %d, \"%s\")", extension,
                  view.name, view.now.keyExists, view.now.valueExists, view.now.data.c_str());
        }
    }
}

std::string ProgramFilesReference() {
    return Is64BitPrefix() ? "%ProgramFiles(x86)%" : "%ProgramFiles%";
}

// Snapshot of all values, for comparing two installs.
std::vector<RegistryValue> ReadAll(const std::vector<ExpectedValue>& values) {
    std::vector<RegistryValue> read;
    for (const ExpectedValue& value : values) read.push_back(ReadRegistryValue(value.root, value.path));
    return read;
}

// "C:\A\B": creates C:\A, then C:\A\B.
bool CreateFolderPath(const std::string& path) {
    bool created = true;
    for (size_t at = path.find('\\', 3);; at = path.find('\\', at + 1)) {
        created = CreateFolder(path.substr(0, at));
        if (at == std::string::npos) break;
    }
    return created;
}

BOOL CALLBACK NoteWindowOf(HWND window, LPARAM processId) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == static_cast<DWORD>(processId) && IsWindowVisible(window)) {
        Note("installer window \"%s\" (%s): \"%s\"", WindowText(window).c_str(),
             WindowClassName(window).c_str(), MessageBoxText(window).c_str());
    }
    return TRUE;
}

// What the installer shows when a browse went wrong (a refusal box, say).
void NoteInstallerWindows(const InstallerProcess& process, HWND dialog) {
    Note("install folder shown: \"%s\"", ControlText(dialog, ControlInstallPath).c_str());
    EnumWindows(NoteWindowOf, static_cast<LPARAM>(process.info.dwProcessId));
}

}  // namespace

// ---- Shared with the shortcut scenarios ----------------------------------------

// The success box and exit code of a completed install.
bool CheckInstalled(const InstallOutcome& outcome, const char* what) {
    bool ok = CheckEqual(outcome.text, SuccessText, (std::string(what) + ": outcome box").c_str());
    return Check(outcome.exitCode == 0, "%s: installer exit code 0 (%lu)", what, outcome.exitCode) && ok;
}

// The user presses Browse, picks `folder` in the shell's folder browser (it
// is created first: the browser selects only existing folders), then OK,
// and No in the success box.
InstallOutcome RunInstallInBrowsedFolder(const std::string& folder) {
    InstallOutcome outcome = {};
    outcome.exitCode = STILL_ACTIVE;
    if (!Check(CreateFolderPath(folder), "%s created for the browser", folder.c_str())) return outcome;
    InstallerProcess process = {};
    HWND dialog = StartAndWaitForDialog(&process);
    if (dialog == nullptr) return outcome;
    if (!Check(ChooseFolderWithBrowse(process, dialog, folder), "Browse chose %s", folder.c_str())) {
        NoteInstallerWindows(process, dialog);
        EndInstaller(&process, 0);
        return outcome;
    }
    return ConfirmAndAnswer(&process, dialog, IDNO);
}

// ---- Scenarios ----------------------------------------------------------------

SCENARIO(registry_default) {
    std::vector<ExtensionState> before = ReadOtherExtensions();
    Check(!RegistryKeyExists(HKEY_CLASSES_ROOT, ".tpf"), "pristine prefix has no HKCR\\.tpf");
    InstallOutcome outcome = RunInstall(IDNO);
    if (!CheckInstalled(outcome, "default install")) return;
    CheckEqual(outcome.dialogPath, DefaultInstallFolder(), "dialog's install folder");
    std::string named = ProgramFilesReference() + "\\Quorrelin\\Tessellograph.exe";
    CheckAllValues(ExpectedValues(named), DefaultInstallFolder() + "\\Tessellograph.exe");
    CheckExtensionsUntouched(before);
}

SCENARIO(registry_outside_program_files) {
    const std::string folder = "C:\\Apps\\Tess";
    std::vector<ExtensionState> before = ReadOtherExtensions();
    if (!CheckInstalled(RunInstallInBrowsedFolder(folder), "install into C:\\Apps\\Tess")) return;
    const std::string program = folder + "\\Tessellograph.exe";
    std::vector<ExpectedValue> values = ExpectedValues(program);
    CheckAllValues(values, program);
    // No environment reference: the full path, yet still an expandable string.
    for (const ExpectedValue& value : values) {
        if (value.kind == PlainValue) continue;
        RegistryValue read = ReadRegistryValue(value.root, value.path);
        std::string named = ReferencedProgram(value.kind, read.data);
        Check(named == program && read.type == REG_EXPAND_SZ,
              "%s: names %s with no %% reference, REG_EXPAND_SZ", FullName(value).c_str(),
              named.c_str());
    }
    CheckExtensionsUntouched(before);
}

SCENARIO(registry_reinstall) {
    std::string named = ProgramFilesReference() + "\\Quorrelin\\Tessellograph.exe";
    std::vector<ExpectedValue> values = ExpectedValues(named);
    if (!CheckInstalled(RunInstall(IDNO), "first install")) return;
    std::vector<RegistryValue> first = ReadAll(values);
    // Stale values in place, so the second run must write every one again.
    for (const ExpectedValue& value : values) {
        HKEY key = nullptr;
        bool stale = RegOpenKeyExA(value.root, value.path.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS &&
                     RegSetValueExA(key, "", 0, REG_BINARY, reinterpret_cast<const BYTE*>("stale"), 5) ==
                         ERROR_SUCCESS;
        if (key) RegCloseKey(key);
        Check(stale, "%s: replaced by a stale value", FullName(value).c_str());
    }
    if (!CheckInstalled(RunInstall(IDNO), "second install")) return;
    std::vector<RegistryValue> second = ReadAll(values);
    for (size_t i = 0; i < values.size(); i++) {
        const RegistryValue& a = first[i];
        const RegistryValue& b = second[i];
        Check(a.keyExists == b.keyExists && a.valueExists == b.valueExists && a.type == b.type &&
                  a.byteCount == b.byteCount && a.data == b.data && a.keyClass == b.keyClass,
              "%s: identical after reinstall (%s, %lu bytes, \"%s\")", FullName(values[i]).c_str(),
              TypeName(b.type), b.byteCount, b.data.c_str());
    }
    CheckAllValues(values, DefaultInstallFolder() + "\\Tessellograph.exe");
}
