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

}  // namespace
