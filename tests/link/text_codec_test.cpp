// The code page 936 files' text: the conversions to and from UTF-8 and the line ends, alike on
// both platforms (iconv on Linux, the wide API on Windows).
#include "link/text_codec.h"

#include <gtest/gtest.h>

namespace {

TEST(TextCodec, ConvertsBetweenUtf8AndCode936) {
    EXPECT_EQ(Utf8ToGbk("校验 ok"), "\xD0\xA3\xD1\xE9 ok");
    EXPECT_EQ(GbkToUtf8("\xD0\xA3\xD1\xE9 ok"), "校验 ok");
    EXPECT_EQ(Utf8ToGbk("a\xF0\x9F\x98\x80"
                        "b"),
              "a?b");  // no such character in 936
    EXPECT_EQ(Utf8ToGbk("a\xFF"
                        "b"),
              "a?b");
    EXPECT_EQ(Utf8ToGbk("a\xE6\xA0"), "a?");  // cut short
    EXPECT_EQ(GbkToUtf8("x\xFF"), "x?");
    // A byte GBK leaves undefined gives one '?', and the text after it reads on.
    EXPECT_EQ(GbkToUtf8("\x80\xFF\xD0\xA3"), "€?校");
    EXPECT_EQ(Utf8ToGbk("€"), "\x80");
}

TEST(TextCodec, LineEnds) {
    EXPECT_EQ(ToCrLf("\na\n\nb"), "\r\na\r\n\r\nb");
    EXPECT_EQ(FromCrLf("\r\na\r\n\r\nb\r"), "\na\n\nb\r");
}

}  // namespace
