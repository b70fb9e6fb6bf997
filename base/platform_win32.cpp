// The real platform: each function is one Windows call with the arguments
// the installer needs. Nothing here decides anything.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>
#include <shellapi.h>
#include <sddl.h>

#include "base/failure_record.h"
#include "base/platform.h"
#include "base/text.h"

// Defined here so that nothing links the import library that carries them.
static const GUID ShellLinkClass = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const GUID ShellLinkInterface = {0x000214EE, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const GUID PersistFileInterface = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

static PlatformError LastError() {
    DWORD error = GetLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
}

static PlatformError Result(BOOL succeeded) { return succeeded ? 0 : LastError(); }

static HKEY RootKey(RegistryRoot root) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

PlatformHandle SysGetModuleHandle() { return GetModuleHandleA(nullptr); }

PlatformError SysCreateDirectory(const char* path) {
    return Result(CreateDirectoryA(path, nullptr));
}

bool SysIsFolder(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

PlatformError SysCreateFile(const char* path, PlatformHandle* file) {
    HANDLE handle = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return LastError();
    *file = handle;
    return 0;
}

PlatformError SysWriteFile(PlatformHandle file, const void* bytes, unsigned length,
                           unsigned* written) {
    DWORD count = 0;
    BOOL succeeded = WriteFile(file, bytes, length, &count, nullptr);
    *written = count;
    return Result(succeeded);
}

PlatformError SysFlushFile(PlatformHandle file) { return Result(FlushFileBuffers(file)); }

PlatformError SysCloseHandle(PlatformHandle file) { return Result(CloseHandle(file)); }

PlatformError SysReplaceFile(const char* from, const char* to) {
    return Result(MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
}

void SysDeleteFile(const char* path) { DeleteFileA(path); }

PlatformError SysTryOpenForWriting(const char* path) {
    HANDLE handle = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return LastError();
    CloseHandle(handle);
    return 0;
}

void SysSleep(unsigned milliseconds) { Sleep(milliseconds); }

bool SysClaimMutex(const char* name) {
    // Kept open: the system closes it when the process ends.
    HANDLE mutex = CreateMutexA(nullptr, TRUE, name);
    return mutex == nullptr || GetLastError() != ERROR_ALREADY_EXISTS;
}

bool SysGetDesktopUser(char (&sid)[TextCapacity]) {
    static union {
        TOKEN_USER tokenUser;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } info;
    DWORD processId = 0;
    HWND shell = GetShellWindow();
    if (shell == nullptr || GetWindowThreadProcessId(shell, &processId) == 0) return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) return false;
    HANDLE token = nullptr;
    DWORD size = 0;
    char* text = nullptr;
    bool read = OpenProcessToken(process, TOKEN_QUERY, &token) &&
                GetTokenInformation(token, TokenUser, &info, sizeof info, &size) &&
                ConvertSidToStringSidA(info.tokenUser.User.Sid, &text);
    if (token != nullptr) CloseHandle(token);
    CloseHandle(process);
    if (!read) return false;
    read = SetText(sid, text);
    LocalFree(text);
    return read;
}

PlatformError SysAnsiToWide(const char* text, unsigned short* wide, unsigned capacity) {
    PlatformError error = Result(MultiByteToWideChar(CP_ACP, 0, text, -1, reinterpret_cast<WCHAR*>(wide),
                                                     static_cast<int>(capacity)) != 0);
    if (error != 0 && capacity != 0) wide[0] = 0;  // a failed conversion may have written part of it
    return error;
}

bool SysIsLeadByte(char byte) { return IsDBCSLeadByte(static_cast<BYTE>(byte)) != 0; }

void SysDescribeError(PlatformError error, char* text, unsigned capacity) {
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, capacity, nullptr);
    if (length == 0) DescribeErrorNumber(error, text, capacity);
}

PlatformHandle SysLoadIcon(PlatformHandle module, unsigned id) {
    return LoadIconA(static_cast<HINSTANCE>(module), MAKEINTRESOURCEA(id));
}

void SysGetWorkArea(WindowRect* area) {
    RECT rect = {0, 0, 0, 0};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &rect, 0);
    *area = WindowRect{rect.left, rect.top, rect.right, rect.bottom};
}

// The one dialog runs at a time; its portable procedure is called from here.
static DialogProcedure RunningProcedure;

static INT_PTR CALLBACK CallDialogProcedure(HWND dialog, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    return RunningProcedure(dialog, message, wParam, static_cast<ULONG_PTR>(lParam));
}

int SysRunDialog(PlatformHandle module, const char* name, DialogProcedure procedure) {
    RunningProcedure = procedure;
    return static_cast<int>(
        DialogBoxParamA(static_cast<HINSTANCE>(module), name, nullptr, CallDialogProcedure, 0));
}

void SysEndDialog(PlatformHandle dialog, int result) { EndDialog(static_cast<HWND>(dialog), result); }

void SysGetWindowRect(PlatformHandle window, WindowRect* rect) {
    RECT r = {0, 0, 0, 0};
    GetWindowRect(static_cast<HWND>(window), &r);
    *rect = WindowRect{r.left, r.top, r.right, r.bottom};
}

void SysMoveWindow(PlatformHandle window, int x, int y, int width, int height) {
    MoveWindow(static_cast<HWND>(window), x, y, width, height, TRUE);
}

void SysSetIcon(PlatformHandle window, PlatformHandle icon) {
    SendMessageA(static_cast<HWND>(window), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

void SysSetDlgItemText(PlatformHandle dialog, int id, const char* text) {
    SetDlgItemTextA(static_cast<HWND>(dialog), id, text);
}

void SysShowTextEnd(PlatformHandle dialog, int id) {
    // The box stops the selection at its text's end. EM_SCROLLCARET too, as
    // not every Windows scrolls on EM_SETSEL alone.
    SendDlgItemMessageA(static_cast<HWND>(dialog), id, EM_SETSEL, 0x7FFFFFFF, 0x7FFFFFFF);
    SendDlgItemMessageA(static_cast<HWND>(dialog), id, EM_SCROLLCARET, 0, 0);
}

int SysMessageBox(PlatformHandle owner, const char* text, const char* caption, unsigned style) {
    return MessageBoxA(static_cast<HWND>(owner), text, caption, style);
}

PlatformError SysRegOpenKey(RegistryRoot root, const char* path, PlatformHandle* key) {
    HKEY opened = nullptr;
    LONG error = RegOpenKeyExA(RootKey(root), path, 0, KEY_READ | KEY_WRITE, &opened);
    *key = opened;
    return static_cast<PlatformError>(error);
}

PlatformError SysRegCreateKey(RegistryRoot root, const char* path, PlatformHandle* key) {
    static const char keyClass[] = "REG_SZ";  // read-only data; the API only reads it
    HKEY created = nullptr;
    DWORD disposition = 0;
    LONG error = RegCreateKeyExA(RootKey(root), path, 0, const_cast<char*>(keyClass), REG_OPTION_NON_VOLATILE,
                                 KEY_READ | KEY_WRITE, nullptr, &created, &disposition);
    *key = created;
    return static_cast<PlatformError>(error);
}

PlatformError SysRegSetDefaultValue(PlatformHandle key, RegistryValueType type, const char* text,
                                    unsigned byteCount) {
    return static_cast<PlatformError>(RegSetValueExA(static_cast<HKEY>(key), "", 0, type,
                                                     reinterpret_cast<const BYTE*>(text),
                                                     byteCount));
}

PlatformError SysRegDeleteValue(PlatformHandle key, const char* name) {
    return static_cast<PlatformError>(RegDeleteValueA(static_cast<HKEY>(key), name));
}

void SysRegCloseKey(PlatformHandle key) { RegCloseKey(static_cast<HKEY>(key)); }

void SysCoInitialize() { CoInitialize(nullptr); }

void SysCoUninitialize() { CoUninitialize(); }

PlatformError SysGetShellAllocator(PlatformHandle* allocator) {
    IMalloc* malloc = nullptr;
    HRESULT result = SHGetMalloc(&malloc);
    if (FAILED(result) || malloc == nullptr) return FAILED(result) ? result : E_FAIL;
    *allocator = malloc;
    return 0;
}

void SysAllocatorFree(PlatformHandle allocator, PlatformHandle block) {
    static_cast<IMalloc*>(allocator)->Free(block);
}

void SysAllocatorRelease(PlatformHandle allocator) { static_cast<IMalloc*>(allocator)->Release(); }

PlatformError SysGetSpecialFolderLocation(ShellFolder folder, PlatformHandle* itemList) {
    LPITEMIDLIST list = nullptr;
    HRESULT result = SHGetSpecialFolderLocation(nullptr, folder, &list);
    if (FAILED(result) || list == nullptr) return FAILED(result) ? result : E_FAIL;
    *itemList = list;
    return 0;
}

ItemPath SysGetPathFromItemList(PlatformHandle itemList, char* path) {
    // Room for paths past MAX_PATH, so that they are told apart from virtual folders.
    static WCHAR wide[TextCapacity];
    path[0] = 0;
    if (!SHGetPathFromIDListEx(static_cast<LPCITEMIDLIST>(itemList), wide, TextCapacity,
                               GPFIDL_DEFAULT)) {
        return ItemPathNotOnDisk;
    }
    // UTF-8 as the ANSI code page spells everything and takes no such flags.
    bool exactCodePage = GetACP() == CP_UTF8;
    BOOL usedDefault = FALSE;
    int length = WideCharToMultiByte(CP_ACP, exactCodePage ? 0 : WC_NO_BEST_FIT_CHARS, wide, -1,
                                     path, TextCapacity, nullptr,
                                     exactCodePage ? nullptr : &usedDefault);
    bool tooLong = length == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER;
    if (length != 0 && !usedDefault) return ItemPathFound;
    path[0] = 0;  // a conversion that did not fit fills the buffer without ending it
    return tooLong ? ItemPathTooLong : ItemPathNotAnsi;
}

PlatformHandle SysBrowseForFolder(const FolderBrowserRecord* record) {
    BROWSEINFOA info = {};
    info.hwndOwner = static_cast<HWND>(record->owner);
    info.ulFlags = record->flags;
    return SHBrowseForFolderA(&info);
}

void SysCoTaskMemFree(PlatformHandle block) { CoTaskMemFree(block); }

void SysShellExecute(PlatformHandle owner, const char* verb, const char* file,
                     const char* parameters, const char* folder, int show) {
    ShellExecuteA(static_cast<HWND>(owner), verb, file, parameters, folder, show);
}

void SysNotifyAssociationsChanged() {
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

bool SysIsWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

PlatformError SysCreateShellLink(PlatformHandle* link) {
    void* object = nullptr;
    HRESULT result = CoCreateInstance(ShellLinkClass, nullptr, CLSCTX_INPROC_SERVER,
                                      ShellLinkInterface, &object);
    if (FAILED(result) || object == nullptr) return FAILED(result) ? result : E_NOINTERFACE;
    *link = object;
    return 0;
}

PlatformError SysQueryPersistFile(PlatformHandle link, PlatformHandle* persistFile) {
    void* object = nullptr;
    HRESULT result =
        static_cast<IShellLinkA*>(link)->QueryInterface(PersistFileInterface, &object);
    if (FAILED(result) || object == nullptr) return FAILED(result) ? result : E_NOINTERFACE;
    *persistFile = object;
    return 0;
}

PlatformError SysShellLinkSetPath(PlatformHandle link, const char* target) {
    HRESULT result = static_cast<IShellLinkA*>(link)->SetPath(target);
    return FAILED(result) ? result : 0;
}

PlatformError SysPersistFileSave(PlatformHandle persistFile, const unsigned short* widePath) {
    HRESULT result =
        static_cast<IPersistFile*>(persistFile)->Save(reinterpret_cast<LPCOLESTR>(widePath), TRUE);
    return FAILED(result) ? result : 0;
}

void SysRelease(PlatformHandle object) { static_cast<IUnknown*>(object)->Release(); }
