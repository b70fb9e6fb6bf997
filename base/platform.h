// The installer's only door to the operating system. Each function is one
// Windows call (or one COM method) with portable types; platform_win32.cpp
// makes the real call, and the native tests link a fake instead.
// Results: a PlatformError of 0 is success, anything else the system's error
// code (a Win32 error or an HRESULT) for the outcome message.
#pragma once
#include "base/text.h"

typedef void* PlatformHandle;  // module, icon, window, file, key, COM object, item list
typedef unsigned PlatformError;
typedef unsigned long long MessageParameter;  // wParam and lParam, wide enough for both

enum RegistryRoot : unsigned {
    RootClassesRoot = 0x80000000u,
    RootCurrentUser = 0x80000001u,
    RootLocalMachine = 0x80000002u,
    RootUsers = 0x80000003u,
};

enum RegistryValueType : unsigned { ValueString = 1, ValueExpandString = 2 };

enum ShellFolder : int { FolderCommonPrograms = 0x17, FolderCommonStartup = 0x18, FolderProgramFiles = 0x26 };

enum WindowMessage : unsigned {
    MessageInitDialog = 0x0110,
    MessageCommand = 0x0111,
    MessageSysCommand = 0x0112,
};

enum : unsigned {
    SysCommandClose = 0xF060,
    BrowseNewDialogStyle = 0x0040,
    BrowseReturnOnlyFileSystemFolders = 0x0001,
    MessageBoxYesNoInformation = 0x44,
    MessageBoxWarning = 0x30,  // MB_OK | MB_ICONWARNING
    MessageBoxRetryCancelWarning = 0x35,
    AnswerRetry = 4,
    AnswerYes = 6,
    ShowDefault = 10,          // SW_SHOWDEFAULT
};

// Windows' error codes that the installer tells apart.
enum : PlatformError {
    ErrorFileNotFound = 2,
    ErrorPathNotFound = 3,
    ErrorAccessDenied = 5,
    ErrorWriteFault = 29,
    ErrorSharingViolation = 32,
    ErrorLockViolation = 33,
    ErrorFileExists = 80,
    ErrorAlreadyExists = 183,
    ErrorFilenameTooLong = 206,  // ERROR_FILENAME_EXCED_RANGE
};

struct WindowRect { int left, top, right, bottom; };



// The folder browser's record: what the Windows layer puts in BROWSEINFOA.
struct FolderBrowserRecord {
    PlatformHandle owner;
    unsigned flags;
};

// Files and process
PlatformHandle SysGetModuleHandle();
PlatformError SysCreateDirectory(const char* path);
bool SysIsFolder(const char* path);  // something exists there, and it is a folder
// A new file for writing, replacing one of that name (CREATE_ALWAYS).
PlatformError SysCreateFile(const char* path, PlatformHandle* file);
PlatformError SysWriteFile(PlatformHandle file, const void* bytes, unsigned length,
                           unsigned* written);
PlatformError SysFlushFile(PlatformHandle file);
PlatformError SysCloseHandle(PlatformHandle file);  // a network file may fail only here
// Moves from over to, replacing it, once the move is on the disk.
PlatformError SysReplaceFile(const char* from, const char* to);
void SysDeleteFile(const char* path);
// Opens an existing file for writing without sharing and closes it at once,
// changing nothing: 0, or why not (ErrorFileNotFound when there is none).
PlatformError SysTryOpenForWriting(const char* path);
void SysSleep(unsigned milliseconds);
// Holds the named mutex for the rest of the run; false when another
// process holds it already.
bool SysClaimMutex(const char* name);
// The security identifier ("S-1-5-21-...") of the user who owns the desktop
// shell; false where there is no shell or its user cannot be read.
bool SysGetDesktopUser(char (&sid)[TextCapacity]);
PlatformError SysAnsiToWide(const char* text, unsigned short* wide, unsigned capacity);
void SysDescribeError(PlatformError error, char* text, unsigned capacity);

// Whether the byte leads a double-byte character in the ANSI code page.
bool SysIsLeadByte(char byte);

// Windows and dialogs
PlatformHandle SysLoadIcon(PlatformHandle module, unsigned id);
void SysGetWorkArea(WindowRect* area);
// A dialog procedure: true when it handled the message.
typedef bool (*DialogProcedure)(PlatformHandle dialog, unsigned message, MessageParameter wParam,
                                MessageParameter lParam);
int SysRunDialog(PlatformHandle module, const char* name, DialogProcedure procedure);
void SysEndDialog(PlatformHandle dialog, int result);
void SysGetWindowRect(PlatformHandle window, WindowRect* rect);
void SysMoveWindow(PlatformHandle window, int x, int y, int width, int height);
void SysSetIcon(PlatformHandle window, PlatformHandle icon);
void SysSetDlgItemText(PlatformHandle dialog, int id, const char* text);
// Puts the caret at the end of a dialog's edit box, scrolled into view.
void SysShowTextEnd(PlatformHandle dialog, int id);
int SysMessageBox(PlatformHandle owner, const char* text, const char* caption, unsigned style);

// Registry
PlatformError SysRegOpenKey(RegistryRoot root, const char* path, PlatformHandle* key);
PlatformError SysRegCreateKey(RegistryRoot root, const char* path, PlatformHandle* key);
PlatformError SysRegSetDefaultValue(PlatformHandle key, RegistryValueType type,
                                    const char* text, unsigned byteCount);
PlatformError SysRegDeleteValue(PlatformHandle key, const char* name);
void SysRegCloseKey(PlatformHandle key);

// COM and the shell
void SysCoInitialize();
void SysCoUninitialize();
PlatformError SysGetShellAllocator(PlatformHandle* allocator);
void SysAllocatorFree(PlatformHandle allocator, PlatformHandle block);
void SysAllocatorRelease(PlatformHandle allocator);
PlatformError SysGetSpecialFolderLocation(ShellFolder folder, PlatformHandle* itemList);
enum ItemPath { ItemPathFound, ItemPathNotOnDisk, ItemPathNotAnsi, ItemPathTooLong };
// Writes the item's file-system path (at most TextCapacity bytes) in the ANSI
// code page; for any other answer the path is left empty.
ItemPath SysGetPathFromItemList(PlatformHandle itemList, char* path);
PlatformHandle SysBrowseForFolder(const FolderBrowserRecord* record);
void SysCoTaskMemFree(PlatformHandle block);
// Asks the desktop shell, which runs as the signed-in user, to start a program.
enum ShellLaunch { LaunchedAsUser, NoDesktopShell, ShellRefused };
ShellLaunch SysShellExecuteAsUser(const char* file, const char* parameters, int show);
void SysShellExecute(PlatformHandle owner, const char* verb, const char* file,
                     const char* parameters, const char* folder, int show);
void SysNotifyAssociationsChanged();
bool SysIsWow64();

// The shell-link object
PlatformError SysCreateShellLink(PlatformHandle* link);
PlatformError SysQueryPersistFile(PlatformHandle link, PlatformHandle* persistFile);
PlatformError SysShellLinkSetPath(PlatformHandle link, const char* target);
PlatformError SysPersistFileSave(PlatformHandle persistFile, const unsigned short* widePath);
void SysRelease(PlatformHandle object);
