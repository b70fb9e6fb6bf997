// Bounded text: whatever does not fit is refused whole, never cut.
#include <gtest/gtest.h>

#include <string>

#include "base/failure_record.h"
#include "base/text.h"
#include "tests/base/fake_platform.h"

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

// Names after a double-byte character whose second byte is "\\" are the
// fuzzer's seeds double_byte and double_byte_backslash; here, "3D" that is
// not two characters.
TEST(BoundedText, DoubleByteCharactersStayWhole) {
    Fake.japanese = true;
    char name[] = "\x83" "3D.lnk";  // one character, then "D"
    EXPECT_FALSE(DropThreeDBeforeExtension(name));
    ResetFake();
}
