// The offset field's text read as the spin and the module need it, and the offset shown back.
#include "pt100/offset_text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(OffsetTextTest, LeadingDecimalReadsLikeAtofInTheCLocale) {
    EXPECT_DOUBLE_EQ(LeadingDecimal("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(LeadingDecimal("  -2.55abc"), -2.55);
    EXPECT_DOUBLE_EQ(LeadingDecimal("+.5"), 0.5);
    EXPECT_DOUBLE_EQ(LeadingDecimal("1,5"), 1.0) << "a comma ends the number whatever the locale";
    for (const char* none : {"", "-", "abc", "+-1", "--1", ".", "e5"}) {
        EXPECT_EQ(LeadingDecimal(none), 0.0) << none;
    }
}

TEST(OffsetTextTest, HugeTinyAndNotANumberStayHarmless) {
    EXPECT_TRUE(std::isinf(LeadingDecimal("1e400")));
    EXPECT_LT(LeadingDecimal("-1e400"), 0.0);
    EXPECT_EQ(LeadingDecimal("1e-400"), 0.0);
    EXPECT_TRUE(std::isnan(LeadingDecimal("nan")));
    // These once reached an int conversion with no int to give.
    EXPECT_EQ(OffsetSpinPosition("1e400"), 100);
    EXPECT_EQ(OffsetSpinPosition("-inf"), 0);
    EXPECT_EQ(OffsetSpinPosition("nan"), 50);
}

TEST(OffsetTextTest, SpinPositionTruncatesAndClamps) {
    EXPECT_EQ(OffsetSpinPosition("1.5"), 65);
    EXPECT_EQ(OffsetSpinPosition("-2.55"), 24);
    EXPECT_EQ(OffsetSpinPosition("7"), 100);
    EXPECT_EQ(OffsetSpinPosition("-6"), 0);
    for (const char* none : {"", "-", "abc"}) EXPECT_EQ(OffsetSpinPosition(none), 50) << none;
}

TEST(OffsetTextTest, SpinTextsAndOffsetBytesAsShown) {
    EXPECT_EQ(OffsetTextForSpin(49), "-0.1");
    EXPECT_EQ(OffsetTextForSpin(50), "0.0");
    EXPECT_EQ(OffsetTextForSpin(0), "-5.0");
    EXPECT_EQ(OffsetTextForSpin(100), "5.0");
    EXPECT_EQ(FormatOffsetByte(0x0F), "1.50");
    EXPECT_EQ(FormatOffsetByte(0x8F), "-1.50");
    EXPECT_EQ(FormatOffsetByte(0x32), "5.00");
    EXPECT_EQ(FormatOffsetByte(0xB2), "-5.00");
    EXPECT_EQ(FormatOffsetByte(0x00), "0.00");
    EXPECT_EQ(FormatOffsetByte(0x80), "0.00");
}

}  // namespace
