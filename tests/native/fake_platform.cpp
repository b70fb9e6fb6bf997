#include "fake_platform.h"

#include <cstring>

#include "installer/install_location_dialog.h"
#include "installer/install_outcome.h"
#include "installer/install_state.h"

FakeWorld Fake;

static PlatformHandle dialogHandle = reinterpret_cast<PlatformHandle>(0xD1A1);
static bool dialogEnded;
static std::map<PlatformHandle, std::string> itemLists;
static std::map<PlatformHandle, std::string> fileNames;
static std::map<PlatformHandle, std::string> keyNames;
static std::map<PlatformHandle, ItemPath> browsedKinds;
static std::map<PlatformHandle, std::string> objectNames;
static unsigned nextHandle = 0x100;

void ResetFake() {
    Fake = FakeWorld();
    dialogEnded = false;
    itemLists.clear();
    fileNames.clear();
    keyNames.clear();
    browsedKinds.clear();
    objectNames.clear();
    ResetInstallState();
    ResetOutcome();
}

static PlatformHandle NewHandle() { return reinterpret_cast<PlatformHandle>(static_cast<size_t>(nextHandle++)); }

// Logs the call and answers with the error of the first matching rule.
static PlatformError Log(const std::string& line) {
    Fake.calls.push_back(line);
    for (size_t i = 0; i < Fake.failures.size(); i++) {
        if (line.compare(0, Fake.failures[i].callPrefix.size(), Fake.failures[i].callPrefix) != 0) continue;
        PlatformError error = Fake.failures[i].error;
        if (Fake.failures[i].once) Fake.failures.erase(Fake.failures.begin() + static_cast<long>(i));
        return error;
    }
    return 0;
}

static std::string RootText(RegistryRoot root) {
    return root == RootClassesRoot ? "HKCR" : root == RootCurrentUser ? "HKCU" : "HKLM";
}

void PressOk() { SendCommand(1, 0); }
void PressCancel() { SendCommand(2, 0); }
void PressBrowse() { SendCommand(3073, 0); }
void SendCommand(unsigned id, unsigned notification) {
    Fake.dialogScript.push_back([=](PlatformHandle dialog) {
        InstallLocationDialogProc(dialog, MessageCommand, (MessageParameter{notification} << 16) | id, 0);
    });
}
void SendCloseCommand() {
    Fake.dialogScript.push_back([](PlatformHandle dialog) {
        InstallLocationDialogProc(dialog, MessageSysCommand, SysCommandClose, 0);
    });
}

std::vector<std::string> CallsStartingWith(const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& call : Fake.calls) {
        if (call.compare(0, prefix.size(), prefix) == 0) found.push_back(call);
    }
    return found;
}

std::string JoinedCalls() {
    std::string all;
    for (const std::string& call : Fake.calls) all += call + "\n";
    return all;
}

PlatformHandle SysGetModuleHandle() {
    Log("GetModuleHandleA");
    return reinterpret_cast<PlatformHandle>(0x400000);
}

PlatformError SysCreateDirectory(const char* path) {
    PlatformError error = Log(std::string("CreateDirectoryA ") + path);
    if (error != 0) return error;
    for (const std::string& folder : Fake.existingFolders) {
        if (folder == path) return 183;  // ERROR_ALREADY_EXISTS
    }
    for (const std::string& file : Fake.existingFiles) {
        if (file == path) return 183;
    }
    Fake.existingFolders.push_back(path);
    return 0;
}

bool SysIsFolder(const char* path) {
    Log(std::string("GetFileAttributesA ") + path);
    for (const std::string& folder : Fake.existingFolders) {
        if (folder == path) return true;
    }
    return false;
}

PlatformError SysCreateFile(const char* path, PlatformHandle* file) {
    PlatformError error = Log(std::string("CreateFileA ") + path);
    if (error != 0) return error;
    *file = NewHandle();
    fileNames[*file] = path;
    Fake.files[path].clear();
    return 0;
}

PlatformError SysWriteFile(PlatformHandle file, const void* bytes, unsigned length, unsigned* written) {
    PlatformError error = Log("WriteFile " + std::to_string(length));
    unsigned count = error != 0 ? 0 : length > Fake.shortWriteBy ? length - Fake.shortWriteBy : 0;
    const unsigned char* data = static_cast<const unsigned char*>(bytes);
    Fake.files[fileNames[file]].assign(data, data + count);
    *written = count;
    return error;
}

void SysCloseHandle(PlatformHandle file) {
    Log("CloseHandle " + fileNames[file]);
    fileNames.erase(file);
}

PlatformError SysAnsiToWide(const char* text, unsigned short* wide, unsigned capacity) {
    PlatformError error = Log(std::string("MultiByteToWideChar ") + text);
    if (error != 0) return error;
    unsigned i = 0;
    for (; text[i] != 0 && i + 1 < capacity; i++) wide[i] = static_cast<unsigned char>(text[i]);
    wide[i] = 0;
    return 0;
}

void SysDescribeError(PlatformError error, char* text, unsigned capacity) {
    std::string reason = "reason " + std::to_string(error) + ".\r\n";
    std::strncpy(text, reason.c_str(), capacity - 1);
    text[capacity - 1] = 0;
}

PlatformHandle SysLoadIcon(PlatformHandle, unsigned id) {
    Log("LoadIconA " + std::to_string(id));
    return reinterpret_cast<PlatformHandle>(0x1C0);
}

void SysGetWorkArea(WindowRect* area) {
    Log("SystemParametersInfoA SPI_GETWORKAREA");
    *area = Fake.workArea;
}

int SysRunDialog(PlatformHandle, const char* name) {
    Log(std::string("DialogBoxParamA ") + name);
    dialogEnded = false;
    InstallLocationDialogProc(dialogHandle, MessageInitDialog, 0, 0);
    while (!dialogEnded && !Fake.dialogScript.empty()) {
        auto step = Fake.dialogScript.front();
        Fake.dialogScript.pop_front();
        step(dialogHandle);
    }
    return dialogEnded ? Fake.dialogResult : -1;
}

void SysEndDialog(PlatformHandle, int result) {
    Log("EndDialog " + std::to_string(result));
    dialogEnded = true;
    Fake.dialogResult = result;
}

void SysGetWindowRect(PlatformHandle, WindowRect* rect) {
    Log("GetWindowRect");
    *rect = Fake.dialogRect;
}

void SysMoveWindow(PlatformHandle, int x, int y, int width, int height) {
    Log("MoveWindow " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(width) +
        "x" + std::to_string(height));
}

void SysSetIcon(PlatformHandle, PlatformHandle) { Log("SendMessageA WM_SETICON ICON_BIG"); }

void SysSetDlgItemText(PlatformHandle, int id, const char* text) {
    Log("SetDlgItemTextA " + std::to_string(id) + " " + text);
    Fake.dialogText = text;
}

int SysMessageBox(PlatformHandle owner, const char* text, const char* caption, unsigned style) {
    Log(std::string("MessageBoxA ") + (owner ? "dialog " : "") + caption + " " + std::to_string(style));
    Fake.messageBoxes.push_back(text);
    return (style & 0xF) == 4 ? Fake.outcomeAnswer : 1;
}

PlatformError SysRegOpenKey(RegistryRoot root, const char* path, PlatformHandle* key) {
    PlatformError error = Log("RegOpenKeyExA " + RootText(root) + "\\" + path);
    if (error == 0 && root == RootCurrentUser && !Fake.settingsKeyExists) error = 2;
    if (error != 0) return error;
    *key = NewHandle();
    keyNames[*key] = path;
    Fake.maxOpenKeys = std::max(Fake.maxOpenKeys, ++Fake.openKeys);
    return 0;
}

PlatformError SysRegCreateKey(RegistryRoot root, const char* path, PlatformHandle* key) {
    PlatformError error = Log("RegCreateKeyExA " + RootText(root) + "\\" + path);
    if (error != 0) return error;
    *key = NewHandle();
    keyNames[*key] = path;
    Fake.maxOpenKeys = std::max(Fake.maxOpenKeys, ++Fake.openKeys);
    return 0;
}

PlatformError SysRegSetDefaultValue(PlatformHandle, RegistryValueType type, const char* text,
                                    unsigned byteCount) {
    return Log(std::string("RegSetValueExA ") + (type == ValueString ? "REG_SZ" : "REG_EXPAND_SZ") +
               " " + std::to_string(byteCount) + " " + text);
}

PlatformError SysRegDeleteValue(PlatformHandle, const char* name) {
    return Log(std::string("RegDeleteValueA ") + name);
}

void SysRegCloseKey(PlatformHandle key) {
    Log("RegCloseKey");
    keyNames.erase(key);
    Fake.openKeys--;
}

void SysCoInitialize() { Log("CoInitialize"); }
void SysCoUninitialize() { Log("CoUninitialize"); }

PlatformError SysGetShellAllocator(PlatformHandle* allocator) {
    PlatformError error = Log("SHGetMalloc");
    if (error == 0) *allocator = reinterpret_cast<PlatformHandle>(0xA110C);
    return error;
}

void SysAllocatorFree(PlatformHandle, PlatformHandle block) { Log("IMalloc::Free " + itemLists[block]); }
void SysAllocatorRelease(PlatformHandle) { Log("IMalloc::Release"); }

PlatformError SysGetSpecialFolderLocation(ShellFolder folder, PlatformHandle* itemList) {
    bool programFiles = folder == FolderProgramFiles;
    PlatformError error = Log(std::string("SHGetSpecialFolderLocation ") +
                              (programFiles ? "CSIDL_PROGRAM_FILES" : "CSIDL_COMMON_PROGRAMS"));
    if (error != 0) return error;
    *itemList = NewHandle();
    itemLists[*itemList] = programFiles ? (Fake.programFilesKnown ? Fake.programFiles : "")
                                        : Fake.commonPrograms;
    return 0;
}

ItemPath SysGetPathFromItemList(PlatformHandle itemList, char* path) {
    std::string text = itemLists[itemList];
    Log("SHGetPathFromIDList " + text);
    ItemPath kind = browsedKinds.count(itemList) ? browsedKinds[itemList] : ItemPathFound;
    if (text.empty()) kind = ItemPathNotOnDisk;
    if (kind != ItemPathFound) return kind;
    std::strncpy(path, text.c_str(), TextCapacity - 1);
    path[TextCapacity - 1] = 0;
    return ItemPathFound;
}

PlatformHandle SysBrowseForFolder(const FolderBrowserRecord* record) {
    Log("SHBrowseForFolderA flags " + std::to_string(record->flags) +
        (record->owner == dialogHandle ? " owned" : " unowned"));
    if (Fake.browseChoices.empty() || Fake.browseChoices.front().cancelled) {
        if (!Fake.browseChoices.empty()) Fake.browseChoices.pop_front();
        return nullptr;
    }
    PlatformHandle list = NewHandle();
    itemLists[list] = Fake.browseChoices.front().path;
    browsedKinds[list] = Fake.browseChoices.front().kind;
    Fake.browseChoices.pop_front();
    return list;
}

void SysCoTaskMemFree(PlatformHandle block) {
    Log("CoTaskMemFree " + itemLists[block]);
    itemLists.erase(block);
}

void SysShellExecute(const char* program) { Log(std::string("ShellExecuteA ") + program); }
void SysNotifyAssociationsChanged() { Log("SHChangeNotify SHCNE_ASSOCCHANGED"); }

bool SysIsWow64() {
    Log("IsWow64Process");
    return Fake.wow64;
}

PlatformError SysCreateShellLink(PlatformHandle* link) {
    PlatformError error = Log("CoCreateInstance CLSID_ShellLink IID_IShellLinkA");
    if (error != 0) return error;
    *link = NewHandle();
    objectNames[*link] = "IShellLinkA";
    Fake.liveObjects++;
    return 0;
}

PlatformError SysQueryPersistFile(PlatformHandle, PlatformHandle* persistFile) {
    PlatformError error = Log("IShellLinkA::QueryInterface IID_IPersistFile");
    if (error != 0) return error;
    *persistFile = NewHandle();
    objectNames[*persistFile] = "IPersistFile";
    Fake.liveObjects++;
    return 0;
}

PlatformError SysShellLinkSetPath(PlatformHandle, const char* target) {
    return Log(std::string("IShellLinkA::SetPath ") + target);
}

PlatformError SysPersistFileSave(PlatformHandle, const unsigned short* widePath) {
    std::string narrow;
    for (const unsigned short* p = widePath; *p != 0; p++) narrow += static_cast<char>(*p);
    return Log("IPersistFile::Save " + narrow);
}

void SysRelease(PlatformHandle object) {
    Log(objectNames[object] + "::Release");
    objectNames.erase(object);
    Fake.liveObjects--;
}
