// The Start-menu group and its shortcuts, as the recording fake saw them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_platform.h"
#include "installer/run_installer.h"

namespace {

const std::string Programs = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";

std::vector<std::string> ShortcutCalls() {
    std::vector<std::string> calls;
    for (const std::string& call : Fake.calls) {
        if (call.rfind("MultiByteToWideChar", 0) == 0 || call.rfind("CoCreateInstance", 0) == 0 ||
            call.rfind("IShellLinkA", 0) == 0 || call.rfind("IPersistFile", 0) == 0 ||
            call.rfind("IMalloc::Free " + Programs, 0) == 0 || call.rfind("CreateDirectoryA " + Programs, 0) == 0)
            calls.push_back(call);
    }
    return calls;
}

std::vector<std::string> OneShortcut(const std::string& link, const std::string& target) {
    return {"MultiByteToWideChar " + link,
            "CoCreateInstance CLSID_ShellLink IID_IShellLinkA",
            "IShellLinkA::QueryInterface IID_IPersistFile",
            "IShellLinkA::SetPath " + target,
            "IPersistFile::Save " + link,
            "IPersistFile::Release",
            "IShellLinkA::Release"};
}

std::vector<std::string> Expected(const std::string& group, const std::string& folder) {
    std::vector<std::string> calls = {"IMalloc::Free " + Programs, "CreateDirectoryA " + group};
    auto engine = OneShortcut(group + "\\Tessellograph3D.lnk", folder + "\\Tessellograph3D.exe");
    auto main = OneShortcut(group + "\\Tessellograph.lnk", folder + "\\Tessellograph.exe");
    calls.insert(calls.end(), engine.begin(), engine.end());
    calls.insert(calls.end(), main.begin(), main.end());
    return calls;
}

class Shortcuts : public ::testing::Test {
protected:
    void SetUp() override { ResetFake(); }
    void InstallInto(const std::string& folder) {
        Fake.browseChoices.push_back({false, ItemPathFound, folder});
        PressBrowse();
        PressOk();
        ASSERT_EQ(RunInstaller(), ExitInstalled) << JoinedCalls();
    }
};

TEST_F(Shortcuts, DefaultGroupIsNamedQuorrelin) {
    PressOk();
    ASSERT_EQ(RunInstaller(), ExitInstalled);
    EXPECT_EQ(ShortcutCalls(), Expected(Programs + "\\Quorrelin", "C:\\Program Files\\Quorrelin"));
}

TEST_F(Shortcuts, GroupTakesTheChosenFolderName) {
    InstallInto("D:\\Tools\\Paint");
    EXPECT_EQ(ShortcutCalls(), Expected(Programs + "\\Paint", "D:\\Tools\\Paint"));
}

TEST_F(Shortcuts, DriveRootPutsThemStraightIntoPrograms) {
    Fake.existingFolders.push_back(Programs + "\\");
    InstallInto("C:\\");
    // The group path ends in a backslash and already exists; file paths double it.
    EXPECT_EQ(ShortcutCalls(), Expected(Programs + "\\", "C:\\"));
    EXPECT_EQ(CallsStartingWith("IPersistFile::Save")[0],
              "IPersistFile::Save " + Programs + "\\\\Tessellograph3D.lnk");
}

TEST_F(Shortcuts, MissingLinkObjectSkipsThatShortcutOnly) {
    Fake.failures.push_back({"CoCreateInstance", 0x80040154u, true});
    PressOk();
    EXPECT_EQ(RunInstaller(), ExitInstallFailed);
    std::vector<std::string> calls = ShortcutCalls();
    std::vector<std::string> expected = {
        "IMalloc::Free " + Programs, "CreateDirectoryA " + Programs + "\\Quorrelin",
        "MultiByteToWideChar " + Programs + "\\Quorrelin\\Tessellograph3D.lnk",
        "CoCreateInstance CLSID_ShellLink IID_IShellLinkA"};
    auto main = OneShortcut(Programs + "\\Quorrelin\\Tessellograph.lnk",
                            "C:\\Program Files\\Quorrelin\\Tessellograph.exe");
    expected.insert(expected.end(), main.begin(), main.end());
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(Fake.liveObjects, 0);
}

TEST_F(Shortcuts, NoProgramsFolderMeansNoShortcutsAnywhereElse) {
    Fake.failures.push_back({"SHGetSpecialFolderLocation CSIDL_COMMON_PROGRAMS", 0x80004005u, true});
    PressOk();
    EXPECT_EQ(RunInstaller(), ExitInstallFailed);
    EXPECT_TRUE(CallsStartingWith("CoCreateInstance").empty());
    EXPECT_TRUE(CallsStartingWith("IPersistFile::Save").empty());
    EXPECT_EQ(CallsStartingWith("CreateFileA C:\\Program Files\\Quorrelin\\Tessellograph.exe").size(), 1u);
}

}  // namespace
