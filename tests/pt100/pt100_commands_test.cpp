// The PT100 dialog's buttons against the simulated module: the frames sent, the fields decoded,
// and the messages for a missing port, a missing or short reply, and refused input.
#include "link/commands.h"
#include "tests/pt100/pt100_fixture.h"

namespace {

std::string Decimal(int value) {
    return std::to_string(value);
}

TEST_F(Pt100DialogTest, EachButtonSendsItsFrameWithTypeBeforeChannelAndChannelBeforeOffset) {
    ASSERT_TRUE(WithDialog([&](CPt100Dlg& d) {
        ASSERT_TRUE(Choose(d, 3));
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_READ_PARAMS));
        EXPECT_EQ(LastRequest(),
                  (Bytes{0x14, 0x3F, 0x00, 0x01, 0x08, 0x00, 0x01, 0x03, 0xFF, 0xB3}));
        ASSERT_TRUE(Choose(d, 0));
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_CAL_RES1));
        EXPECT_EQ(LastRequest(),
                  (Bytes{0x14, 0x3F, 0x00, 0x01, 0x09, 0x00, 0x02, 0x02, 0x00, 0xFF, 0xB2}));
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_CAL_ZERO));
        EXPECT_EQ(LastRequest(),
                  (Bytes{0x14, 0x3F, 0x00, 0x01, 0x09, 0x00, 0x02, 0x01, 0x00, 0xFF, 0xB3}));
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_CAL_RES2));
        EXPECT_EQ(LastRequest(),
                  (Bytes{0x14, 0x3F, 0x00, 0x01, 0x09, 0x00, 0x02, 0x03, 0x00, 0xFF, 0xB1}));
        ASSERT_TRUE(Choose(d, 1));
        ASSERT_TRUE(uitest::ReplaceText(d, IDC_PT100_OFFSET, "-1.5"));
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_SET_OFFSET));
        EXPECT_EQ(LastRequest(),
                  (Bytes{0x14, 0x3F, 0x00, 0x01, 0x0A, 0x00, 0x02, 0x01, 0x8F, 0xFF, 0x23}));
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_READ_TEMPS));
        EXPECT_EQ(LastRequest(), (Bytes{0x14, 0x3F, 0x00, 0x01, 0x07, 0x00, 0x00, 0xFF, 0xB8}));
        const auto lines = Log(d);
        ASSERT_EQ(lines.size(), 12u) << "a write and a read line per command";
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].rfind(i % 2 == 0 ? "\n写 14 3f 00 01 " : "\n读 14 3f 00 01 ", 0), 0u)
                << lines[i];
        }
        EXPECT_EQ(lines[8], "\n写 14 3f 00 01 0a 00 02 01 8f ff 23 ");
    }));
    EXPECT_EQ(boxes.Count(), 0u) << (boxes.Count() ? boxes.Last().text : "");
    EXPECT_EQ(sim->Pt100(1).offset, 0x8F);
}

TEST_F(Pt100DialogTest, ParametersAndCalibrationsShowWhatTheModuleHolds) {
    ASSERT_TRUE(WithDialog([&](CPt100Dlg& d) {
        ASSERT_TRUE(Choose(d, 2));
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_READ_PARAMS));
        const Pt100Params before = sim->Pt100(2);
        EXPECT_EQ(Field(d, IDC_PT100_ZERO_AD), Decimal(before.zeroAd));
        EXPECT_EQ(Field(d, IDC_PT100_OFFSET), "0.00");
        EXPECT_EQ(Field(d, IDC_PT100_RES1_AD), Decimal(before.res1Ad)) << "high byte first";
        EXPECT_EQ(Field(d, IDC_PT100_RES2_AD), Decimal(before.res2Ad));

        ASSERT_TRUE(uitest::Click(d, IDC_PT100_CAL_ZERO));
        EXPECT_EQ(Field(d, IDC_PT100_ZERO_AD), Decimal(sim->Pt100(2).zeroAd));
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_CAL_RES1));
        EXPECT_EQ(Field(d, IDC_PT100_RES1_AD), Decimal(sim->Pt100(2).res1Ad));
        // The resistor-2 reply carries no defined value: the field waits for a parameter read.
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_CAL_RES2));
        EXPECT_EQ(Field(d, IDC_PT100_RES2_AD), Decimal(before.res2Ad));
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_READ_PARAMS));
        EXPECT_EQ(Field(d, IDC_PT100_RES2_AD), Decimal(sim->Pt100(2).res2Ad));
    }));
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(Pt100DialogTest, OffsetsSetAtTheLimitsReadBackWithTwoDecimalsAndMoveTheSpin) {
    struct Case {
        const char* typed;
        std::uint8_t sent;
        const char* shown;
        int spin;
    };
    const Case cases[] = {{"5.0", 0x32, "5.00", 100},
                          {"-5.0", 0xB2, "-5.00", 0},
                          {"-0.05", 0x80, "0.00", 50},
                          {"1.29", 0x0C, "1.20", 62},
                          {"abc", 0x00, "0.00", 50}};
    ASSERT_TRUE(WithDialog([&](CPt100Dlg& d) {
        for (const Case& c : cases) {
            ASSERT_TRUE(uitest::ReplaceText(d, IDC_PT100_OFFSET, c.typed));
            ASSERT_TRUE(uitest::Click(d, IDC_PT100_SET_OFFSET));
            EXPECT_EQ(LastRequest().at(8), c.sent) << c.typed;
            EXPECT_EQ(Field(d, IDC_PT100_OFFSET), c.typed) << "a set changes no field";
            ASSERT_TRUE(uitest::ReplaceText(d, IDC_PT100_OFFSET, "3"));
            ASSERT_TRUE(uitest::Click(d, IDC_PT100_READ_PARAMS));
            EXPECT_EQ(Field(d, IDC_PT100_OFFSET), c.shown) << c.typed;
            EXPECT_EQ(d.m_spinOffset.GetPos(), c.spin) << c.typed;
        }
    }));
    EXPECT_EQ(boxes.Count(), 0u) << (boxes.Count() ? boxes.Last().text : "");
}

TEST_F(Pt100DialogTest, OffsetsBeyondFiveDegreesOrNotANumberAreRefusedUnsent) {
    ASSERT_TRUE(WithDialog([&](CPt100Dlg& d) {
        for (const char* typed : {"7", "5.01", "-5.01", "1e400", "nan"}) {
            boxes.Clear();
            ASSERT_TRUE(uitest::ReplaceText(d, IDC_PT100_OFFSET, typed));
            ASSERT_TRUE(uitest::Click(d, IDC_PT100_SET_OFFSET));
            ASSERT_EQ(boxes.Count(), 1u) << typed;
            EXPECT_EQ(boxes.Last().text, "设定值超出范围");
            EXPECT_TRUE(boxes.Last().warningIcon);
            EXPECT_EQ(boxes.Last().caption, AfxGetApp()->AppName());
        }
        EXPECT_TRUE(Log(d).empty()) << "no frame traced";
    }));
    EXPECT_EQ(RequestCount(), 0);
}

TEST_F(Pt100DialogTest, TemperaturesOfAllFourInputsWhateverTheChannel) {
    sim->SetTemperatures({250, -250, 0, 40000}, {});
    sim->FreezeTemperatures(true);
    ASSERT_TRUE(WithDialog([&](CPt100Dlg& d) {
        ASSERT_TRUE(Choose(d, 2));
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_READ_TEMPS));
        EXPECT_EQ(Field(d, IDC_PT100_TEMP1), "25.0");
        EXPECT_EQ(Field(d, IDC_PT100_TEMP2), "-25.0");
        EXPECT_EQ(Field(d, IDC_PT100_TEMP3), "0.0");
        EXPECT_EQ(Field(d, IDC_PT100_TEMP4), "3276.7");
    }));
    EXPECT_EQ(LastRequest().size(), 9u) << "no payload";
}

TEST_F(Pt100DialogTest, EveryButtonReportsAPortThatWillNotOpenAndTracesNothing) {
    ASSERT_TRUE(Replace(IDC_PORT, "9"));
    const int buttons[] = {IDC_PT100_READ_PARAMS, IDC_PT100_CAL_ZERO,   IDC_PT100_CAL_RES1,
                           IDC_PT100_CAL_RES2,    IDC_PT100_SET_OFFSET, IDC_PT100_READ_TEMPS};
    ASSERT_TRUE(WithDialog([&](CPt100Dlg& d) {
        for (int id : buttons) {
            boxes.Clear();
            ASSERT_TRUE(uitest::Click(d, id));
            ASSERT_EQ(boxes.Count(), 1u) << id;
            EXPECT_EQ(boxes.Last().text, "打开串口错误!");
            EXPECT_FALSE(boxes.Last().warningIcon);
            EXPECT_TRUE(boxes.Last().hasOwner);
        }
        EXPECT_TRUE(Log(d).empty());
        EXPECT_EQ(Field(d, IDC_PT100_ZERO_AD), "");
    }));
    EXPECT_EQ(RequestCount(), 0);
}

TEST_F(Pt100DialogTest, MissingOrShortRepliesAreReadErrorsAndLeaveTheFields) {
    ASSERT_TRUE(WithDialog([&](CPt100Dlg& d) {
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_READ_TEMPS));
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_READ_PARAMS));
        const std::string temp4 = Field(d, IDC_PT100_TEMP4);
        const std::string res2 = Field(d, IDC_PT100_RES2_AD);
        uitest::ReplaceText(d, IDC_PT100_OFFSET, "1.5");
        ASSERT_EQ(boxes.Count(), 0u);

        sim->InjectFault({FaultKind::Silence, 1, CMD_PT100_READ_PARAMS, -1});
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_READ_PARAMS));
        EXPECT_EQ(boxes.Last().text, "读数据错误!");
        EXPECT_EQ(Log(d).back(), "\n读 ") << "the read line shows that nothing came";
        // Replies long enough for a status but ending before the bytes shown would put the
        // zero fill of the block in the fields.
        sim->InjectFault({FaultKind::ShortReply, 1, CMD_PT100_READ_PARAMS, 13});
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_READ_PARAMS));
        EXPECT_EQ(boxes.Count(), 2u);
        EXPECT_EQ(boxes.Last().text, "读数据错误!");
        sim->InjectFault({FaultKind::ShortReply, 1, CMD_PT100_READ_TEMPS, 14});
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_READ_TEMPS));
        EXPECT_EQ(boxes.Count(), 3u);
        EXPECT_EQ(boxes.Last().text, "读数据错误!");
        sim->InjectFault({FaultKind::ShortReply, 1, CMD_PT100_CALIBRATE, 8});
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_CAL_RES1));
        EXPECT_EQ(boxes.Count(), 4u);
        EXPECT_EQ(Field(d, IDC_PT100_TEMP4), temp4);
        EXPECT_EQ(Field(d, IDC_PT100_RES2_AD), res2);
        EXPECT_EQ(Field(d, IDC_PT100_OFFSET), "1.5");

        // Just enough arrived: shown.
        sim->InjectFault({FaultKind::ShortReply, 1, CMD_PT100_READ_PARAMS, 14});
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_READ_PARAMS));
        EXPECT_EQ(boxes.Count(), 4u);
        EXPECT_EQ(Field(d, IDC_PT100_OFFSET), "0.00");
    }));
}

TEST_F(Pt100DialogTest, ATypedChannelIsTheItemItNamesAndAnythingElseIsRefused) {
    ASSERT_TRUE(WithDialog([&](CPt100Dlg& d) {
        ASSERT_TRUE(uitest::ReplaceText(d, IDC_PT100_CHANNEL, "3"));
        ASSERT_EQ(d.m_comboChannel.GetCurSel(), -1);
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_READ_PARAMS));
        EXPECT_EQ(LastRequest().at(7), 2);
        const int sent = RequestCount();
        ASSERT_TRUE(uitest::ReplaceText(d, IDC_PT100_CHANNEL, "5"));
        ASSERT_TRUE(uitest::ReplaceText(d, IDC_PT100_OFFSET, "1"));
        for (int id : {IDC_PT100_READ_PARAMS, IDC_PT100_CAL_ZERO, IDC_PT100_CAL_RES1,
                       IDC_PT100_CAL_RES2, IDC_PT100_SET_OFFSET}) {
            boxes.Clear();
            ASSERT_TRUE(uitest::Click(d, id));
            EXPECT_EQ(boxes.Last().text, "请选择通道!") << id;
        }
        EXPECT_EQ(RequestCount(), sent) << "channel 0xFF never reaches the module";
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_READ_TEMPS));
        EXPECT_EQ(RequestCount(), sent + 1) << "the temperatures need no channel";
    }));
}

}  // namespace
