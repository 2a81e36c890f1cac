// Button 1006 in its three modes, and the fields each mode's radio button enables.
#include "link/commands.h"
#include "tests/probes/probe_window_test.h"

namespace {

using Texts = std::vector<std::string>;

class RegistrationTest : public ProbeWindowTest {
protected:
    void Manual(const std::vector<std::string>& sn) {
        ASSERT_TRUE(Click(IDC_MODE_MANUAL));
        for (std::size_t i = 0; i < 8; ++i)
            ASSERT_TRUE(Replace(kSnByteIds[i], i < sn.size() ? sn[i] : ""));
    }
    bool Enabled(int id) { return uitest::IsEnabled(dlg, id); }
    // Channel field, then whether all SN fields are enabled (-1: mixed).
    std::pair<bool, int> FieldsEnabled() {
        int on = 0;
        for (int id : kSnByteIds) on += Enabled(id) ? 1 : 0;
        return {Enabled(IDC_CHANNEL), on == 8 ? 1 : on == 0 ? 0 : -1};
    }
};

TEST_F(RegistrationTest, EachModeEnablesItsFields) {
    EXPECT_EQ(FieldsEnabled(), std::make_pair(true, 0));
    ASSERT_TRUE(Click(IDC_MODE_MANUAL));
    EXPECT_EQ(FieldsEnabled(), std::make_pair(true, 1));
    ASSERT_TRUE(Click(IDC_MODE_FULL_AUTO));
    EXPECT_EQ(FieldsEnabled(), std::make_pair(false, 0));
    ASSERT_TRUE(Click(IDC_MODE_MANUAL));
    EXPECT_EQ(FieldsEnabled(), std::make_pair(true, 1));
    ASSERT_TRUE(Click(IDC_MODE_SEMI_AUTO));
    EXPECT_EQ(FieldsEnabled(), std::make_pair(true, 0));
}

TEST_F(RegistrationTest, SemiAutomaticRegistersTheSocketProbeAndAdvances) {
    sim->SetSocketProbe(kTestSn);
    EXPECT_EQ(Press(IDC_REGISTER), Texts{"注册成功!\r\nSN号为:28-FF-4A-0-1-2-3-C9"});
    EXPECT_EQ(LastFrame(), "14 3F 00 00 02 00 01 01 FF BC");
    EXPECT_EQ(sim->SnEntry(1), kTestSn);
    EXPECT_EQ(Text(IDC_CHANNEL), "2");

    sim->SetSocketProbe(std::nullopt);  // answers all 0xFF
    EXPECT_EQ(Press(IDC_REGISTER), Texts{"注册错误!SN号无效!"});
    ASSERT_TRUE(Replace(IDC_CHANNEL, "00"));  // answered all 0x00
    EXPECT_EQ(Press(IDC_REGISTER), Texts{"注册错误!通道号无效!"});
    EXPECT_EQ(Text(IDC_CHANNEL), "00") << "fields not refreshed";
}

TEST_F(RegistrationTest, SemiAutomaticReplyTooShortForTheSnIsAReadError) {
    sim->InjectFault({FaultKind::ShortReply, 1, CMD_REGISTER_CHANNEL, 12});
    EXPECT_EQ(Press(IDC_REGISTER), Texts{"读数据错误!"});
    EXPECT_EQ(Text(IDC_CHANNEL), "1");
}

TEST_F(RegistrationTest, ManualSendsTheTypedSnAndShowsEachResult) {
    Manual({"28", "FF", "4a", "0", "01", "2", "03", "c9"});  // the fields upper-case letters
    ASSERT_TRUE(Replace(IDC_CHANNEL, "7"));
    EXPECT_EQ(Press(IDC_REGISTER), Texts{"注册成功!"});
    EXPECT_EQ(LastFrame(), "14 3F 00 00 04 00 09 07 28 FF 4A 00 01 02 03 C9 FD 6C");
    EXPECT_EQ(sim->SnEntry(7), kTestSn);
    EXPECT_EQ(Text(IDC_CHANNEL), "8");

    ASSERT_TRUE(Replace(IDC_CHANNEL, "065"));  // the module has 64 channels
    EXPECT_EQ(Press(IDC_REGISTER), Texts{"通道过大!"});
    EXPECT_EQ(Text(IDC_CHANNEL), "65") << "fields refreshed, channel kept";
    sim->ForceRegisterResults({REGISTER_SN_INVALID, 3});
    EXPECT_EQ(Press(IDC_REGISTER), Texts{"SN无效!"});
    EXPECT_EQ(Press(IDC_REGISTER), Texts{"注册是否成功未知!"});
    EXPECT_EQ(Text(IDC_CHANNEL), "65");
}

TEST_F(RegistrationTest, ManualRefusesBadSnTextsUnsentAndTakesEmptyFieldsAsZero) {
    for (const auto& sn : std::vector<std::vector<std::string>>{
             {"0", "0", "0", "0", "0", "0", "0", "0"}, {"028"}, {"28", "G"}, {"28", " 1"}}) {
        Manual(sn);
        EXPECT_EQ(Press(IDC_REGISTER), Texts{"SN号输入格式错误!"}) << sn[0];
    }
    EXPECT_TRUE(sim->Requests().empty());
    Manual({"28"});
    EXPECT_EQ(Press(IDC_REGISTER), Texts{"注册成功!"});
    EXPECT_EQ(LastFrame(), "14 3F 00 00 04 00 09 01 28 00 00 00 00 00 00 00 FF 8A");
}

TEST_F(RegistrationTest, ChannelBeyondOneByteIsNotSentAsItsLowByte) {
    Manual({"28"});
    ASSERT_TRUE(Replace(IDC_CHANNEL, "255"));
    sim->ForceRegisterResults({REGISTER_OK});
    EXPECT_EQ(Press(IDC_REGISTER), Texts{"注册成功!"});
    EXPECT_EQ(Text(IDC_CHANNEL), "256");
    EXPECT_EQ(Press(IDC_REGISTER), Texts{"注册错误!通道号无效!"}) << "256 would be channel 0";
    ASSERT_TRUE(Click(IDC_MODE_SEMI_AUTO));
    ASSERT_TRUE(Replace(IDC_CHANNEL, "300"));  // 44: a channel that holds a probe
    EXPECT_EQ(Press(IDC_REGISTER), Texts{"注册错误!通道号无效!"});
    EXPECT_EQ(sim->Requests().size(), 1u);
}

TEST_F(RegistrationTest, FullAutomaticSearchesWithoutChannelAndReportsTheCount) {
    sim->SetBusProbes({kTestSn, kTestSn, kTestSn});
    ASSERT_TRUE(Click(IDC_MODE_FULL_AUTO));
    EXPECT_EQ(Press(IDC_REGISTER), Texts{"共搜索到的探头数为3"});
    EXPECT_EQ(LastFrame(), "14 3F 00 00 05 00 00 FF BB");
}

TEST_F(RegistrationTest, PortThatCannotOpen) {
    ASSERT_TRUE(Replace(IDC_PORT, "9"));
    EXPECT_EQ(Press(IDC_REGISTER), Texts{"打开串口错误!"});
    EXPECT_EQ(Text(IDC_CHANNEL), "1");
}

}  // namespace
