// The temperature block exchange and the fault-log record each failure leaves.
#include "link/temperature_block.h"

#include <gtest/gtest.h>

#include "link/commands.h"
#include "link/text_codec.h"
#include "tests/link/pty_peer.h"
#include "tests/link/temp_log_dir.h"

namespace {

constexpr int kBlockPort = 4;
constexpr std::uint8_t kAddress = 2;

// A block announcing `announced` data bytes and carrying `dataBytes` of them.
Bytes Block(int announced, int dataBytes) {
    Bytes frame{0x14,
                0x3F,
                0x00,
                kAddress,
                CMD_READ_TEMPERATURES,
                static_cast<std::uint8_t>(announced >> 8),
                static_cast<std::uint8_t>(announced & 0xFF)};
    for (int i = 0; i < dataBytes; ++i) frame.push_back(static_cast<std::uint8_t>(0x30 + i));
    const std::uint16_t checksum = FrameChecksum(frame.data(), static_cast<int>(frame.size()));
    frame.push_back(static_cast<std::uint8_t>(checksum >> 8));
    frame.push_back(static_cast<std::uint8_t>(checksum & 0xFF));
    return frame;
}

std::string Hex(const Bytes& bytes) {
    std::string text;
    char hex[4];
    for (const std::uint8_t byte : bytes) {
        std::snprintf(hex, sizeof hex, "%02x ", byte);
        text += hex;
    }
    return text;
}

class TemperatureBlockTest : public testing::Test {
protected:
    void SetUp() override {
        PollSettings settings;
        settings.port = kBlockPort;
        settings.baud = 38400;
        port_ = OpenCommPort(settings, TimeoutProfile::Polling);
        ASSERT_TRUE(port_.IsOpen());
    }

    bool Exchange(const Bytes& reply) {
        OneShotResponder module(peer_, reply);
        const bool ok = ExchangeTemperatureBlock(port_, kAddress, true, block_);
        request_ = module.Request();
        return ok;
    }

    // The single record in the log, without its time of day.
    std::string Record() const {
        const std::string text = FromCrLf(GbkToUtf8(start_.ReadLog()));
        if (text.size() < 10 || text[0] != '\n') return "(no record) " + text;
        return text.substr(10);
    }

    TempLogDir start_;
    PtyPeer peer_{kBlockPort};
    CommPort port_;
    ReplyBlock block_{};
    Bytes request_;
};

TEST_F(TemperatureBlockTest, FourWordsAreACompleteBlock) {
    const Bytes reply = Block(8, 8);
    EXPECT_TRUE(Exchange(reply));
    EXPECT_EQ(request_, (Bytes{0x14, 0x3F, 0x00, kAddress, 0x0B, 0x00, 0x00, 0xFF, 0xB3}));
    EXPECT_EQ(Bytes(block_.begin(), block_.begin() + 17), reply);
    EXPECT_FALSE(start_.LogExists());
}

TEST_F(TemperatureBlockTest, SixtyEightWordsFillTheLargestBlock) {
    const Bytes reply = Block(136, 136);
    ASSERT_EQ(reply.size(), 145u);
    EXPECT_TRUE(Exchange(reply));
    EXPECT_EQ(Bytes(block_.begin(), block_.begin() + 145), reply);
}

TEST_F(TemperatureBlockTest, OddLengthIsRoundedDown) {
    // Nine announced bytes: eight data bytes, then the checksum over them.
    Bytes reply = Block(9, 8);
    EXPECT_TRUE(Exchange(reply));
}

TEST_F(TemperatureBlockTest, WrongWordCountsAreRejectedAfterTheHeader) {
    for (const int announced : {6, 138}) {
        SCOPED_TRACE(announced);
        std::filesystem::remove(start_.logPath());
        const Bytes reply = Block(announced, announced);
        EXPECT_FALSE(Exchange(reply));
        EXPECT_EQ(Record(),
                  "温度个数错误， 字节数:7 数据:" + Hex(Bytes(reply.begin(), reply.begin() + 7)));
        port_.Purge();
    }
}

TEST_F(TemperatureBlockTest, OneChangedDataByteFailsTheChecksum) {
    Bytes reply = Block(16, 16);
    reply[12] ^= 0x01;
    EXPECT_FALSE(Exchange(reply));
    EXPECT_EQ(Record(), "校验错误， 字节数:25 数据:" + Hex(reply));
}

TEST_F(TemperatureBlockTest, MissingDataIsLoggedWithWhatArrived) {
    const Bytes reply = Block(16, 5);  // five of sixteen data bytes, then two more
    EXPECT_FALSE(Exchange(reply));
    EXPECT_EQ(Record(), "读温度错误， 字节数:14 数据:" + Hex(reply));
}

TEST_F(TemperatureBlockTest, SilenceIsAHeaderReadError) {
    EXPECT_FALSE(ExchangeTemperatureBlock(port_, kAddress, true, block_));
    EXPECT_EQ(Record(), "读错误，要读7个字节， 字节数:0 数据:");
}

TEST_F(TemperatureBlockTest, ShortHeaderIsLoggedWithItsBytes) {
    EXPECT_FALSE(Exchange(Bytes{0x14, 0x3F, 0x00}));
    EXPECT_EQ(Record(), "读错误，要读7个字节， 字节数:3 数据:14 3f 00 ");
}

TEST_F(TemperatureBlockTest, FailuresWithoutLoggingLeaveNoFile) {
    OneShotResponder module(peer_, Block(6, 6));
    EXPECT_FALSE(ExchangeTemperatureBlock(port_, kAddress, false, g_rxBlock));
    EXPECT_EQ(g_rxBlock[6], 6);  // the header landed in the block it was given
    EXPECT_FALSE(start_.LogExists());
}

}  // namespace
