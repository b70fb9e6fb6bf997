#include "tests/base/fake_platform.h"

#include <cstdio>
#include <cstring>

#include "base/failure_record.h"
#include "base/install_state.h"

FakeWorld Fake;

namespace {

PlatformHandle const Dialog = reinterpret_cast<PlatformHandle>(0xD1A1);
int dialogResult;

PlatformHandle NewHandle(const std::string& name) {
    static size_t next = 0x100;
    PlatformHandle handle = reinterpret_cast<PlatformHandle>(next++);
    Fake.named[handle] = name;
    return handle;
}

PlatformError Refused(const std::string& function, const std::string& subject) {
    for (auto rule = Fake.rules.begin(); rule != Fake.rules.end(); ++rule) {
        if (rule->function != function || subject.find(rule->subject) == std::string::npos) continue;
        PlatformError error = rule->error;
        Fake.rules.erase(rule);
        return error;
    }
    return 0;
}

// A handle named `name`, unless the call is refused; `count` keeps track of what is open.
PlatformError Obtain(const char* function, const std::string& name, PlatformHandle* handle, int* count) {
    if (PlatformError error = Refused(function, name)) return error;
    *handle = NewHandle(name);
    ++*count;
    return 0;
}

PlatformError Key(const char* function, RegistryRoot root, const char* path, PlatformHandle* key) {
    std::string name = root == RootCurrentUser ? "HKCU\\" : root == RootUsers ? "HKU\\" : "HKLM\\";
    if (root == RootClassesRoot)
        name = Fake.userClasses.count(path) ? "HKCU\\Software\\Classes\\" : "HKLM\\SOFTWARE\\Classes\\";
    PlatformError error = Obtain(function, name + path, key, &Fake.openKeys);
    Fake.maxOpenKeys = std::max(Fake.maxOpenKeys, Fake.openKeys);
    return error;
}

}  // namespace

void ResetFake() {
    Fake = FakeWorld();
    ResetInstallState();
    ResetFailures();
}

void Fail(const std::string& function, PlatformError error, const std::string& subject) {
    Fake.rules.push_back({function, subject, error});
}

std::vector<std::string> Characters(const std::string& text) {
    std::vector<std::string> characters;
    for (size_t i = 0; i < text.size(); i += characters.back().size())
        characters.push_back(text.substr(i, SysIsLeadByte(text[i]) && i + 1 < text.size() ? 2 : 1));
    return characters;
}
void Press(unsigned id, unsigned notification) { Fake.dialog.push_back({MessageCommand, MessageParameter{notification} << 16 | id}); }

size_t EventIndex(const std::string& prefix) {
    for (size_t i = 0; i < Fake.events.size(); i++)
        if (Fake.events[i].compare(0, prefix.size(), prefix) == 0) return i;
    return std::string::npos;
}

PlatformHandle SysGetModuleHandle() { return NewHandle("module"); }

// "X:\\" is a drive root: always there, and Windows will not create it.
static bool IsDriveRoot(const std::string& path) { return path.size() == 3 && path.compare(1, 2, ":\\") == 0; }

PlatformError SysCreateDirectory(const char* path) {
    if (PlatformError error = Refused("CreateDirectoryA", path)) return error;
    if (IsDriveRoot(path)) return ErrorAccessDenied;
    if (!Fake.folders.insert(path).second) return ErrorAlreadyExists;
    Fake.events.push_back(std::string("folder ") + path);
    return 0;
}

bool SysIsFolder(const char* path) { return Fake.folders.count(path) != 0 || IsDriveRoot(path); }

PlatformError SysCreateFile(const char* path, PlatformHandle* file) {
    // Only temporary names are created: a program in use or a folder is met by the move.
    PlatformError error = Obtain("CreateFileA", path, file, &Fake.openFiles);
    if (error == 0) Fake.files[path].clear();  // CREATE_ALWAYS empties it at once
    return error;
}

PlatformError SysWriteFile(PlatformHandle file, const void* bytes, unsigned length, unsigned* written) {
    // A write that fails is a Wine scenario, full_drive; a single very large
    // one fails as on a network drive (ERROR_NO_SYSTEM_RESOURCES).
    PlatformError error = length > 64u << 20 ? 1450 : 0;
    *written = error != 0 || length < Fake.shortWriteBy ? 0 : length - Fake.shortWriteBy;
    Fake.files[Fake.named[file]].append(static_cast<const char*>(bytes), *written);
    return error;
}

PlatformError SysFlushFile(PlatformHandle file) { return Refused("FlushFileBuffers", Fake.named[file]); }

PlatformError SysCloseHandle(PlatformHandle file) {
    Fake.openFiles--;
    return Refused("CloseHandle", Fake.named[file]);
}

// A move the system refuses is a Wine scenario, readonly_sample.
PlatformError SysReplaceFile(const char* from, const char* to) {
    if (Fake.moveTries[from]++ < Fake.scanTries) return ErrorSharingViolation;
    if (Fake.inUse.count(to) || Fake.folders.count(to) || !Fake.files.count(from))
        return Fake.files.count(from) ? ErrorAccessDenied : ErrorFileNotFound;
    Fake.files[to] = Fake.files[from];
    Fake.files.erase(from);
    Fake.events.push_back("file " + std::string(to) + " " + std::to_string(Fake.files[to].size()));
    return 0;
}

void SysDeleteFile(const char* path) { Fake.files.erase(path); }

PlatformError SysTryOpenForWriting(const char* path) {
    if (!Fake.files.count(path)) return ErrorFileNotFound;
    auto held = Fake.inUse.find(path);
    if (held == Fake.inUse.end()) return 0;
    if (held->second > 0 && --held->second == 0) Fake.inUse.erase(held);
    return ErrorSharingViolation;
}

void SysSleep(unsigned milliseconds) { Fake.slept += milliseconds; }
bool SysClaimMutex(const char*) { return !Fake.otherCopy; }

bool SysGetDesktopUser(char (&sid)[TextCapacity]) {
    std::snprintf(sid, sizeof sid, "S-1-5-21-1-2-3-1001");  // not the installer's own user
    return Fake.desktopShell;
}

// One unit per byte, so that Save can give the bytes back; Windows makes one
// per character, never more, so what fits here fits there.
PlatformError SysAnsiToWide(const char* text, unsigned short* wide, unsigned capacity) {
    if (PlatformError error = Refused("MultiByteToWideChar", text)) return error;
    if (std::strlen(text) >= capacity) return 122;  // ERROR_INSUFFICIENT_BUFFER
    for (size_t i = 0; i <= std::strlen(text); i++) wide[i] = static_cast<unsigned char>(text[i]);
    return 0;
}

bool SysIsLeadByte(char byte) {
    unsigned char b = static_cast<unsigned char>(byte);
    return Fake.japanese && ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC));
}

void SysDescribeError(PlatformError error, char* text, unsigned capacity) {
    if (Fake.reason.empty()) std::snprintf(text, capacity, "reason %u.\r\n", error);
    else std::snprintf(text, capacity, "%s", Fake.reason.c_str());
}

PlatformHandle SysLoadIcon(PlatformHandle, unsigned id) { return NewHandle("icon " + std::to_string(id)); }
void SysGetWorkArea(WindowRect* area) { *area = Fake.workArea; }

int SysRunDialog(PlatformHandle, const char* name, DialogProcedure procedure) {
    Fake.events.push_back(std::string("dialog ") + name);
    dialogResult = -1;
    procedure(Dialog, MessageInitDialog, 0, 0);
    for (; dialogResult == -1 && !Fake.dialog.empty(); Fake.dialog.pop_front())
        procedure(Dialog, Fake.dialog.front().first, Fake.dialog.front().second, 0);
    return dialogResult;
}

void SysEndDialog(PlatformHandle, int result) { dialogResult = result; }
void SysGetWindowRect(PlatformHandle, WindowRect* rect) { *rect = Fake.window; }
void SysMoveWindow(PlatformHandle, int x, int y, int, int) { Fake.placed = {x, y}; }
void SysSetIcon(PlatformHandle, PlatformHandle icon) { Fake.dialogIcon = Fake.named[icon]; }
void SysSetDlgItemText(PlatformHandle, int, const char* text) { Fake.dialogText = text; }
void SysShowTextEnd(PlatformHandle, int) {}

int SysMessageBox(PlatformHandle, const char* text, const char*, unsigned style) {
    Fake.boxes.push_back({text, style});
    Fake.events.push_back(std::string("box ") + text);
    if ((style & 0xF) == 0) return 1;  // IDOK
    if (Fake.answers.empty()) return (style & 0xF) == 4 ? 7 : 2;  // IDNO to Yes and No, else IDCANCEL
    int answer = Fake.answers.front();
    Fake.answers.pop_front();
    return answer;
}

PlatformError SysRegOpenKey(RegistryRoot root, const char* path, PlatformHandle* key) { return Key("RegOpenKeyExA", root, path, key); }
PlatformError SysRegCreateKey(RegistryRoot root, const char* path, PlatformHandle* key) { return Key("RegCreateKeyExA", root, path, key); }

PlatformError SysRegSetDefaultValue(PlatformHandle key, RegistryValueType type, const char* text,
                                    unsigned byteCount) {
    if (PlatformError error = Refused("RegSetValueExA", Fake.named[key])) return error;
    Fake.values[Fake.named[key]] = FakeValue{type, byteCount, text};
    Fake.events.push_back("value " + Fake.named[key]);
    return 0;
}

PlatformError SysRegDeleteValue(PlatformHandle key, const char* name) {
    Fake.events.push_back("deleted " + Fake.named[key] + " " + name);
    return 0;
}

void SysRegCloseKey(PlatformHandle) { Fake.openKeys--; }
void SysCoInitialize() { Fake.com++; }
void SysCoUninitialize() { Fake.com--; }

PlatformError SysGetShellAllocator(PlatformHandle* allocator) {
    return Obtain("SHGetMalloc", "", allocator, &Fake.liveObjects);
}

void SysAllocatorFree(PlatformHandle, PlatformHandle) { Fake.liveLists--; }
void SysAllocatorRelease(PlatformHandle) { Fake.liveObjects--; }

PlatformError SysGetSpecialFolderLocation(ShellFolder folder, PlatformHandle* itemList) {
    bool programFiles = folder == FolderProgramFiles, startup = folder == FolderCommonStartup;
    const char* name = programFiles ? "PROGRAM_FILES" : startup ? "STARTUP" : "PROGRAMS";
    if (PlatformError error = Refused("SHGetSpecialFolderLocation", name)) return error;
    *itemList = NewHandle(programFiles ? Fake.programFiles : startup ? Fake.startup : Fake.programs);
    Fake.browsed[*itemList] = programFiles ? Fake.programFilesAnswer : startup ? ItemPathFound : Fake.programsAnswer;
    Fake.liveLists++;
    return 0;
}

// What a conversion from UTF-16 can give: every lead byte has its second
// byte (0x40 to 0xFC, not 0x7F, in the double-byte code pages).
bool Spellable(const std::string& text) {
    for (const std::string& c : Characters(text)) {
        unsigned char trail = c.size() == 2 ? c[1] : 0x40;
        if ((SysIsLeadByte(c[0]) && c.size() == 1) || trail < 0x40 || trail == 0x7F || trail > 0xFC) return false;
    }
    return true;
}

ItemPath SysGetPathFromItemList(PlatformHandle itemList, char* path) {
    ItemPath kind = Fake.named[itemList].empty() ? ItemPathNotOnDisk : Fake.browsed[itemList];
    if (kind == ItemPathFound && !Spellable(Fake.named[itemList])) kind = ItemPathNotAnsi;
    path[0] = 0;
    if (kind == ItemPathFound) std::snprintf(path, TextCapacity, "%s", Fake.named[itemList].c_str());
    if (kind == ItemPathTooLong) std::memset(path, 'x', TextCapacity);  // as a conversion that did not fit leaves it
    return kind;
}

PlatformHandle SysBrowseForFolder(const FolderBrowserRecord* record) {
    Fake.browsersOwned.push_back(record->owner == Dialog);
    if (Fake.browse.empty()) return nullptr;  // cancelled
    PlatformHandle list = NewHandle(Fake.browse.front().second);
    Fake.browsed[list] = Fake.browse.front().first;
    Fake.browse.pop_front();
    Fake.liveLists++;
    return list;
}

void SysCoTaskMemFree(PlatformHandle) { Fake.liveLists--; }

ShellLaunch SysShellExecuteAsUser(const char* file, const char* parameters, int show) {
    if (!Fake.desktopShell || Fake.shellRefuses) return Fake.desktopShell ? ShellRefused : NoDesktopShell;
    Fake.launches.push_back(std::string("as user ") + file + "|" + parameters + "|" + std::to_string(show));
    return LaunchedAsUser;
}

void SysShellExecute(PlatformHandle owner, const char* verb, const char* file,
                     const char* parameters, const char* folder, int show) {
    // "plain": the default verb, with no owner window and no working folder.
    std::string how = owner || verb || folder ? "ShellExecuteA " : "plain ";
    Fake.launches.push_back(how + file + "|" + parameters + "|" + std::to_string(show));
}

void SysNotifyAssociationsChanged() { Fake.events.push_back("notify"); }
bool SysIsWow64() { return Fake.wow64; }

PlatformError SysCreateShellLink(PlatformHandle* link) {
    return Obtain("CoCreateInstance", "", link, &Fake.liveObjects);
}

// The link object itself, so that Save finds the target set on it. (That the
// link is saved through its IPersistFile, every Wine scenario's shortcuts show.)
PlatformError SysQueryPersistFile(PlatformHandle link, PlatformHandle* persistFile) {
    PlatformError error = Obtain("QueryInterface", "", persistFile, &Fake.liveObjects);
    *persistFile = link;
    return error;
}

PlatformError SysShellLinkSetPath(PlatformHandle link, const char* target) {
    Fake.named[link] = target;
    return Refused("SetPath", target);
}

PlatformError SysPersistFileSave(PlatformHandle persistFile, const unsigned short* widePath) {
    std::string path;
    for (const unsigned short* p = widePath; *p != 0; p++) path += static_cast<char>(*p);
    if (PlatformError error = Refused("Save", path)) return error;
    Fake.links[path] = Fake.named[persistFile];
    Fake.events.push_back("link " + path);
    return 0;
}

void SysRelease(PlatformHandle) { Fake.liveObjects--; }
