// Start-menu scenarios: the group folder and its two shortcuts, resolved by
// the shell's own link object as Explorer would.
#include "driver_support.h"

#include <objbase.h>
#include <shlobj.h>

// From scenarios_registration.cpp.
InstallOutcome RunInstallInBrowsedFolder(const std::string& folder);
bool CheckInstalled(const InstallOutcome& outcome, const char* what);

namespace {

// Local GUIDs: the driver then needs no uuid import library.
const GUID ShellLinkClass = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const GUID ShellLinkInterface = {0x000214EE, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const GUID PersistFileInterface = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

struct Shortcut {
    bool loaded = false;
    bool hasTarget = false;
    std::string target, arguments, workingFolder, description, iconPath;
    int iconIndex = 0;
    WORD hotKey = 0;
    int showCommand = 0;
};

// Loads a .lnk through CLSID_ShellLink and reads back what it holds.
Shortcut ReadShortcut(const std::string& path) {
    Shortcut shortcut;
    HRESULT initialised = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(ShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, ShellLinkInterface,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(PersistFileInterface, reinterpret_cast<void**>(&file)))) {
            WCHAR widePath[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH);
            shortcut.loaded = file->Load(widePath, STGM_READ) == S_OK;
            file->Release();
        }
        if (shortcut.loaded) {
            char text[MAX_PATH * 2];
            WIN32_FIND_DATAA found;
            text[0] = 0;
            shortcut.hasTarget = link->GetPath(text, sizeof text, &found, 0) == S_OK;
            shortcut.target = text;
            text[0] = 0;
            link->GetArguments(text, sizeof text);
            shortcut.arguments = text;
            text[0] = 0;
            link->GetWorkingDirectory(text, sizeof text);
            shortcut.workingFolder = text;
            text[0] = 0;
            link->GetDescription(text, sizeof text);
            shortcut.description = text;
            text[0] = 0;
            link->GetIconLocation(text, sizeof text, &shortcut.iconIndex);
            shortcut.iconPath = text;
            link->GetHotkey(&shortcut.hotKey);
            link->GetShowCmd(&shortcut.showCommand);
        }
        link->Release();
    }
    if (SUCCEEDED(initialised)) CoUninitialize();
    return shortcut;
}

// The shortcut file exists, loads, leads to the installed program, and
// carries nothing but that target.
void CheckShortcut(const std::string& linkPath, const std::string& target) {
    if (!Check(FileExists(linkPath), "%s exists", linkPath.c_str())) return;
    Shortcut shortcut = ReadShortcut(linkPath);
    if (!Check(shortcut.loaded, "%s loads as a shell link", linkPath.c_str())) return;
    Check(shortcut.hasTarget && SameText(shortcut.target, target), "%s leads to %s (got \"%s\")",
          linkPath.c_str(), target.c_str(), shortcut.target.c_str());
    Check(FileExists(shortcut.target), "%s: target %s exists", linkPath.c_str(),
          shortcut.target.c_str());
    Check(shortcut.arguments.empty() && shortcut.description.empty() && shortcut.iconPath.empty() &&
              shortcut.hotKey == 0,
          "%s: no arguments, description, icon or hot key (\"%s\", \"%s\", \"%s\", %u)",
          linkPath.c_str(), shortcut.arguments.c_str(), shortcut.description.c_str(),
          shortcut.iconPath.c_str(), shortcut.hotKey);
}

// Names of the entries of a folder, "." and ".." left out.
std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// The group holds exactly the two shortcuts, to the programs in installFolder.
void CheckGroup(const std::string& group, const std::string& installFolder) {
    if (!Check(FolderExists(group), "group folder %s exists", group.c_str())) return;
    std::vector<std::string> entries = FolderEntries(group);
    bool onlyTwo = entries.size() == 2;
    for (const std::string& name : entries) {
        onlyTwo = onlyTwo && (name == "Tessellograph3D.lnk" || name == "Tessellograph.lnk");
    }
    std::string listed;
    for (const std::string& name : entries) listed += " " + name;
    Check(onlyTwo, "%s holds the two shortcuts only (%s )", group.c_str(), listed.c_str());
    CheckShortcut(group + "\\Tessellograph3D.lnk", installFolder + "\\Tessellograph3D.exe");
    // Saved before its target was written, it still leads to the installed editor.
    CheckShortcut(group + "\\Tessellograph.lnk", installFolder + "\\Tessellograph.exe");
}

}  // namespace

SCENARIO(shortcuts_default) {
    if (!CheckInstalled(RunInstall(IDNO), "default install")) return;
    std::string group = CommonProgramsFolder() + "\\Quorrelin";
    CheckGroup(group, DefaultInstallFolder());
    // For check_lnkinfo.sh, which reads the same files with a Linux tool.
    Note("shortcut folder: %s", group.c_str());
}

SCENARIO(shortcuts_reinstall) {
    if (!CheckInstalled(RunInstall(IDNO), "first install")) return;
    std::string group = CommonProgramsFolder() + "\\Quorrelin";
    const char* names[] = {"Tessellograph3D.lnk", "Tessellograph.lnk"};
    const std::vector<unsigned char> junk(300, 0xA5);
    for (const char* name : names) {
        std::string link = group + "\\" + name;
        Check(WriteFileBytes(link, junk), "%s overwritten with junk", link.c_str());
        Check(!ReadShortcut(link).loaded, "%s no longer loads as a shell link", link.c_str());
    }
    if (!CheckInstalled(RunInstall(IDNO), "second install")) return;
    for (const char* name : names) {
        std::string link = group + "\\" + name;
        Check(ReadFileBytes(link) != junk, "%s rewritten by the second install", link.c_str());
    }
    CheckGroup(group, DefaultInstallFolder());
}

SCENARIO(shortcuts_browsed_folder) {
    const std::string folder = "C:\\Tools\\Paint";
    if (!CheckInstalled(RunInstallInBrowsedFolder(folder), "install into C:\\Tools\\Paint")) return;
    // The group is named after the last component of the install folder.
    CheckGroup(CommonProgramsFolder() + "\\Paint", folder);
    Check(!FolderExists(CommonProgramsFolder() + "\\Quorrelin"), "no Quorrelin group created");
    Check(!FolderExists(CommonProgramsFolder() + "\\Tools"), "no Tools group created");
}
