// The install-location dialog: its look, its commands and the folder browser.
#include "driver_support.h"

#include <algorithm>

static const char SettingsKey[] = "Software\\Quorrelin\\Tessellograph";

// Cancel and the close command end the same way: the warning box, exit code
// 1, nothing on disk, and the start-up reset of the editor's settings done.
static void CheckNotInstalledRun(bool useClose) {
    Check(WriteRegistryString(HKEY_CURRENT_USER, SettingsKey, "Data", "old data") &&
              WriteRegistryString(HKEY_CURRENT_USER, SettingsKey, "Sweep", "old sweep") &&
              WriteRegistryString(HKEY_CURRENT_USER, SettingsKey, "Keep", "kept"),
          "editor settings Data, Sweep and Keep stored before the run");
    std::string folder = DefaultInstallFolder();
    Check(!FolderExists(folder), "%s is absent before the run", folder.c_str());

    InstallOutcome outcome = RunCancel(useClose);
    CheckEqual(outcome.dialogPath, folder, "dialog showed the default folder");
    CheckEqual(outcome.caption, OutcomeCaption, "warning box caption");
    CheckEqual(outcome.text, NotInstalledText, "warning box text");
    Check(outcome.buttons == std::vector<int>{IDOK}, "warning box has only an OK button (%u buttons)",
          static_cast<unsigned>(outcome.buttons.size()));
    Check(outcome.exitCode == 1, "exit code 1 (got %lu)", outcome.exitCode);

    Check(!FolderExists(folder), "install folder %s not created", folder.c_str());
    std::string group = CommonProgramsFolder() + "\\Quorrelin";
    Check(!FolderExists(group), "Start-menu group %s not created", group.c_str());

    Check(RegistryKeyExists(HKEY_CURRENT_USER, SettingsKey), "settings key still exists");
    Check(!ReadRegistryValue(HKEY_CURRENT_USER, SettingsKey, "Data").valueExists,
          "setting Data deleted");
    Check(!ReadRegistryValue(HKEY_CURRENT_USER, SettingsKey, "Sweep").valueExists,
          "setting Sweep deleted");
    RegistryValue keep = ReadRegistryValue(HKEY_CURRENT_USER, SettingsKey, "Keep");
    Check(keep.valueExists && keep.data == "kept", "setting Keep left as it was");
}

SCENARIO(cancel) { CheckNotInstalledRun(false); }

SCENARIO(close_command) { CheckNotInstalledRun(true); }

// Checks the icon group resource of the installer file itself.
static void CheckIconResource() {
    HMODULE image = LoadLibraryExA(InstallerExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!Check(image != nullptr, "installer loaded as a data file")) return;
    HRSRC group = FindResourceA(image, MAKEINTRESOURCEA(500), RT_GROUP_ICON);
    if (Check(group != nullptr, "installer has icon group 500")) {
        const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(image, group)));
        DWORD size = SizeofResource(image, group);
        // GRPICONDIR: reserved, type, count; then 14-byte entries.
        if (Check(data != nullptr && size >= 6 + 14, "icon group 500 has a header and an entry")) {
            WORD count = *reinterpret_cast<const WORD*>(data + 4);
            const BYTE* entry = data + 6;
            WORD bitCount = *reinterpret_cast<const WORD*>(entry + 6);
            Check(count == 1, "icon group 500 holds one image (%u)", count);
            Check(entry[0] == 32 && entry[1] == 32, "its image is 32x32 (%ux%u)", entry[0], entry[1]);
            Check(bitCount == 4 && entry[2] == 16, "its image has 4 bits per pixel, 16 colours "
                  "(%u bits, %u colours)", bitCount, entry[2]);
        }
    }
    FreeLibrary(image);
}

// Skips a string-or-ordinal field of a dialog template.
static const WORD* SkipNameOrOrdinal(const WORD* field) {
    if (*field == 0xFFFF) return field + 2;
    while (*field != 0) field++;
    return field + 1;
}

// The exact style bits of the edit control as the installer's dialog
// template states them (a DLGTEMPLATE, not the extended form).
static void CheckEditTemplateStyle() {
    HMODULE image = LoadLibraryExA(InstallerExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!Check(image != nullptr, "installer loaded as a data file")) return;
    HRSRC resource = FindResourceA(image, "TPFI000", RT_DIALOG);
    const BYTE* data = resource != nullptr
                           ? static_cast<const BYTE*>(LockResource(LoadResource(image, resource)))
                           : nullptr;
    if (Check(data != nullptr && *reinterpret_cast<const WORD*>(data + 2) != 0xFFFF,
              "installer has the dialog template TPFI000 in the classic form")) {
        const DLGTEMPLATE* dialog = reinterpret_cast<const DLGTEMPLATE*>(data);
        const WORD* field = reinterpret_cast<const WORD*>(dialog + 1);
        field = SkipNameOrOrdinal(field);  // menu
        field = SkipNameOrOrdinal(field);  // class
        field = SkipNameOrOrdinal(field);  // caption
        if (dialog->style & DS_SETFONT) field = SkipNameOrOrdinal(field + 1);
        DWORD editStyle = 0;
        bool found = false;
        for (int i = 0; i < dialog->cdit; i++) {
            ULONG_PTR at = (reinterpret_cast<ULONG_PTR>(field) + 3) & ~static_cast<ULONG_PTR>(3);
            const DLGITEMTEMPLATE* item = reinterpret_cast<const DLGITEMTEMPLATE*>(at);
            if (item->id == ControlInstallPath) {
                editStyle = item->style;
                found = true;
            }
            field = reinterpret_cast<const WORD*>(item + 1);
            field = SkipNameOrOrdinal(field);  // class
            field = SkipNameOrOrdinal(field);  // text
            field = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(field + 1) + *field);
        }
        Check(found && editStyle == 0x50810800,
              "template gives the edit exactly 0x50810800 (got 0x%08lX)", editStyle);
    }
    FreeLibrary(image);
}

SCENARIO(dialog_layout) {
    InstallerProcess process;
    HWND dialog = StartAndWaitForDialog(&process);
    if (dialog == nullptr) return;

    CheckEqual(WindowClassName(dialog), "#32770", "dialog class");
    CheckEqual(ControlText(dialog, ControlInstallPath), DefaultInstallFolder(), "edit text");

    struct Expected {
        int id;
        const char* className;
        const char* text;
    };
    const Expected controls[] = {
        {IDOK, "Button", "OK"},
        {IDCANCEL, "Button", "Cancel"},
        {ControlBrowse, "Button", "Browse"},
        {ControlInstallPath, "Edit", nullptr},
    };
    Check(ChildControls(dialog).size() == 4, "dialog has 4 controls (%u)",
          static_cast<unsigned>(ChildControls(dialog).size()));
    for (const Expected& expected : controls) {
        HWND control = GetDlgItem(dialog, expected.id);
        if (!Check(control != nullptr, "control %d exists", expected.id)) continue;
        std::string what = "class of control " + std::to_string(expected.id);
        CheckEqual(WindowClassName(control), expected.className, what.c_str());
        if (expected.text != nullptr) {
            what = "text of control " + std::to_string(expected.id);
            CheckEqual(WindowText(control), expected.text, what.c_str());
        }
    }

    HWND edit = GetDlgItem(dialog, ControlInstallPath);
    DWORD style = static_cast<DWORD>(GetWindowLongA(edit, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(GetWindowLongA(edit, GWL_EXSTYLE));
    Check((style & ES_READONLY) != 0, "edit is read-only (style 0x%08lX)", style);
    // An edit control created with WS_BORDER drops it from its style and
    // draws the border itself (Windows and Wine alike): compare without it.
    Check((style | WS_BORDER) == 0x50810800, "edit style is 0x50810800 apart from WS_BORDER "
          "(got 0x%08lX, extended 0x%08lX)", style, exStyle);
    Check((style & WS_BORDER) || (exStyle & WS_EX_CLIENTEDGE), "edit has a border");
    CheckEditTemplateStyle();

    RECT work = {0, 0, 0, 0};
    RECT rect = {0, 0, 0, 0};
    BOOL gotWorkArea = SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    Check(gotWorkArea && work.right > work.left && work.bottom > work.top,
          "work area (%ld,%ld)-(%ld,%ld)", work.left, work.top, work.right, work.bottom);
    GetWindowRect(dialog, &rect);
    long width = rect.right - rect.left;
    long height = rect.bottom - rect.top;
    long x = work.left + ((work.right - work.left) - width) / 2;
    long y = work.top + ((work.bottom - work.top) - height) / 2;
    Check(width > 0 && height > 0, "dialog has a size (%ldx%ld)", width, height);
    Check(rect.left == x && rect.top == y, "dialog centred in the work area at (%ld,%ld) "
          "(is at (%ld,%ld))", x, y, rect.left, rect.top);

    // Cross-process WM_GETICON answers 0 under Wine 8, so the question is
    // asked from a thread inside the installer.
    DWORD bigIcon = 0;
    DWORD loaded = 0;
    if (Check(RemoteDialogIcon(process, dialog, &bigIcon) &&
                  RemoteLoadInstallerIcon(process, &loaded),
              "asked the installer's process for its icons")) {
        Check(bigIcon != 0, "dialog has a big icon (0x%lX)", bigIcon);
        Check(bigIcon == loaded, "the big icon is the installer's icon 500 (0x%lX, 0x%lX)",
              bigIcon, loaded);
    }
    CheckIconResource();

    InstallOutcome outcome = CancelAndAnswer(&process, dialog, false);
    Check(outcome.exitCode == 1, "exit code 1 after Cancel (got %lu)", outcome.exitCode);
}

SCENARIO(notification_ignored) {
    InstallerProcess process;
    HWND dialog = StartAndWaitForDialog(&process);
    if (dialog == nullptr) return;

    // Commands that carry a notification code: OK and Cancel with code 1,
    // Browse with code 1, the edit with EN_CHANGE.
    const int ids[] = {IDOK, IDCANCEL, ControlBrowse, ControlInstallPath};
    const int codes[] = {1, 1, 1, EN_CHANGE};
    for (int i = 0; i < 4; i++) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(ids[i], codes[i]),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, ids[i])));
    }
    Sleep(1500);
    Check(IsWindow(dialog) && IsWindowVisible(dialog), "dialog still open after the notifications");
    Check(ProcessRunning(process), "installer still running");
    Check(WaitForFolderBrowser(process, 0) == nullptr, "no folder browser opened");
    Check(WaitForWindow(process, OutcomeCaption, 0) == nullptr, "no outcome box shown");

    InstallOutcome outcome = CancelAndAnswer(&process, dialog, false);
    CheckEqual(outcome.text, NotInstalledText, "Cancel still works afterwards");
    Check(outcome.exitCode == 1, "exit code 1 (got %lu)", outcome.exitCode);
    Check(!FolderExists(DefaultInstallFolder()), "nothing installed");
}

SCENARIO(browse_choose) {
    const std::string paint = "C:\\Tools\\Paint";
    const std::string brush = "C:\\Tools\\Brush";
    Check(CreateFolder("C:\\Tools") && CreateFolder(paint) && CreateFolder(brush),
          "created %s and %s", paint.c_str(), brush.c_str());

    InstallerProcess process;
    HWND dialog = StartAndWaitForDialog(&process);
    if (dialog == nullptr) return;
    std::string before = ControlText(dialog, ControlInstallPath);
    CheckEqual(before, DefaultInstallFolder(), "edit shows the default folder first");

    ChooseFolderWithBrowse(process, dialog, paint);
    CheckEqual(ControlText(dialog, ControlInstallPath), paint, "edit after choosing Paint");
    ChooseFolderWithBrowse(process, dialog, brush);
    CheckEqual(ControlText(dialog, ControlInstallPath), brush, "edit after choosing Brush");

    InstallOutcome outcome = ConfirmAndAnswer(&process, dialog, IDNO);
    CheckEqual(outcome.text, SuccessText, "success box text");
    Check(outcome.exitCode == 0, "exit code 0 (got %lu)", outcome.exitCode);
    for (const char* name : {"Brick.tpf", "Tessellograph3D.exe", "Tessellograph.exe"}) {
        CheckPayloadFile(brush, name);
        Check(!FileExists(paint + "\\" + name), "%s not written in Paint", name);
    }
    Check(!FolderExists(brush + "\\Quorrelin"), "no Quorrelin folder added to the chosen one");
    Check(!FolderExists(DefaultInstallFolder()), "default folder not created");
}

SCENARIO(browse_cancel) {
    InstallerProcess process;
    HWND dialog = StartAndWaitForDialog(&process);
    if (dialog == nullptr) return;
    std::string folder = DefaultInstallFolder();

    ClickButton(dialog, ControlBrowse);
    HWND browser = WaitForFolderBrowser(process);
    if (Check(browser != nullptr, "Browse opened the folder browser")) {
        // A selection made before cancelling must not be taken either.
        SelectInFolderBrowser(process, browser, "C:\\windows");
        ClickButton(browser, IDCANCEL);
        Check(WaitForWindowGone(browser), "the folder browser closed on its Cancel");
    }
    Sleep(500);
    CheckEqual(ControlText(dialog, ControlInstallPath), folder, "edit unchanged");

    InstallOutcome outcome = ConfirmAndAnswer(&process, dialog, IDNO);
    CheckEqual(outcome.text, SuccessText, "success box text");
    Check(outcome.exitCode == 0, "exit code 0 (got %lu)", outcome.exitCode);
    for (const char* name : {"Brick.tpf", "Tessellograph3D.exe", "Tessellograph.exe"}) {
        CheckPayloadFile(folder, name);
    }
}
