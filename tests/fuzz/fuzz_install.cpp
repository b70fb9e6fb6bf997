// libFuzzer target: whole runs where the fuzzer picks every answer: the
// shell's for Program Files, Programs and the browsed folder (found, not on a
// disk, not spellable, too long), the paths themselves, the code page, the
// arch and the user's Yes or No. Sanitizers catch a write or read past a
// buffer; the checks catch a file, shortcut or value that names anything but
// the folder the dialog showed last, a path past Windows' limits, and
// anything left open.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/text.h"
#include "installer/install_folder.h"
#include "installer/install_location_dialog.h"
#include "installer/run_installer.h"
#include "tests/base/fake_platform.h"

static std::string TakePiece(const uint8_t*& data, size_t& size) {
    std::string piece;
    for (; size > 0 && *data != '|'; data++, size--) {
        if (*data != 0) piece += static_cast<char>(*data);
    }
    if (size > 0) data++, size--;
    return piece.substr(0, TextCapacity - 1);
}

static void Check(bool ok) {
    if (!ok) abort();
}

// Windows' length of a path, and the path after its last backslash.
static size_t Length(const std::string& path) { return Characters(path).size(); }
static std::string LastComponent(const std::string& path) {
    std::string component;
    for (const std::string& c : Characters(path)) component = c == "\\" ? "" : component + c;
    return component;
}

// The same path, where the Program Files part may differ in the case of a letter.
static bool SamePath(const std::string& a, const std::string& b) {
    std::vector<std::string> x = Characters(a), y = Characters(b);
    if (x.size() != y.size()) return false;
    for (size_t i = 0; i < x.size(); i++) {
        unsigned char c = x[i][0], d = y[i][0];
        bool letters = x[i].size() == 1 && y[i].size() == 1 && c < 0x80 && isalpha(c) && tolower(c) == tolower(d);
        if (x[i] != y[i] && !letters) return false;
    }
    return true;
}

// What a stored value says once Windows expands it: the program it names.
static std::string Expanded(const std::string& text) {
    std::string expanded = text;
    for (std::string reference : {"%ProgramFiles(x86)%", "%ProgramFiles%"}) {
        if (expanded.compare(expanded[0] == '"', reference.size(), reference) == 0)
            expanded.replace(expanded[0] == '"', reference.size(), Fake.programFiles);
    }
    return expanded;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    unsigned answers = data[0], user = data[1];
    data += 2, size -= 2;
    std::string chosen = TakePiece(data, size);
    std::string programFiles = TakePiece(data, size);
    std::string programs = TakePiece(data, size);

    ResetFake();
    Fake.programFiles = programFiles;
    Fake.programs = programs.empty() ? "C:\\P" : programs;
    Fake.programFilesAnswer = static_cast<ItemPath>(answers & 3);
    Fake.programsAnswer = static_cast<ItemPath>(answers >> 2 & 3);
    Fake.browse.push_back({static_cast<ItemPath>(answers >> 4 & 3), chosen});
    Fake.wow64 = answers & 0x40;
    if (answers & 0x80) Fake.leadBytes = Japanese;
    Fake.answer = user & 1 ? 6 : 7;  // Yes or No
    Fake.desktopShell = user & 2;
    Press(ControlBrowse);
    Press(ControlOk);
    Press(ControlCancel);  // ends a dialog whose folder was refused
    RunInstaller();

    const std::string folder = Fake.dialogText, group = Fake.programs + "\\" + LastComponent(folder);
    for (const std::string& event : Fake.events) {
        if (event.compare(0, 5, "file ") != 0) continue;
        std::string path = event.substr(5, event.rfind(' ') - 5);
        Check(path == folder + "\\Brick.tpf" || path == folder + "\\Tessellograph3D.exe" || path == folder + "\\Tessellograph.exe");
        Check(Length(path) <= MaxPathLength);
    }
    for (auto& link : Fake.links) {
        bool engine = link.first == group + "\\Tessellograph3D.lnk";
        Check(engine || link.first == group + "\\Tessellograph.lnk");
        Check(link.second == folder + (engine ? "\\Tessellograph3D.exe" : "\\Tessellograph.exe"));
        Check(Length(link.first) <= MaxPathLength && Length(group) <= MaxFolderLength);
    }
    const std::string program = folder + "\\Tessellograph.exe";
    for (auto& value : Fake.values) {
        if (value.second.type != 2) continue;  // REG_EXPAND_SZ: what names the program
        std::string text = Expanded(value.second.text);
        bool command = text.size() > 6 && text.compare(text.size() - 6, 6, "\" \"%1\"") == 0;
        std::string named = command ? text.substr(1, text.size() - 7) : text.substr(0, text.rfind(','));
        Check(SamePath(named, program) && named.find('%') == std::string::npos);
        Check(command ? text[0] == '"' : text.find_first_not_of("0123456789", text.rfind(',') + 1) == std::string::npos);
    }
    Check(Fake.openKeys == 0 && Fake.openFiles == 0 && Fake.liveObjects == 0 && Fake.liveLists == 0);
    return 0;
}
