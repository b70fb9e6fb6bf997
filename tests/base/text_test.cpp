// Bounded text: whatever does not fit is refused whole, never cut.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "base/text.h"

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
