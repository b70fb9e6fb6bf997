// Whole runs against the fake machine: what an install leaves, in the order
// a user or Windows could notice, and how every failure is reported. What
// Wine shows for real (texts, values, shortcuts) is checked there instead.
#include <gtest/gtest.h>

#include <string>

#include "deploy/payload.h"
#include "deploy/program_files.h"
#include "installer/install_location_dialog.h"
#include "installer/run_installer.h"
#include "tests/base/fake_platform.h"

namespace {

const std::string Folder = "C:\\Program Files\\Quorrelin";
const std::string Group = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Quorrelin";
const std::string Failed = "Tessellograph was not completely installed!!!\r\n";
const std::string Files[] = {Folder + "\\Brick.tpf", Folder + "\\Tessellograph3D.exe", Folder + "\\Tessellograph.exe"};

// An earlier install, each file holding "old".
void InstalledBefore() { for (const std::string& file : Files) Fake.files[file] = "old"; }

// Each file is whole: the new payload or the old bytes, never cut short,
// and no temporary file stays behind.
void ExpectEveryFileWhole(const std::string& old = "") {
    const PayloadId payloads[] = {SampleDocument, EngineProgram, MainProgram};
    for (int i = 0; i < 3; i++) {
        Payload payload = GetPayload(payloads[i]);
        std::string bytes(reinterpret_cast<const char*>(payload.bytes), payload.length);
        EXPECT_EQ(Fake.files[Files[i]], Files[i] == old || old == "all" ? "old" : bytes) << Files[i];
    }
    EXPECT_EQ(Fake.files.size(), 3u);
}

ExitCode Install(int answer = 7) {
    Press(ControlOk);
    Fake.answers.push_back(answer);
    return RunInstaller();
}

// Files, keys, COM objects, item lists and COM itself, in that order; one key at a time.
void ExpectNothingLeftOpen() {
    EXPECT_EQ((std::vector<int>{Fake.openFiles, Fake.openKeys, Fake.liveObjects, Fake.liveLists, Fake.com}),
              std::vector<int>(5, 0));
    EXPECT_LE(Fake.maxOpenKeys, 1);
}

class InstallRun : public ::testing::Test {
protected:
    void SetUp() override { ResetFake(); }
};

TEST_F(InstallRun, StagesInTheirOrderWithEveryValueCountingItsNul) {
    Fake.userClasses = {".tpf", "tpffile"};  // a user's leftover keys take no value meant for every user
    for (unsigned id : {ControlCancel, ControlOk}) Press(id, 1);  // notifications, not commands
    Fake.dialog.push_back({MessageSysCommand, 0xF020});            // minimise, not close
    Fake.workArea = {-1280, 40, 0, 1064};                          // left of the primary monitor
    ASSERT_EQ(Install(6), ExitInstalled);
    // The settings reset comes before the dialog; the main shortcut is saved
    // before its target exists; the association notice follows the last value.
    const std::string order[] = {
        "deleted HKU\\S-1-5-21-1-2-3-1001\\Software\\Quorrelin\\Tessellograph Sweep",
        "dialog TPFI000",
        "folder " + Folder,
        "file " + Folder + "\\Brick.tpf " + std::to_string(GetPayload(SampleDocument).length),
        "folder " + Group,
        "value HKLM\\SOFTWARE\\Classes\\Quorrelin.Tessellograph3D\\CurVer",
        "file " + Folder + "\\Tessellograph3D.exe " + std::to_string(GetPayload(EngineProgram).length),
        "link " + Group + "\\Tessellograph3D.lnk",
        "link " + Group + "\\Tessellograph.lnk",
        "file " + Folder + "\\Tessellograph.exe " + std::to_string(GetPayload(MainProgram).length),
        "value HKLM\\SOFTWARE\\Classes\\Quorrelin.Tessellograph\\CurVer",
        "value HKLM\\SOFTWARE\\Classes\\Quorrelin.Tessellograph.bmp",
        "value HKLM\\SOFTWARE\\Classes\\.tpf",
        "notify",
        "box Tessellograph is installed!!!",
    };
    for (size_t i = 1; i < sizeof order / sizeof order[0]; i++) {
        ASSERT_NE(EventIndex(order[i]), std::string::npos) << order[i];
        EXPECT_LT(EventIndex(order[i - 1]), EventIndex(order[i])) << order[i];
    }
    EXPECT_EQ(Fake.events[EventIndex("notify") - 1], "value HKLM\\SOFTWARE\\Classes\\tpffile");
    EXPECT_EQ(Fake.events.size(), 3 + 2 + 3 + 2 + 43 + 1 + 1u);  // each thing once; Wine reads the 43 values
    // Wine stores a NUL of its own, so only here does the count show.
    for (auto& value : Fake.values) EXPECT_EQ(value.second.byteCount, value.second.text.size() + 1);
    EXPECT_EQ(Fake.boxes[0].style, 0x44u);
    EXPECT_EQ(Fake.dialogIcon, "icon 500");
    EXPECT_EQ(Fake.placed, std::make_pair(-1280 + 487, 40 + 450));  // centred
    // Yes: the desktop's user, not the administrator the installer may run
    // as, gets the editor, as they had their settings reset. (That No starts
    // nothing, every Wine scenario that answers No shows.)
    EXPECT_EQ(Fake.launches, std::vector<std::string>{"as user " + Folder + "\\Tessellograph.exe||10"});
    ExpectNothingLeftOpen();
}

// A running editor, or a program holding a file a moment: nothing is written
// until every file can be replaced, and the user decides. (Retry, once the
// editor is closed, is played under Wine: reinstall.)
TEST_F(InstallRun, FilesInUseAreWaitedForAndNothingIsWrittenOnCancel) {
    InstalledBefore();
    Fake.inUse[Files[0]] = 3;  // a scanner, briefly: no box
    Fake.scanTries = 3;        // and one that holds each new file a moment after it is closed
    // Only where there is no desktop shell does the elevated plain verb start
    // the editor, and the installer's own user has the settings reset.
    Fake.desktopShell = false;
    EXPECT_EQ(Install(6), ExitInstalled);
    EXPECT_EQ(Fake.boxes.size(), 1u);
    ExpectEveryFileWhole();
    EXPECT_EQ(Fake.events[1], "deleted HKCU\\Software\\Quorrelin\\Tessellograph Sweep");
    EXPECT_EQ(Fake.launches, std::vector<std::string>{"plain " + Folder + "\\Tessellograph.exe||10"});
    ResetFake();
    InstalledBefore();
    Fake.inUse[Files[2]] = -1;  // the editor runs, and the user cancels
    Fake.answers = {2};
    EXPECT_EQ(Install(), ExitNothingInstalled);
    ASSERT_EQ(Fake.boxes.size(), 2u);
    EXPECT_EQ(Fake.boxes[0].style, 0x35u);  // Retry and Cancel; the words are checked under Wine
    EXPECT_NEAR(Fake.slept, 2000, 200);
    EXPECT_EQ(Fake.boxes[1].text, "Tessellograph was not installed!!!");
    ExpectEveryFileWhole("all");
    EXPECT_TRUE(Fake.values.empty());
    ResetFake();
    Fake.otherCopy = true;  // another copy of the installer runs
    EXPECT_EQ(Install(), ExitNothingInstalled);
    EXPECT_EQ(Fake.events, std::vector<std::string>{"box TessellographInstall is already running.\r\nFinish that install first."});
}

// A large file goes out in pieces that a network drive takes.
TEST_F(InstallRun, LargeFilesAreWrittenInPieces) {
    std::string bytes(65 << 20, 'x');
    bytes.back() = 'y';
    EXPECT_TRUE(WriteFileFromImage("D:\\Large.exe", Payload{reinterpret_cast<const unsigned char*>(bytes.data()),
                                                             static_cast<unsigned>(bytes.size())}));
    EXPECT_TRUE(Fake.files["D:\\Large.exe"] == bytes);
}

// Each failure: every later stage still runs, the box names the first
// failure with the system's reason, nothing is offered and nothing leaks.
// (The install folder that cannot be made, a write that fills the drive and
// a move that is refused are Wine scenarios: parent_missing, full_drive,
// readonly_sample and in_the_way; so is a ProgID's key that cannot be
// created, in_the_way's volatile key: the same writer as .tpf's below.)
TEST_F(InstallRun, EachPlatformFailureIsNamedAndTheRestStillRuns) {
    const struct {
        const char* function;
        const char* subject;
        PlatformError error;
        std::string named;
        int times = 1;  // the dialog looks up the Programs folder too, and still takes a good folder
    } faults[] = {
        {"CreateFileA", "Tessellograph.tmp", 32, Folder + "\\Tessellograph.exe"},
        {"FlushFileBuffers", "Brick", 1784, Folder + "\\Brick.tpf"},
        {"CloseHandle", "Tessellograph.tmp", 59, Folder + "\\Tessellograph.exe"},
        {"SHGetSpecialFolderLocation", "PROGRAMS", 0x80004005u, "the all-users Programs folder", 2},
        {"CreateDirectoryA", "Programs", 5, Group},
        {"MultiByteToWideChar", "", 1113, Group + "\\Tessellograph3D.lnk"},
        {"CoCreateInstance", "", 0x80040154u, Group + "\\Tessellograph3D.lnk"},
        {"QueryInterface", "", 0x80004002u, Group + "\\Tessellograph3D.lnk"},
        {"SetPath", "", 0x80070057u, Group + "\\Tessellograph3D.lnk"},
        {"Save", "", 0x80070005u, Group + "\\Tessellograph3D.lnk"},
        {"RegOpenKeyExA", "HKLM", 2, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Quorrelin.Tessellograph3D"},
        {"RegSetValueExA", "bmp\\shell", 1021,
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Quorrelin.Tessellograph.bmp\\shell\\open\\command"},
        {"RegCreateKeyExA", "Classes\\.tpf", 5, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.tpf"},
    };
    for (auto& fault : faults) {
        ResetFake();
        InstalledBefore();  // a failed file keeps its old bytes
        for (int i = 0; i < fault.times; i++) Fail(fault.function, fault.error, fault.subject);
        EXPECT_EQ(Install(6), ExitInstallFailed) << fault.function;
        ASSERT_EQ(Fake.boxes.size(), 1u);
        EXPECT_EQ(Fake.boxes[0].text, Failed + fault.named + ": reason " + std::to_string(fault.error) + ".");
        EXPECT_EQ(Fake.boxes[0].style, 0x30u);  // and no editor starts: Wine's failed runs show that
        EXPECT_EQ(Fake.values.count("HKLM\\SOFTWARE\\Classes\\tpffile"), 1u) << fault.function;
        EXPECT_NE(EventIndex("notify"), std::string::npos);
        ExpectEveryFileWhole(fault.named);
        ExpectNothingLeftOpen();
    }
    ResetFake();
    Fail("CoCreateInstance", 0x80040154u);  // a missing link object costs that shortcut only
    Fake.programFiles = "C:\\v3D.x";         // and the main one drops only the 3D before its extension
    Fake.reason = std::string(1000, 'r');    // a reason that does not fit whole is left out, not cut
    Install();
    EXPECT_EQ(Fake.links, (std::map<std::string, std::string>{
                              {Group + "\\Tessellograph.lnk", "C:\\v3D.x\\Quorrelin\\Tessellograph.exe"}}));
    EXPECT_EQ(Fake.boxes[0].text, Failed + Group + "\\Tessellograph3D.lnk");
    ResetFake();
    InstalledBefore();
    Fake.shortWriteBy = 1;  // Brick.tpf is empty: the engine is the first short file
    EXPECT_EQ(Install(), ExitInstallFailed);
    EXPECT_EQ(Fake.boxes[0].text, Failed + Folder + "\\Tessellograph3D.exe: reason 29.");
    EXPECT_EQ(Fake.files[Files[1]], "old");
}

TEST_F(InstallRun, StartUpThatCannotFindItsFolders) {
    Fail("SHGetMalloc", 0x80004005u);
    EXPECT_EQ(Install(), ExitNothingInstalled);
    EXPECT_EQ(Fake.events.size(), 2u);  // silently: the settings reset, then no dialog, no box
    EXPECT_EQ(Fake.com, 0);
    // No Program Files folder: an empty dialog, and OK asks for a folder. A
    // path past the shell's buffer is refused like one past the system's
    // limit. (Where the files, shortcuts and values of a root go, the fuzzer
    // and the Wine scenario drive_root check; the other refusals, and that
    // their boxes are owned by the dialog, refused_folders.)
    ResetFake();
    Fail("SHGetSpecialFolderLocation", 0x80004005u, "PROGRAM_FILES");
    Fake.workArea = {100, 50, 740, 530};  // smaller than the dialog: its caption stays in reach
    Fake.window = {0, 0, 900, 700};
    Press(ControlOk);
    Fake.browse = {{ItemPathTooLong, "C:\\" + std::string(1100, 'y')}, {ItemPathFound, "C:\\"}};
    for (int i = 0; i < 2; i++) Press(ControlBrowse);
    Fake.shellRefuses = true;  // the desktop shell will not start the editor: the user is told
    EXPECT_EQ(Install(6), ExitInstalled);
    EXPECT_EQ(Fake.placed, std::make_pair(100, 50));
    EXPECT_EQ(Fake.boxes[0].text, "Choose a folder to install Tessellograph in with Browse.");
    EXPECT_NE(Fake.boxes[1].text.find("too long"), std::string::npos);
    for (int i : {0, 1}) EXPECT_EQ(Fake.boxes[i].style, 0x30u);  // refusals warn
    EXPECT_TRUE(Fake.launches.empty());
    EXPECT_EQ(Fake.boxes.back().text, "Windows did not start Tessellograph.\r\nStart it from the Start menu.");
    EXPECT_EQ(Fake.browsersOwned, std::vector<bool>(2, true));
    ExpectNothingLeftOpen();
}

}  // namespace
