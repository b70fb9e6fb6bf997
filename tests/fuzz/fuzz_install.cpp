// libFuzzer target: whole runs with a fuzzed Program Files folder, Programs
// folder and browsed install folder, plus the text pieces on raw input.
// Sanitizers catch any write past a buffer; the checks below catch paths
// that were cut instead of refused.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fake_platform.h"
#include "installer/install_folder.h"
#include "installer/run_installer.h"
#include "installer/text.h"
#include "registration/value_text.h"

static std::string TakePiece(const uint8_t*& data, size_t& size) {
    std::string piece;
    while (size > 0) {
        char c = static_cast<char>(*data++);
        size--;
        if (c == '|') break;
        if (c != 0) piece += c;
    }
    return piece;
}

static void Require(bool condition) {
    if (!condition) abort();
}

static void FuzzTextPieces(const std::string& path, const std::string& folder) {
    char value[TextCapacity];
    ProgramNaming naming{path.c_str(), folder.c_str(), "%ProgramFiles(x86)%"};
    if (OpenCommandText(value, sizeof value, naming)) Require(value[0] == '"');
    else Require(value[0] == 0);
    if (ProgramIconText(value, sizeof value, naming, static_cast<int>(path.size()) - 1000)) {
        Require(std::strchr(value, ',') != nullptr);
    }
    char copy[64];
    copy[0] = 0;
    bool fitted = AppendText(copy, path.c_str());
    Require(fitted == (path.size() < sizeof copy));
    if (fitted) {
        DropThreeDBeforeExtension(copy);
        Require(StringLength(copy) <= path.size());
    }
    Require(LastPathComponent(path.c_str()) >= path.c_str());
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string chosen = TakePiece(data, size);
    std::string programFiles = TakePiece(data, size);
    std::string programs = TakePiece(data, size);
    FuzzTextPieces(chosen, programFiles);

    ResetFake();
    Fake.programFiles = programFiles.substr(0, TextCapacity - 1);
    Fake.commonPrograms = programs.empty() ? "C:\\P" : programs.substr(0, TextCapacity - 1);
    Fake.browseChoices.push_back({false, ItemPathFound, chosen.substr(0, TextCapacity - 1)});
    PressBrowse();
    PressOk();
    PressCancel();  // ends a dialog whose folder was refused
    RunInstaller();

    // Every file the run touched lies inside the folder the dialog showed
    // last, named whole.
    std::string folder = Fake.dialogText;
    for (const std::string& call : CallsStartingWith("CreateFileA ")) {
        std::string path = call.substr(12);
        Require(path.compare(0, folder.size(), folder) == 0);
        Require(path.size() == folder.size() + 10 || path.size() == folder.size() + 18 ||
                path.size() == folder.size() + 20);
        Require(path.size() <= MaxPathLength);
    }
    Require(Fake.openKeys == 0 && Fake.liveObjects == 0);
    return 0;
}
