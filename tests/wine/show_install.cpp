// show_install: what tools/run-installer does without a display. It installs
// with OK and No, then prints what the install left: files, shortcuts and
// registry values, as a person would look them up.
#include "driver_support.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstdio>

namespace {

const GUID ShellLinkClass = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const GUID ShellLinkInterface = {0x000214EE, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const GUID PersistFileInterface = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

std::string ShortcutTarget(const std::string& path) {
    std::string target = "(unreadable)";
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(ShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, ShellLinkInterface,
                                reinterpret_cast<void**>(&link))))
        return target;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(PersistFileInterface, reinterpret_cast<void**>(&file)))) {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        char buffer[MAX_PATH] = "";
        if (file->Load(wide, STGM_READ) == S_OK &&
            SUCCEEDED(link->GetPath(buffer, MAX_PATH, nullptr, 0)))
            target = buffer;
        file->Release();
    }
    link->Release();
    return target;
}

void ListFolder(const std::string& folder, bool shortcuts) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::string path = folder + "\\" + found.cFileName;
        if (shortcuts) printf("  %-22s -> %s\n", found.cFileName, ShortcutTarget(path).c_str());
        else printf("  %-22s %8lu bytes\n", found.cFileName, found.nFileSizeLow);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

const char* RootName(HKEY root) { return root == HKEY_CLASSES_ROOT ? "HKCR" : "HKLM"; }

// Prints the default value of the key and of every key below it.
void ListKey(HKEY root, const std::string& path) {
    RegistryValue value = ReadRegistryValue(root, path);
    if (!value.keyExists) return;
    if (value.valueExists) {
        printf("  %s\\%s\n      %s, %lu bytes: %s\n", RootName(root), path.c_str(),
               value.type == REG_EXPAND_SZ ? "REG_EXPAND_SZ" : value.type == REG_SZ ? "REG_SZ" : "other",
               value.byteCount, value.data.c_str());
    }
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    std::vector<std::string> children;
    char name[256];
    for (DWORD i = 0;; i++) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        children.push_back(name);
    }
    RegCloseKey(key);
    for (const std::string& child : children) ListKey(root, path + "\\" + child);
}

void ListProgramIds() {
    HKEY classes;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes", 0, KEY_READ, &classes) != ERROR_SUCCESS) return;
    std::vector<std::string> ours;
    char name[256];
    for (DWORD i = 0;; i++) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(classes, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (strncmp(name, "Quorrelin.", 10) == 0) ours.push_back(name);
    }
    RegCloseKey(classes);
    for (const std::string& id : ours) ListKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\" + id);
}

}  // namespace

SCENARIO(show_install) {
    InstallOutcome outcome = RunInstall(IDNO);
    printf("\nThe installer said (%s):\n  %s\n", outcome.caption.c_str(), outcome.text.c_str());
    printf("It ended with exit code %lu.\n", outcome.exitCode);
    Check(outcome.exitCode == 0 && outcome.text == SuccessText, "the install was complete");

    CoInitialize(nullptr);
    std::string folder = outcome.dialogPath;
    printf("\nInstall folder %s:\n", folder.c_str());
    ListFolder(folder, false);
    std::string group = CommonProgramsFolder() + "\\Quorrelin";
    printf("\nStart-menu group %s:\n", group.c_str());
    ListFolder(group, true);
    printf("\nRegistry:\n");
    ListProgramIds();
    ListKey(HKEY_CLASSES_ROOT, ".tpf");
    ListKey(HKEY_CLASSES_ROOT, "tpffile");
    CoUninitialize();
    printf("\n");
}
