// How registry values name the program: Program Files becomes a reference.
// A folder outside it stays as it is, and the quoted form of the open
// command: the fuzzer expands every value and the Wine scenarios read them.
// (A folder such as "Program Files2" names the same file whether or not it
// takes the reference, so neither is required.)
#include <gtest/gtest.h>

#include <string>

#include "registration/value_text.h"
#include "tests/base/fake_platform.h"

TEST(ValueText, ProgramFilesBecomesTheReference) {
    const char* const rows[][2] = {
        {"c:\\PROGRAM FILES\\Quorrelin\\T.exe", "%ProgramFiles%\\Quorrelin\\T.exe"},  // any case; the exact one is Wine's
        {"C:\\Program_Files\\T.exe", "C:\\Program_Files\\T.exe"},
        {"C:|Program Files\\T.exe", "C:|Program Files\\T.exe"},      // only letters are folded: "|" is "\\" ^ 0x20
        {"C:\\Prog", "C:\\Prog"},                                  // ends inside the folder's name
    };
    for (auto& row : rows) {
        char value[1024];
        ProgramNaming naming{row[0], "C:\\Program Files", "%ProgramFiles%"};
        ASSERT_TRUE(ComposeProgramValue(value, sizeof value, naming, false));
        EXPECT_STREQ(value, row[1]);
    }
}

// The texts themselves are checked where they land, in whole runs.
TEST(ValueText, TextsThatDoNotFitAreLeftEmpty) {
    ProgramNaming naming{"C:\\Program Files\\Q\\T.exe", "C:\\Program Files", "%ProgramFiles%"};
    // 20: the program's own value does not fit; 24: it does, but not what follows it.
    for (unsigned capacity : {20u, 24u}) {
        char command[24] = "untouched", icon[24] = "untouched";
        EXPECT_FALSE(OpenCommandText(command, capacity, naming));
        EXPECT_FALSE(ProgramIconText(icon, capacity, naming, 27));
        EXPECT_STREQ(command, "") << capacity;  // refused, not cut
        EXPECT_STREQ(icon, "") << capacity;
    }
}

// In a double-byte code page a character's second byte may look like a letter
// of the other case; "\x83\x41" and "\x83\x61" are two different characters.
TEST(ValueText, DoubleByteCharactersAreNotFolded) {
    Fake.japanese = true;
    char value[64];
    for (const char* path : {"C:\\\x83\x61\\T.exe", "C:\\\x83\x41\\T.exe"}) {
        ASSERT_TRUE(ComposeProgramValue(value, sizeof value, ProgramNaming{path, "C:\\\x83\x41", "%P%"}, false));
        EXPECT_STREQ(value, path[4] == 0x61 ? path : "%P%\\T.exe");
    }
    ResetFake();
}
