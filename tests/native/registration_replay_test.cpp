// The 43 registry writes of an install, as the recording fake saw them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_platform.h"
#include "installer/run_installer.h"

namespace {

// One write: "create|open ROOT\path TYPE bytes text", from the log.
std::vector<std::string> RegistryWrites() {
    std::vector<std::string> writes;
    std::string key;
    for (const std::string& call : Fake.calls) {
        if (call.rfind("RegCreateKeyExA ", 0) == 0) key = "create " + call.substr(16);
        else if (call.rfind("RegOpenKeyExA HKCU", 0) == 0) key.clear();
        else if (call.rfind("RegOpenKeyExA ", 0) == 0) key = "open " + call.substr(14);
        else if (call.rfind("RegSetValueExA ", 0) == 0) writes.push_back(key + " " + call.substr(15));
    }
    return writes;
}

std::string Bytes(const std::string& text) { return std::to_string(text.size() + 1) + " " + text; }

// The writes for a program named by `program` (as the values should spell it).
std::vector<std::string> ExpectedWrites(const std::string& program) {
    std::vector<std::string> writes;
    const char* ids[][2] = {
        {"Quorrelin.Tessellograph3D", "Quorrelin 3D-engine Tessellograph3D"},
        {"Quorrelin.Tessellograph", "Quorrelin bitmap editor Tessellograph"},
    };
    for (auto& id : ids) {
        std::string key = std::string("HKLM\\SOFTWARE\\Classes\\") + id[0];
        writes.push_back("create " + key + "\\CurVer REG_SZ " + Bytes(std::string(id[0]) + ".1"));
        writes.push_back("open " + key + " REG_SZ " + Bytes(id[1]));
        writes.push_back("create " + key + ".1 REG_SZ " + Bytes(id[1]));
    }
    const std::string open = "\"" + program + "\" \"%1\"";
    struct Row { const char* extension; const char* description; const char* icon; };
    const Row rows[] = {
        {".bmp", "Tessellograph BMP File", "27"}, {".gif", "Tessellograph GIF File", "28"},
        {".jpg", "Tessellograph JPG File", "29"}, {".pcx", "Tessellograph PCX File", "30"},
        {".png", "Tessellograph PNG File", "31"}, {".tif", "Tessellograph TIF File", "32"},
        {".tpf", "Tessellograph TPF File", "0"},
        {".ani", "Tessellograph Animated Cursor", nullptr}, {".cur", "Tessellograph Cursor", nullptr},
        {".icl", "Tessellograph Icon Library", nullptr}, {".ico", "Tessellograph Icon", nullptr},
    };
    // The main program's id is registered after the engine's files and shortcuts;
    // keep the expected list in write order.
    std::vector<std::string> documentTypes;
    for (const Row& row : rows) {
        std::string key = std::string("HKLM\\SOFTWARE\\Classes\\Quorrelin.Tessellograph") + row.extension;
        documentTypes.push_back("create " + key + "\\shell\\open\\command REG_EXPAND_SZ " + Bytes(open));
        documentTypes.push_back(row.icon ? "create " + key + "\\DefaultIcon REG_EXPAND_SZ " +
                                               Bytes(program + "," + row.icon)
                                         : "create " + key + "\\DefaultIcon REG_SZ " + Bytes("%1"));
        documentTypes.push_back("open " + key + " REG_SZ " + Bytes(row.description));
    }
    writes.insert(writes.end(), documentTypes.begin(), documentTypes.end());
    writes.push_back("create HKCR\\.tpf REG_SZ " + Bytes("tpffile"));
    writes.push_back("create HKCR\\tpffile\\shell\\open\\command REG_EXPAND_SZ " + Bytes(open));
    writes.push_back("create HKCR\\tpffile\\DefaultIcon REG_EXPAND_SZ " + Bytes(program + ",0"));
    writes.push_back("open HKCR\\tpffile REG_SZ " + Bytes("Tessellograph TPF File"));
    return writes;
}

class Registration : public ::testing::Test {
protected:
    void SetUp() override { ResetFake(); }
    void Install() {
        PressOk();
        ASSERT_EQ(RunInstaller(), ExitInstalled) << JoinedCalls();
    }
};

TEST_F(Registration, DefaultInstallNamesTheProgramThroughProgramFiles) {
    Install();
    std::vector<std::string> writes = RegistryWrites();
    ASSERT_EQ(writes.size(), 43u);
    EXPECT_EQ(writes, ExpectedWrites("%ProgramFiles%\\Quorrelin\\Tessellograph.exe"));
    EXPECT_EQ(writes[0], "create HKLM\\SOFTWARE\\Classes\\Quorrelin.Tessellograph3D\\CurVer REG_SZ 28 "
                         "Quorrelin.Tessellograph3D.1");
    EXPECT_EQ(writes[3], "create HKLM\\SOFTWARE\\Classes\\Quorrelin.Tessellograph\\CurVer REG_SZ 26 "
                         "Quorrelin.Tessellograph.1");
}

TEST_F(Registration, EngineIdBeforeItsFileAndMainIdAfterTheMainProgram) {
    Install();
    auto position = [](const std::string& prefix) {
        for (size_t i = 0; i < Fake.calls.size(); i++)
            if (Fake.calls[i].rfind(prefix, 0) == 0) return i;
        return Fake.calls.size();
    };
    size_t engineId = position("RegCreateKeyExA HKLM\\SOFTWARE\\Classes\\Quorrelin.Tessellograph3D\\CurVer");
    size_t engineFile = position("CreateFileA C:\\Program Files\\Quorrelin\\Tessellograph3D.exe");
    size_t mainFile = position("CreateFileA C:\\Program Files\\Quorrelin\\Tessellograph.exe");
    size_t mainId = position("RegCreateKeyExA HKLM\\SOFTWARE\\Classes\\Quorrelin.Tessellograph\\CurVer");
    size_t group = position("CreateDirectoryA C:\\ProgramData");
    EXPECT_LT(group, engineId);
    EXPECT_LT(engineId, engineFile);
    EXPECT_LT(mainFile, mainId);
    EXPECT_LT(mainId, position("RegCreateKeyExA HKCR\\.tpf"));
}

TEST_F(Registration, InstallOutsideProgramFilesStoresTheFullPath) {
    Fake.browseChoices.push_back({false, ItemPathFound, "D:\\Apps"});
    PressBrowse();
    Install();
    EXPECT_EQ(RegistryWrites(), ExpectedWrites("D:\\Apps\\Tessellograph.exe"));
}

TEST_F(Registration, ProgramFilesTypedInAnotherCaseIsStillReplaced) {
    Fake.browseChoices.push_back({false, ItemPathFound, "c:\\PROGRAM FILES\\Paint"});
    PressBrowse();
    Install();
    // The rest of the path keeps the case it was chosen with.
    EXPECT_EQ(RegistryWrites(), ExpectedWrites("%ProgramFiles%\\Paint\\Tessellograph.exe"));
}

TEST_F(Registration, Wow64RunNamesTheX86Folder) {
    Fake.wow64 = true;
    Fake.programFiles = "C:\\Program Files (x86)";
    Install();
    EXPECT_EQ(RegistryWrites(), ExpectedWrites("%ProgramFiles(x86)%\\Quorrelin\\Tessellograph.exe"));
}

TEST_F(Registration, FailedKeysLoseOnlyTheirOwnValues) {
    // Every HKCR create fails: the four association writes are lost, the
    // ProgID writes before them all land, and the outcome says so.
    Fake.failures.push_back({"RegCreateKeyExA HKCR", 5, false});
    Fake.failures.push_back({"RegOpenKeyExA HKCR", 2, false});
    PressOk();
    EXPECT_EQ(RunInstaller(), ExitInstallFailed);
    EXPECT_EQ(RegistryWrites().size(), 39u);
    EXPECT_EQ(CallsStartingWith("RegCreateKeyExA HKCR").size(), 3u);
    EXPECT_EQ(CallsStartingWith("RegOpenKeyExA HKCR").size(), 1u);
    EXPECT_NE(Fake.messageBoxes[0].find("HKEY_CLASSES_ROOT\\.tpf: reason 5."), std::string::npos);
    EXPECT_EQ(Fake.openKeys, 0);
}

TEST_F(Registration, FailedSetStillClosesTheKeyAndGoesOn) {
    Fake.failures.push_back({"RegSetValueExA REG_SZ 28", 1021, true});
    PressOk();
    EXPECT_EQ(RunInstaller(), ExitInstallFailed);
    EXPECT_EQ(RegistryWrites().size(), 43u);  // attempted, all of them
    EXPECT_EQ(Fake.openKeys, 0);
    EXPECT_NE(Fake.messageBoxes[0].find(
                  "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Quorrelin.Tessellograph3D\\CurVer: reason 1021."),
              std::string::npos);
}

}  // namespace
