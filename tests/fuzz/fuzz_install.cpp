// libFuzzer target: whole runs with a fuzzed Program Files folder, Programs
// folder and browsed install folder. Sanitizers catch a write past a buffer;
// the checks catch a path that was cut instead of refused, and anything left
// open.
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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string chosen = TakePiece(data, size);
    std::string programFiles = TakePiece(data, size);
    std::string programs = TakePiece(data, size);

    ResetFake();
    Fake.programFiles = programFiles;
    Fake.programs = programs.empty() ? "C:\\P" : programs;
    Fake.browse.push_back({ItemPathFound, chosen});
    Press(ControlBrowse);
    Press(ControlOk);
    Press(ControlCancel);  // ends a dialog whose folder was refused
    RunInstaller();
    // Every file written lies in the folder the dialog showed last, named whole.
    for (const std::string& event : Fake.events) {
        if (event.compare(0, 5, "file ") != 0) continue;
        std::string path = event.substr(5, event.rfind(' ') - 5);
        if (path.compare(0, Fake.dialogText.size(), Fake.dialogText) != 0) abort();
        if (path.size() - Fake.dialogText.size() < 10 || path.size() > MaxPathLength) abort();
    }
    if (Fake.openKeys != 0 || Fake.openFiles != 0 || Fake.liveObjects != 0 || Fake.liveLists != 0) abort();

    return 0;
}
