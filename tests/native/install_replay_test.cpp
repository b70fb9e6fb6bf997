// Whole runs of the installer against the recording fake.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "deploy/payload.h"
#include "fake_platform.h"
#include "installer/run_installer.h"

namespace {

const std::string Folder = "C:\\Program Files\\Quorrelin";
const std::string Programs = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
const std::string Success =
    "Tessellograph is installed!!!\r\nWould you like to run Tessellograph now?";

class InstallerRun : public ::testing::Test {
protected:
    void SetUp() override { ResetFake(); }

    // Everything the log holds between two lines (exclusive), for one stage.
    std::vector<std::string> Between(const std::string& first, const std::string& last) {
        std::vector<std::string> lines;
        bool inside = false;
        for (const std::string& call : Fake.calls) {
            if (inside && call == last) break;
            if (inside) lines.push_back(call);
            if (call == first) inside = true;
        }
        return lines;
    }
};

TEST_F(InstallerRun, DefaultInstallMakesTheExpectedCallsInOrder) {
    PressOk();
    EXPECT_EQ(RunInstaller(), ExitInstalled);
    std::vector<std::string> startUp(Fake.calls.begin(), Fake.calls.begin() + 18);
    EXPECT_EQ(startUp, (std::vector<std::string>{
        "GetModuleHandleA",
        "LoadIconA 500",
        "RegOpenKeyExA HKCU\\Software\\Quorrelin\\Tessellograph",
        "RegDeleteValueA Data",
        "RegDeleteValueA Sweep",
        "RegCloseKey",
        "SystemParametersInfoA SPI_GETWORKAREA",
        "CoInitialize",
        "SHGetMalloc",
        "IsWow64Process",
        "SHGetSpecialFolderLocation CSIDL_PROGRAM_FILES",
        "SHGetPathFromIDList C:\\Program Files",
        "DialogBoxParamA TPFI000",
        "SendMessageA WM_SETICON ICON_BIG",
        "GetWindowRect",
        "MoveWindow 359,322 306x124",
        "SetDlgItemTextA 3072 " + Folder,
        "EndDialog 1",
    })) << JoinedCalls();

    // Files and folders, in stage order, with one write of each whole payload.
    std::vector<std::string> files;
    for (const std::string& call : Fake.calls) {
        if (call.rfind("CreateDirectoryA", 0) == 0 || call.rfind("CreateFileA", 0) == 0 ||
            call.rfind("WriteFile", 0) == 0 || call.rfind("CloseHandle", 0) == 0 ||
            call.rfind("IPersistFile::Save", 0) == 0)
            files.push_back(call);
    }
    std::string main = std::to_string(GetPayload(MainProgram).length);
    std::string engine = std::to_string(GetPayload(EngineProgram).length);
    EXPECT_EQ(files, (std::vector<std::string>{
        "CreateDirectoryA " + Folder,
        "CreateFileA " + Folder + "\\Brick.tpf", "WriteFile 0", "CloseHandle " + Folder + "\\Brick.tpf",
        "CreateDirectoryA " + Programs + "\\Quorrelin",
        "CreateFileA " + Folder + "\\Tessellograph3D.exe", "WriteFile " + engine,
        "CloseHandle " + Folder + "\\Tessellograph3D.exe",
        "IPersistFile::Save " + Programs + "\\Quorrelin\\Tessellograph3D.lnk",
        "IPersistFile::Save " + Programs + "\\Quorrelin\\Tessellograph.lnk",
        "CreateFileA " + Folder + "\\Tessellograph.exe", "WriteFile " + main,
        "CloseHandle " + Folder + "\\Tessellograph.exe",
    }));

    std::vector<std::string> end(Fake.calls.end() - 5, Fake.calls.end());
    EXPECT_EQ(end, (std::vector<std::string>{
        "SHChangeNotify SHCNE_ASSOCCHANGED",
        "MessageBoxA TessellographInstall 68",
        "IMalloc::Free C:\\Program Files",
        "IMalloc::Release",
        "CoUninitialize",
    }));
    ASSERT_EQ(Fake.messageBoxes.size(), 1u);
    EXPECT_EQ(Fake.messageBoxes[0], Success);
    EXPECT_TRUE(CallsStartingWith("ShellExecuteA").empty());  // the answer was No
    EXPECT_EQ(Fake.maxOpenKeys, 1);
    EXPECT_EQ(Fake.openKeys, 0);
    EXPECT_EQ(Fake.liveObjects, 0);
}

TEST_F(InstallerRun, FilesHoldExactlyThePayloadBytes) {
    PressOk();
    RunInstaller();
    Payload main = GetPayload(MainProgram);
    EXPECT_EQ(Fake.files[Folder + "\\Tessellograph.exe"],
              std::vector<unsigned char>(main.bytes, main.bytes + main.length));
    Payload engine = GetPayload(EngineProgram);
    EXPECT_EQ(Fake.files[Folder + "\\Tessellograph3D.exe"],
              std::vector<unsigned char>(engine.bytes, engine.bytes + engine.length));
    EXPECT_TRUE(Fake.files[Folder + "\\Brick.tpf"].empty());  // an empty payload makes an empty file
}

TEST_F(InstallerRun, YesStartsTheInstalledEditorWithNoArguments) {
    PressOk();
    Fake.outcomeAnswer = 6;
    EXPECT_EQ(RunInstaller(), ExitInstalled);
    EXPECT_EQ(CallsStartingWith("ShellExecuteA"),
              std::vector<std::string>{"ShellExecuteA " + Folder + "\\Tessellograph.exe"});
}

TEST_F(InstallerRun, CancelAndCloseInstallNothingButStillResetTheSettings) {
    for (int closeCommand = 0; closeCommand < 2; closeCommand++) {
        ResetFake();
        if (closeCommand) SendCloseCommand(); else PressCancel();
        EXPECT_EQ(RunInstaller(), ExitNothingInstalled);
        EXPECT_EQ(CallsStartingWith("RegDeleteValueA").size(), 2u);
        EXPECT_TRUE(CallsStartingWith("CreateDirectoryA").empty());
        EXPECT_TRUE(CallsStartingWith("CreateFileA").empty());
        EXPECT_TRUE(CallsStartingWith("RegCreateKeyExA").empty());
        ASSERT_EQ(Fake.messageBoxes, std::vector<std::string>{"Tessellograph was not installed!!!"});
        EXPECT_EQ(CallsStartingWith("MessageBoxA"),
                  std::vector<std::string>{"MessageBoxA TessellographInstall 48"});
        EXPECT_EQ(Fake.calls.back(), "CoUninitialize");
    }
}

TEST_F(InstallerRun, MissingSettingsKeyIsNeitherCreatedNorAnError) {
    Fake.settingsKeyExists = false;
    PressOk();
    EXPECT_EQ(RunInstaller(), ExitInstalled);
    EXPECT_TRUE(CallsStartingWith("RegDeleteValueA").empty());
    EXPECT_TRUE(CallsStartingWith("RegCreateKeyExA HKCU").empty());
    EXPECT_EQ(Fake.messageBoxes.back(), Success);
}

TEST_F(InstallerRun, FailedShellAllocatorEndsSilently) {
    Fake.failures.push_back({"SHGetMalloc", 0x80004005u, false});
    PressOk();
    EXPECT_EQ(RunInstaller(), ExitNothingInstalled);
    std::vector<std::string> tail(Fake.calls.end() - 3, Fake.calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"CoInitialize", "SHGetMalloc", "CoUninitialize"}));
    EXPECT_TRUE(Fake.messageBoxes.empty());
    EXPECT_TRUE(CallsStartingWith("DialogBoxParamA").empty());
}

TEST_F(InstallerRun, ExistingFoldersAreFine) {
    Fake.existingFolders = {Folder, Programs + "\\Quorrelin"};
    PressOk();
    EXPECT_EQ(RunInstaller(), ExitInstalled);
    EXPECT_EQ(Fake.messageBoxes.back(), Success);
}

struct PlatformFault {
    const char* call;          // log prefix of the call that fails
    PlatformError error;
    const char* namedInMessage;
};

// Each kind of failure: every stage still runs, the first failure is named
// with the system's reason, no launch is offered, and the exit code says so.
TEST_F(InstallerRun, EachPlatformFailureIsReportedAndTheRestStillRuns) {
    const std::string group = Programs + "\\Quorrelin";
    const PlatformFault faults[] = {
        {"CreateDirectoryA C:\\Program Files\\Quorrelin", 3, "C:\\Program Files\\Quorrelin: reason 3."},
        {"CreateFileA C:\\Program Files\\Quorrelin\\Tessellograph.exe", 32,
         "C:\\Program Files\\Quorrelin\\Tessellograph.exe: reason 32."},
        {"WriteFile", 112, "C:\\Program Files\\Quorrelin\\Brick.tpf: reason 112."},
        {"SHGetSpecialFolderLocation CSIDL_COMMON_PROGRAMS", 0x80004005u,
         "the all-users Programs folder: reason 2147500037."},
        {"CreateDirectoryA C:\\ProgramData", 5, "\\Quorrelin: reason 5."},
        {"CoCreateInstance", 0x80040154u, "Tessellograph3D.lnk: reason 2147746132."},
        {"IShellLinkA::QueryInterface", 0x80004002u, "Tessellograph3D.lnk: reason 2147500034."},
        {"IShellLinkA::SetPath", 0x80070057u, "Tessellograph3D.lnk: reason 2147942487."},
        {"IPersistFile::Save", 0x80070005u, "Tessellograph3D.lnk: reason 2147942405."},
        {"MultiByteToWideChar", 1113, "Tessellograph3D.lnk: reason 1113."},
        {"RegCreateKeyExA HKLM", 5,
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Quorrelin.Tessellograph3D\\CurVer: reason 5."},
        {"RegOpenKeyExA HKLM", 2,
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Quorrelin.Tessellograph3D: reason 2."},
        {"RegSetValueExA REG_EXPAND_SZ", 1021,
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Quorrelin.Tessellograph.bmp\\shell\\open\\command: "
         "reason 1021."},
        {"RegCreateKeyExA HKCR\\.tpf", 5, "HKEY_CLASSES_ROOT\\.tpf: reason 5."},
    };
    for (const PlatformFault& fault : faults) {
        ResetFake();
        Fake.failures.push_back({fault.call, fault.error, true});
        Fake.outcomeAnswer = 6;
        PressOk();
        EXPECT_EQ(RunInstaller(), ExitInstallFailed) << fault.call;
        ASSERT_EQ(Fake.messageBoxes.size(), 1u);
        const std::string& text = Fake.messageBoxes[0];
        EXPECT_EQ(text.rfind("Tessellograph was not completely installed!!!\r\n", 0), 0u) << text;
        EXPECT_NE(text.find(fault.namedInMessage), std::string::npos) << fault.call << "\n" << text;
        EXPECT_EQ(CallsStartingWith("MessageBoxA"),
                  std::vector<std::string>{"MessageBoxA TessellographInstall 48"});
        EXPECT_TRUE(CallsStartingWith("ShellExecuteA").empty()) << fault.call;
        // Every stage was attempted: the last file, the last registry key, the notification.
        EXPECT_EQ(CallsStartingWith("CreateFileA " + Folder + "\\Tessellograph.exe").size(), 1u);
        EXPECT_EQ(CallsStartingWith("RegOpenKeyExA HKCR\\tpffile").size(), 1u) << fault.call;
        EXPECT_EQ(CallsStartingWith("SHChangeNotify").size(), 1u);
        EXPECT_EQ(Fake.openKeys, 0);
        EXPECT_EQ(Fake.liveObjects, 0) << fault.call;
        EXPECT_EQ(Fake.calls.back(), "CoUninitialize");
    }
}

TEST_F(InstallerRun, ShortWriteIsAFailure) {
    Fake.shortWriteBy = 1;
    PressOk();
    EXPECT_EQ(RunInstaller(), ExitInstallFailed);
    // Brick.tpf is empty, so the first short file is the engine.
    EXPECT_NE(Fake.messageBoxes[0].find(Folder + "\\Tessellograph3D.exe: reason 29."),
              std::string::npos) << Fake.messageBoxes[0];
}

TEST_F(InstallerRun, MissingInterfaceSkipsOnlyThatShortcut) {
    Fake.failures.push_back({"IShellLinkA::QueryInterface", 0x80004002u, true});
    PressOk();
    RunInstaller();
    // The first link object is released without a call through the missing
    // interface; the second shortcut is made as usual.
    EXPECT_EQ(Between("MultiByteToWideChar " + Programs + "\\Quorrelin\\Tessellograph3D.lnk",
                      "CreateFileA " + Folder + "\\Tessellograph.exe"),
              (std::vector<std::string>{
                  "CoCreateInstance CLSID_ShellLink IID_IShellLinkA",
                  "IShellLinkA::QueryInterface IID_IPersistFile",
                  "IShellLinkA::Release",
                  "MultiByteToWideChar " + Programs + "\\Quorrelin\\Tessellograph.lnk",
                  "CoCreateInstance CLSID_ShellLink IID_IShellLinkA",
                  "IShellLinkA::QueryInterface IID_IPersistFile",
                  "IShellLinkA::SetPath " + Folder + "\\Tessellograph.exe",
                  "IPersistFile::Save " + Programs + "\\Quorrelin\\Tessellograph.lnk",
                  "IPersistFile::Release",
                  "IShellLinkA::Release",
              }));
}

}  // namespace

namespace {

TEST(FileInPlaceOfAFolder, IsNamedAsTheFirstFailure) {
    const std::string group = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Quorrelin";
    for (const std::string& blocked : {std::string("C:\\Program Files\\Quorrelin"), group}) {
        ResetFake();
        Fake.existingFiles.push_back(blocked);
        PressOk();
        EXPECT_EQ(RunInstaller(), ExitInstallFailed);
        ASSERT_EQ(Fake.messageBoxes.size(), 1u);
        EXPECT_NE(Fake.messageBoxes[0].find("\r\n" + blocked + ": reason 80."), std::string::npos)
            << Fake.messageBoxes[0];
    }
}

}  // namespace
