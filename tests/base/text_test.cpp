// Bounded text: whatever does not fit is refused whole, never cut.
#include <gtest/gtest.h>

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

TEST(BoundedText, ErrorsWithoutASystemText) {
    char text[32];
    DescribeErrorNumber(0x80004005u, text, sizeof text);
    EXPECT_STREQ(text, "system error 0x80004005");  // an HRESULT, as it is written
    DescribeErrorNumber(1234, text, sizeof text);
    EXPECT_STREQ(text, "system error 1234");
}

TEST(BoundedText, DoubleByteCharactersStayWhole) {
    Fake.japanese = true;
    char link[] = "\x95\\Tessellograph3D.lnk", other[] = "\x83" "3D.lnk";  // the second: one character, then "D"
    EXPECT_TRUE(DropThreeDBeforeExtension(link));
    EXPECT_STREQ(link, "\x95\\Tessellograph.lnk");
    EXPECT_FALSE(DropThreeDBeforeExtension(other));
    EXPECT_STREQ(LastPathComponent("D:\\\x95\\"), "\x95\\");
    ResetFake();
}
