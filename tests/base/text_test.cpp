// Bounded text: whatever does not fit is refused whole, never cut.
#include <gtest/gtest.h>

#include <string>

#include "base/failure_record.h"
#include "base/text.h"

TEST(BoundedText, FillsToTheLastByteAndRefusesOneMore) {
    char buffer[8] = "abc";
    EXPECT_TRUE(AppendText(buffer, "defg"));  // 7 characters and the NUL
    EXPECT_FALSE(AppendText(buffer, "h"));  // a copy that does not fit leaves nothing of itself
    EXPECT_FALSE(SetText(buffer, "12345678"));
    EXPECT_STREQ(buffer, "abcdefg");
    EXPECT_EQ(CopyString(buffer, buffer + 6, "hello"), buffer + 5);
}

TEST(BoundedText, ErrorsWithoutASystemText) {
    char text[32];
    DescribeErrorNumber(0x80004005u, text, sizeof text);
    EXPECT_STREQ(text, "system error 0x80004005");  // an HRESULT, as it is written
    DescribeErrorNumber(1234, text, sizeof text);
    EXPECT_STREQ(text, "system error 1234");
}
