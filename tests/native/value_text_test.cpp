#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "registration/value_text.h"

static const char ProgramFiles[] = "C:\\Program Files";

struct ComposeCase {
    const char* program;
    ComparisonOutcome outcome;
    const char* expected;
};

TEST(ProgramValueText, ProgramFilesPrefixBecomesTheReference) {
    const ComposeCase cases[] = {
        {"C:\\Program Files\\Quorrelin\\Tessellograph.exe", OneEnded,
         "%ProgramFiles%\\Quorrelin\\Tessellograph.exe"},
        {"c:\\PROGRAM FILES\\Quorrelin\\Tessellograph.exe", OneEnded,
         "%ProgramFiles%\\Quorrelin\\Tessellograph.exe"},
        {"D:\\Apps\\Tessellograph.exe", Differ, "D:\\Apps\\Tessellograph.exe"},
        {"C:\\Program Files2\\Tessellograph.exe", OneEnded, "%ProgramFiles%2\\Tessellograph.exe"},
        {"C:\\Program Files (x86)\\Quorrelin\\Tessellograph.exe", OneEnded,
         "%ProgramFiles% (x86)\\Quorrelin\\Tessellograph.exe"},
        {"C:\\Program_Files\\Tessellograph.exe", Differ, "C:\\Program_Files\\Tessellograph.exe"},
    };
    for (const ComposeCase& c : cases) {
        EXPECT_EQ(PrefixCompare(c.program, ProgramFiles).outcome, c.outcome) << c.program;
        char value[1024];
        ProgramNaming naming{c.program, ProgramFiles, "%ProgramFiles%"};
        ASSERT_TRUE(ComposeProgramValue(value, sizeof value, naming, false));
        EXPECT_STREQ(value, c.expected);
        ASSERT_TRUE(ComposeProgramValue(value, sizeof value, naming, true));
        EXPECT_EQ(std::string(value), std::string("\"") + c.expected);
    }
}

TEST(ProgramValueText, OnlyTheReferenceLetterIsFolded) {
    // Characters one case bit apart that are not letters must not match.
    EXPECT_EQ(PrefixCompare("`", "@").outcome, Differ);
    EXPECT_EQ(PrefixCompare("{", "[").outcome, Differ);
    EXPECT_EQ(PrefixCompare("_x", " x").outcome, Differ);
    EXPECT_EQ(PrefixCompare("xy", "X").outcome, OneEnded);
    PrefixComparison equal = PrefixCompare("C:\\Program Files", ProgramFiles);
    EXPECT_EQ(equal.outcome, Equal);
    EXPECT_EQ(equal.stop, 17u);
    PrefixComparison midName = PrefixCompare("C:\\Prog", ProgramFiles);
    EXPECT_EQ(midName.outcome, OneEnded);
    EXPECT_EQ(midName.stop, 7u);
    EXPECT_EQ(PrefixCompare("D:\\x", ProgramFiles).stop, 0u);
}

TEST(ProgramValueText, OnlyPathsThatPassTheWholeFolderAreRewritten) {
    // A path that ends inside the folder's name must not expand to the folder.
    char value[1024];
    ProgramNaming naming{"C:\\Prog", ProgramFiles, "%ProgramFiles%"};
    ASSERT_TRUE(ComposeProgramValue(value, sizeof value, naming, false));
    EXPECT_STREQ(value, "C:\\Prog");
    ProgramNaming unknown{"C:\\Apps\\Tessellograph.exe", "", "%ProgramFiles%"};
    ASSERT_TRUE(ComposeProgramValue(value, sizeof value, unknown, false));
    EXPECT_STREQ(value, "C:\\Apps\\Tessellograph.exe");
}

TEST(ProgramValueText, OpenCommandAndIconTexts) {
    char value[1024];
    ProgramNaming naming{"C:\\Program Files\\Quorrelin\\Tessellograph.exe", ProgramFiles,
                         "%ProgramFiles%"};
    ASSERT_TRUE(OpenCommandText(value, sizeof value, naming));
    EXPECT_STREQ(value, "\"%ProgramFiles%\\Quorrelin\\Tessellograph.exe\" \"%1\"");
    ASSERT_TRUE(ProgramIconText(value, sizeof value, naming, 27));
    EXPECT_STREQ(value, "%ProgramFiles%\\Quorrelin\\Tessellograph.exe,27");
    ProgramNaming wow64{"C:\\Program Files (x86)\\Quorrelin\\Tessellograph.exe",
                        "C:\\Program Files (x86)", "%ProgramFiles(x86)%"};
    ASSERT_TRUE(ProgramIconText(value, sizeof value, wow64, 0));
    EXPECT_STREQ(value, "%ProgramFiles(x86)%\\Quorrelin\\Tessellograph.exe,0");
}

TEST(DecimalText, SignsZeroAndTheMostNegativeNumber) {
    char digits[12];
    EXPECT_EQ(FormatDecimal(0, digits, sizeof digits), 1u);
    EXPECT_STREQ(digits, "0");
    FormatDecimal(27, digits, sizeof digits);
    EXPECT_STREQ(digits, "27");
    FormatDecimal(-5, digits, sizeof digits);
    EXPECT_STREQ(digits, "-5");
    EXPECT_EQ(FormatDecimal(INT_MIN, digits, sizeof digits), 11u);
    EXPECT_STREQ(digits, "-2147483648");
    FormatDecimal(INT_MAX, digits, sizeof digits);
    EXPECT_STREQ(digits, "2147483647");
    char small[3] = {'x', 'x', 'x'};
    EXPECT_EQ(FormatDecimal(-10, small, sizeof small), 0u);  // "-10" needs 4 bytes
    EXPECT_EQ(small[0], 'x');
}

// Whatever the lengths, a composition stays inside its buffer and either
// holds the whole text or reports that it did not fit.
TEST(ProgramValueText, NeverWritesPastItsBuffer) {
    std::mt19937 random(20261206);
    for (int round = 0; round < 3000; round++) {
        std::string folder = "C:\\" + std::string(random() % 40, 'p');
        std::string program = (random() % 2 ? folder : std::string("D:\\")) +
                              std::string(random() % 1100, 'q') + "\\T.exe";
        unsigned capacity = 1 + random() % 1100;
        std::vector<char> guarded(capacity + 16, '#');
        ProgramNaming naming{program.c_str(), folder.c_str(),
                             random() % 2 ? "%ProgramFiles%" : "%ProgramFiles(x86)%"};
        bool fits = random() % 2 ? OpenCommandText(guarded.data(), capacity, naming)
                                 : ProgramIconText(guarded.data(), capacity, naming, -2147483647 - 1);
        for (unsigned i = capacity; i < guarded.size(); i++) ASSERT_EQ(guarded[i], '#');
        size_t length = strnlen(guarded.data(), capacity);
        ASSERT_LT(length, capacity);
        if (!fits) ASSERT_EQ(length, 0u);
        else ASSERT_GT(length, program.size() / 2);
    }
}
