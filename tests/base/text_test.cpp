// Bounded text: whatever does not fit is refused whole, never cut.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "base/failure_record.h"
#include "base/text.h"
#include "tests/base/fake_platform.h"

TEST(BoundedText, FillsToTheLastByteAndRefusesOneMore) {
    char buffer[8] = "abc";
    EXPECT_TRUE(AppendText(buffer, "defg"));  // 7 characters and the NUL
    EXPECT_FALSE(AppendText(buffer, "h"));
    EXPECT_FALSE(SetText(buffer, "12345678"));
    EXPECT_STREQ(buffer, "abcdefg");
    EXPECT_EQ(CopyString(buffer, buffer + 6, "hello"), buffer + 5);
    EXPECT_EQ(CopyString(buffer, buffer + 6, "hello!"), nullptr);
    EXPECT_STREQ(buffer, "");
}

TEST(BoundedText, DecimalNumbers) {
    const std::pair<int, const char*> numbers[] = {{0, "0"}, {27, "27"}, {-5, "-5"}, {INT_MIN, "-2147483648"}};
    for (auto& row : numbers) {
        char digits[12];
        EXPECT_EQ(FormatDecimal(row.first, digits, sizeof digits), std::string(row.second).size());
        EXPECT_STREQ(digits, row.second);
    }
    char small[3] = "x";
    EXPECT_EQ(FormatDecimal(-10, small, sizeof small), 0u);  // "-10" needs 4 bytes
    EXPECT_STREQ(small, "x");
}

TEST(BoundedText, ErrorsWithoutASystemText) {
    char text[32];
    DescribeErrorNumber(0x80004005u, text, sizeof text);
    EXPECT_STREQ(text, "system error 0x80004005");  // an HRESULT, as it is written
    DescribeErrorNumber(1234, text, sizeof text);
    EXPECT_STREQ(text, "system error 1234");
}

TEST(BoundedText, DoubleByteCharactersStayWhole) {
    Fake.leadBytes = Japanese;
    char link[] = "\x95\\Tessellograph3D.lnk", other[] = "\x83" "3D.lnk";  // the second: one character, then "D"
    EXPECT_TRUE(DropThreeDBeforeExtension(link));
    EXPECT_STREQ(link, "\x95\\Tessellograph.lnk");
    EXPECT_FALSE(DropThreeDBeforeExtension(other));
    EXPECT_STREQ(LastPathComponent("D:\\\x95\\"), "\x95\\");
    ResetFake();
}
