#include <gtest/gtest.h>

#include <string>

#include "installer/text.h"

TEST(BoundedText, AppendFillsToTheLastByteAndRefusesOneMore) {
    char buffer[8] = "abc";
    EXPECT_TRUE(AppendText(buffer, "defg"));  // 7 characters + NUL: exactly full
    EXPECT_STREQ(buffer, "abcdefg");
    EXPECT_FALSE(AppendText(buffer, "h"));
    EXPECT_STREQ(buffer, "abcdefg");  // refused whole, nothing cut or lost
}

TEST(BoundedText, RefusedSetKeepsThePreviousText) {
    char buffer[4] = "ab";
    EXPECT_FALSE(SetText(buffer, "abcd"));
    EXPECT_STREQ(buffer, "ab");
    EXPECT_TRUE(SetText(buffer, "xyz"));
    EXPECT_STREQ(buffer, "xyz");
}

TEST(BoundedText, CopyStringStopsAtTheLimit) {
    char buffer[6];
    char* end = CopyString(buffer, buffer + sizeof buffer, "hello");
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(end, buffer + 5);
    EXPECT_EQ(CopyString(buffer, buffer + sizeof buffer, "hello!"), nullptr);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(CopyString(buffer, buffer, "x"), nullptr);  // no room at all: nothing written
}

TEST(PathPieces, LastComponentIsTheTextAfterTheLastBackslash) {
    EXPECT_STREQ(LastPathComponent("C:\\Program Files\\Quorrelin"), "Quorrelin");
    EXPECT_STREQ(LastPathComponent("D:\\Tools\\Paint"), "Paint");
    EXPECT_STREQ(LastPathComponent("C:\\"), "");  // a drive root has no name of its own
    EXPECT_STREQ(LastPathComponent("NoSlash"), "NoSlash");
}

TEST(PathPieces, ThreeDIsDroppedOnlyRightBeforeTheExtension) {
    char link[] = "C:\\Group 3D\\Tessellograph3D.lnk";
    EXPECT_TRUE(DropThreeDBeforeExtension(link));
    EXPECT_STREQ(link, "C:\\Group 3D\\Tessellograph.lnk");
    EXPECT_FALSE(DropThreeDBeforeExtension(link));  // nothing left to drop
    char target[] = "C:\\v3D.x\\Engine.exe";
    EXPECT_FALSE(DropThreeDBeforeExtension(target));
    EXPECT_STREQ(target, "C:\\v3D.x\\Engine.exe");
}
