// The install-location dialog: its arithmetic, its commands and the browser.
#include <gtest/gtest.h>

#include <string>

#include "fake_platform.h"
#include "installer/install_location_dialog.h"
#include "installer/install_state.h"
#include "installer/run_installer.h"

namespace {

TEST(Centring, HalvesTheSpareRoomWithIntegerDivision) {
    int x = 0, y = 0;
    CentreInWorkArea({10, 20, 316, 145}, {0, 0, 1024, 768}, &x, &y);
    EXPECT_EQ(x, 359);  // (1024 - 306) / 2
    EXPECT_EQ(y, 321);  // (768 - 125) / 2, rounded down
    CentreInWorkArea({0, 0, 306, 124}, {-1280, 40, 0, 1064}, &x, &y);  // a monitor left of the primary
    EXPECT_EQ(x, -1280 + 487);
    EXPECT_EQ(y, 40 + 450);
    // Larger than the work area: the caption stays in reach.
    CentreInWorkArea({0, 0, 900, 700}, {100, 50, 740, 530}, &x, &y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
}

class Dialog : public ::testing::Test {
protected:
    void SetUp() override { ResetFake(); }
};

TEST_F(Dialog, NotificationsAreIgnoredAndOnlySysCloseCloses) {
    SendCommand(1, 0x0100);   // EN_SETFOCUS-like: must not confirm
    SendCommand(2, 1);        // not a command either
    Fake.dialogScript.push_back([](PlatformHandle dialog) {
        EXPECT_FALSE(InstallLocationDialogProc(dialog, MessageSysCommand, 0xF020, 0));  // minimise
        EXPECT_FALSE(InstallLocationDialogProc(dialog, 0x0200, 0, 0));                  // any other message
    });
    SendCloseCommand();
    EXPECT_EQ(RunInstaller(), ExitNothingInstalled);
    EXPECT_EQ(CallsStartingWith("EndDialog"), std::vector<std::string>{"EndDialog 0"});
    EXPECT_TRUE(CallsStartingWith("SHBrowseForFolderA").empty());
}

TEST_F(Dialog, LastChosenFolderWinsAndCancelledBrowserChangesNothing) {
    Fake.browseChoices = {{false, ItemPathFound, "D:\\Tools\\Paint"},
                          {true, ItemPathFound, ""},
                          {false, ItemPathFound, "E:\\Brush"},
                          {true, ItemPathFound, ""}};
    for (int i = 0; i < 4; i++) PressBrowse();
    PressOk();
    EXPECT_EQ(RunInstaller(), ExitInstalled);
    EXPECT_EQ(CallsStartingWith("SHBrowseForFolderA"),
              std::vector<std::string>(4, "SHBrowseForFolderA flags 65 owned"));
    EXPECT_EQ(CallsStartingWith("CoTaskMemFree"),
              (std::vector<std::string>{"CoTaskMemFree D:\\Tools\\Paint", "CoTaskMemFree E:\\Brush"}));
    EXPECT_EQ(CallsStartingWith("SetDlgItemTextA"),
              (std::vector<std::string>{"SetDlgItemTextA 3072 C:\\Program Files\\Quorrelin",
                                        "SetDlgItemTextA 3072 D:\\Tools\\Paint",
                                        "SetDlgItemTextA 3072 E:\\Brush"}));
    // The chosen folder is the install folder itself; nothing is appended.
    EXPECT_EQ(CallsStartingWith("CreateDirectoryA E:\\Brush").size(), 1u);
    EXPECT_EQ(CallsStartingWith("CreateFileA E:\\Brush\\Tessellograph.exe").size(), 1u);
    EXPECT_EQ(CallsStartingWith("CreateDirectoryA C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Brush").size(), 1u);
}

TEST_F(Dialog, UnusableChoicesAreRefusedAndThePreviousFolderKept) {
    const std::string tooLong = "C:\\" + std::string(237, 'x');  // + "\Tessellograph3D.exe" = 260
    const std::string longest = "C:\\" + std::string(236, 'x');
    Fake.browseChoices = {{false, ItemPathNotOnDisk, "::{network}"},
                          {false, ItemPathNotAnsi, "C:\\?"},
                          {false, ItemPathFound, tooLong},
                          {false, ItemPathTooLong, "C:\\" + std::string(1100, 'y')},
                          {false, ItemPathFound, longest}};
    for (int i = 0; i < 5; i++) PressBrowse();
    PressOk();
    EXPECT_EQ(RunInstaller(), ExitInstalled);
    ASSERT_EQ(Fake.messageBoxes.size(), 5u);
    EXPECT_NE(Fake.messageBoxes[0].find("not a folder on a disk"), std::string::npos);
    EXPECT_NE(Fake.messageBoxes[1].find("characters that Setup cannot use"), std::string::npos);
    EXPECT_NE(Fake.messageBoxes[2].find("too long"), std::string::npos);
    EXPECT_EQ(Fake.messageBoxes[3], Fake.messageBoxes[2]);  // too long for the shell's own buffer
    EXPECT_EQ(CallsStartingWith("MessageBoxA dialog"),
              std::vector<std::string>(4, "MessageBoxA dialog Install Tessellograph at 48"));
    EXPECT_EQ(CallsStartingWith("SetDlgItemTextA"),
              (std::vector<std::string>{"SetDlgItemTextA 3072 C:\\Program Files\\Quorrelin",
                                        "SetDlgItemTextA 3072 " + longest}));
    EXPECT_EQ(CallsStartingWith("CoTaskMemFree").size(), 5u);  // every list is freed, refused or not
}

TEST_F(Dialog, UnknownProgramFilesMeansChooseAFolderFirst) {
    Fake.programFilesKnown = false;
    PressOk();  // refused: there is no folder yet
    Fake.browseChoices.push_back({false, ItemPathFound, "D:\\Apps"});
    PressBrowse();
    PressOk();
    EXPECT_EQ(RunInstaller(), ExitInstalled);
    EXPECT_EQ(Fake.messageBoxes[0], "Choose a folder to install Tessellograph in with Browse.");
    EXPECT_EQ(CallsStartingWith("SetDlgItemTextA")[0], "SetDlgItemTextA 3072 ");
    EXPECT_EQ(CallsStartingWith("CreateDirectoryA")[0], "CreateDirectoryA D:\\Apps");
    // Values name the full path: there is no Program Files folder to stand for.
    EXPECT_EQ(CallsStartingWith("RegSetValueExA REG_EXPAND_SZ")[0],
              "RegSetValueExA REG_EXPAND_SZ 33 \"D:\\Apps\\Tessellograph.exe\" \"%1\"");
    EXPECT_TRUE(CallsStartingWith("CreateDirectoryA \\").empty());
}

TEST_F(Dialog, ShellThatCannotFindProgramFilesLeavesTheFolderEmpty) {
    Fake.failures.push_back({"SHGetSpecialFolderLocation CSIDL_PROGRAM_FILES", 0x80004005u, false});
    PressCancel();
    EXPECT_EQ(RunInstaller(), ExitNothingInstalled);
    EXPECT_EQ(CallsStartingWith("SetDlgItemTextA"), std::vector<std::string>{"SetDlgItemTextA 3072 "});
    EXPECT_TRUE(CallsStartingWith("IMalloc::Free").empty());  // there was no list to free
    EXPECT_EQ(Fake.calls.back(), "CoUninitialize");
}

}  // namespace
