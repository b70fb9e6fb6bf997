// How registry values name the program: Program Files becomes a reference.
#include <gtest/gtest.h>

#include <string>

#include "registration/value_text.h"

static const char ProgramFiles[] = "C:\\Program Files";

TEST(ValueText, ProgramFilesBecomesTheReference) {
    const struct {
        const char* program;
        ComparisonOutcome outcome;
        const char* named;
    } rows[] = {
        {"C:\\Program Files\\Quorrelin\\Tessellograph.exe", OneEnded, "%ProgramFiles%\\Quorrelin\\Tessellograph.exe"},
        {"c:\\PROGRAM FILES\\Quorrelin\\Tessellograph.exe", OneEnded, "%ProgramFiles%\\Quorrelin\\Tessellograph.exe"},
        {"D:\\Apps\\Tessellograph.exe", Differ, "D:\\Apps\\Tessellograph.exe"},
        {"C:\\Program Files2\\Tessellograph.exe", OneEnded, "%ProgramFiles%2\\Tessellograph.exe"},
        {"C:\\Program Files (x86)\\Quorrelin\\Tessellograph.exe", OneEnded, "%ProgramFiles% (x86)\\Quorrelin\\Tessellograph.exe"},
        {"C:\\Program_Files\\Tessellograph.exe", Differ, "C:\\Program_Files\\Tessellograph.exe"},
        {"C:\\Prog", OneEnded, "C:\\Prog"},  // ends inside the folder's name: not in it
    };
    for (auto& row : rows) {
        EXPECT_EQ(PrefixCompare(row.program, ProgramFiles).outcome, row.outcome) << row.program;
        char value[1024];
        ProgramNaming naming{row.program, ProgramFiles, "%ProgramFiles%"};
        ASSERT_TRUE(ComposeProgramValue(value, sizeof value, naming, false));
        EXPECT_STREQ(value, row.named);
        ASSERT_TRUE(ComposeProgramValue(value, sizeof value, naming, true));
        EXPECT_EQ(value, std::string("\"") + row.named);
    }
    char value[1024];
    ProgramNaming unknown{"C:\\Apps\\T.exe", "", "%ProgramFiles%"};  // the shell did not say
    ASSERT_TRUE(ComposeProgramValue(value, sizeof value, unknown, false));
    EXPECT_STREQ(value, "C:\\Apps\\T.exe");
}

TEST(ValueText, OnlyTheReferenceLettersAreFolded) {
    const char* const pairs[][2] = {{"`", "@"}, {"{", "["}, {"_x", " x"}, {"D:\\x", ProgramFiles}};
    for (auto& pair : pairs) EXPECT_EQ(PrefixCompare(pair[0], pair[1]).outcome, Differ) << pair[0];
    EXPECT_EQ(PrefixCompare("xy", "X").outcome, OneEnded);
    PrefixComparison equal = PrefixCompare("c:\\program files", ProgramFiles);
    EXPECT_EQ(equal.outcome, Equal);
    EXPECT_EQ(equal.stop, 17u);
}

TEST(ValueText, OpenCommandAndIcon) {
    char value[1024];
    ProgramNaming naming{"C:\\Program Files\\Quorrelin\\Tessellograph.exe", ProgramFiles, "%ProgramFiles%"};
    ASSERT_TRUE(OpenCommandText(value, sizeof value, naming));
    EXPECT_STREQ(value, "\"%ProgramFiles%\\Quorrelin\\Tessellograph.exe\" \"%1\"");
    ASSERT_TRUE(ProgramIconText(value, sizeof value, naming, 27));
    EXPECT_STREQ(value, "%ProgramFiles%\\Quorrelin\\Tessellograph.exe,27");
    char small[20] = "untouched";
    EXPECT_FALSE(OpenCommandText(small, sizeof small, naming));
    EXPECT_STREQ(small, "");  // refused, not cut
}
