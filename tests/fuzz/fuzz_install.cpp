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
    for (; size > 0 && *data != '|'; data++, size--)
        if (*data != 0) piece += static_cast<char>(*data);
    if (size > 0) data++, size--;
    return piece.substr(0, TextCapacity - 1);
}

static void Check(bool ok) { if (!ok) abort(); }

static size_t Length(const std::string& path) { return Characters(path).size(); }  // as Windows counts
static std::string LastComponent(const std::string& path) {
    std::string component;
    for (const std::string& c : Characters(path)) component = c == "\\" ? "" : component + c;
    return component;
}
static std::string Lower(std::string text) {  // Program Files may be named in another case
    for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
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
    Fake.japanese = answers & 0x80;
    Fake.answers = {user & 1 ? 6 : 7};  // Yes or No
    Fake.desktopShell = user & 2;
    Press(ControlBrowse);
    Press(ControlOk);
    Press(ControlCancel);  // ends a dialog whose folder was refused
    RunInstaller();

    // A folder the shell gives whole, without "%", whose files and shortcuts
    // fit, is taken and installs completely.
    const std::string folder = Fake.dialogText, group = Fake.programs + "\\" + LastComponent(folder);
    bool fits = !chosen.empty() && Spellable(chosen) && chosen.find('%') == std::string::npos &&
                Length(chosen) + 20 <= MaxPathLength && Length(Fake.programs + "\\" + LastComponent(chosen)) + 20 <= MaxPathLength &&
                Lower(Fake.programs + "\\" + LastComponent(chosen)) != Lower(Fake.startup);
    if (fits && (answers >> 4 & 3) == ItemPathFound && Fake.programsAnswer == ItemPathFound && Spellable(Fake.programs))
        Check(folder == chosen && Fake.boxes.back().text.compare(0, 29, "Tessellograph is installed!!!") == 0);
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
    const std::string program = Lower(folder + "\\Tessellograph.exe");
    // A 32-bit installer on 64-bit Windows names the folder that 64-bit programs expand alike.
    const std::string reference = Fake.wow64 ? "%ProgramFiles(x86)%" : "%ProgramFiles%";
    for (auto& value : Fake.values) {
        std::string text = value.second.text;  // as Windows expands it
        size_t at = text.find(reference);
        if (at <= 1) text.replace(at, reference.size(), Fake.programFiles);
        if (value.second.type != 2) continue;  // only REG_EXPAND_SZ values name the program
        bool command = value.first.size() > 8 && value.first.compare(value.first.size() - 8, 8, "\\command") == 0;
        Check(command ? Lower(text) == "\"" + program + "\" \"%1\"" : Lower(text.substr(0, text.rfind(','))) == program);
        Check(command || text.find_first_not_of("0123456789", text.rfind(',') + 1) == std::string::npos);
    }
    Check(Fake.openKeys == 0 && Fake.openFiles == 0 && Fake.liveObjects == 0 && Fake.liveLists == 0);
    return 0;
}
