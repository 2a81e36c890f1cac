// The offset field and its spin kept in step, through real clicks and typing.
#include "tests/pt100/pt100_fixture.h"

namespace {

TEST_F(Pt100DialogTest, SpinStepsWriteTheFieldAndGoAhead) {
    ASSERT_TRUE(WithDialog([&](CPt100Dlg& d) {
        ASSERT_TRUE(uitest::StepSpin(d, IDC_PT100_OFFSET_SPIN, true));
        EXPECT_EQ(Field(d, IDC_PT100_OFFSET), "0.1");
        EXPECT_EQ(d.m_spinOffset.GetPos(), 51) << "the handler lets the step go ahead";
        ASSERT_TRUE(uitest::StepSpin(d, IDC_PT100_OFFSET_SPIN, false));
        EXPECT_EQ(Field(d, IDC_PT100_OFFSET), "0.0");
        ASSERT_TRUE(uitest::StepSpin(d, IDC_PT100_OFFSET_SPIN, false));
        EXPECT_EQ(Field(d, IDC_PT100_OFFSET), "-0.1");
        EXPECT_EQ(d.m_spinOffset.GetPos(), 49);
        EXPECT_FALSE(g_offsetSyncing);
    }));
}

TEST_F(Pt100DialogTest, TypingMovesTheSpinAndTheNextStepStartsThere) {
    ASSERT_TRUE(WithDialog([&](CPt100Dlg& d) {
        ASSERT_TRUE(uitest::ReplaceText(d, IDC_PT100_OFFSET, "1.5"));
        EXPECT_EQ(d.m_spinOffset.GetPos(), 65);
        EXPECT_EQ(Field(d, IDC_PT100_OFFSET), "1.5") << "the spin does not rewrite the field";
        ASSERT_TRUE(uitest::StepSpin(d, IDC_PT100_OFFSET_SPIN, true));
        EXPECT_EQ(Field(d, IDC_PT100_OFFSET), "1.6");

        ASSERT_TRUE(uitest::ReplaceText(d, IDC_PT100_OFFSET, "7"));
        EXPECT_EQ(d.m_spinOffset.GetPos(), 100);
        ASSERT_TRUE(uitest::StepSpin(d, IDC_PT100_OFFSET_SPIN, true));
        EXPECT_EQ(Field(d, IDC_PT100_OFFSET), "5.0") << "no wrap-around at the top";
        EXPECT_EQ(d.m_spinOffset.GetPos(), 100);

        ASSERT_TRUE(uitest::ReplaceText(d, IDC_PT100_OFFSET, "-6"));
        EXPECT_EQ(d.m_spinOffset.GetPos(), 0);
        ASSERT_TRUE(uitest::StepSpin(d, IDC_PT100_OFFSET_SPIN, false));
        EXPECT_EQ(Field(d, IDC_PT100_OFFSET), "-5.0");

        ASSERT_TRUE(uitest::ReplaceText(d, IDC_PT100_OFFSET, "-2.55"));
        EXPECT_EQ(d.m_spinOffset.GetPos(), 24);
        ASSERT_TRUE(uitest::ReplaceText(d, IDC_PT100_OFFSET, "-"));
        EXPECT_EQ(d.m_spinOffset.GetPos(), 50);
    }));
}

}  // namespace
