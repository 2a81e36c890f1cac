// One request/reply exchange against a scripted module on a pseudo-terminal.
#include "link/transaction.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/commands.h"
#include "tests/link/pty_peer.h"

namespace {

using namespace std::chrono_literals;

constexpr int kExchangePort = 3;

class ExchangeTest : public testing::Test {
protected:
    void SetUp() override {
        PollSettings settings;
        settings.port = kExchangePort;
        settings.baud = 9600;
        port_ = OpenCommPort(settings, TimeoutProfile::Interactive);
        ASSERT_TRUE(port_.IsOpen());
        reply_.fill(0xEE);
    }

    int Exchange(std::uint8_t command, const Bytes& request) {
        return ExchangeCommandFrame(
            port_, request, command, reply_,
            [this](const char* label, const std::uint8_t* bytes, int count) {
                trace_.push_back(FormatTraceLine(label, bytes, count));
            });
    }

    PtyPeer peer_{kExchangePort};
    CommPort port_;
    ReplyBlock reply_{};
    std::vector<std::string> trace_;
};

Bytes ReadSnRequest() {
    const std::uint8_t entry = 5;
    return BuildRequest(1, CMD_READ_SN, &entry, 1);
}

TEST_F(ExchangeTest, FullReplyIsReadAndBothFramesAreTraced) {
    const Bytes reply = ModuleReply(1, CMD_READ_SN, {0x28, 1, 2, 3, 4, 5, 6, 0xC7});
    ASSERT_EQ(reply.size(), 17u);
    OneShotResponder module(peer_, reply);
    EXPECT_EQ(Exchange(CMD_READ_SN, ReadSnRequest()), 17);
    EXPECT_EQ(module.Request(), ReadSnRequest());
    EXPECT_EQ(Bytes(reply_.begin(), reply_.begin() + 17), reply);
    EXPECT_EQ(reply_[17], 0);  // the rest of the block is defined
    ASSERT_EQ(trace_.size(), 2u);
    EXPECT_EQ(trace_[0], "\n写 14 3f 00 01 03 00 01 05 ff b6 ");
    EXPECT_TRUE(trace_[1].starts_with("\n读 14 3f 00 01 03 00 08 28 ")) << trace_[1];
    EXPECT_EQ(trace_[1].size(), std::string("\n读 ").size() + 17 * 3);
}

// The caller turns counts below 9 into "no reply"; the exchange reports what it read.
TEST_F(ExchangeTest, ShortRepliesReportTheirLength) {
    {
        OneShotResponder module(peer_, Bytes{0x14, 0x3F, 0, 1, 3, 0, 0, 0xFF, 0xBA});
        EXPECT_EQ(Exchange(CMD_READ_SN, ReadSnRequest()), 9);
    }
    {
        OneShotResponder module(peer_, Bytes(8, 0x11));
        EXPECT_EQ(Exchange(CMD_READ_SN, ReadSnRequest()), 8);
        EXPECT_EQ(trace_.back(), "\n读 11 11 11 11 11 11 11 11 ");
    }
}

TEST_F(ExchangeTest, SilenceReadsNothingAndStillTracesTheReply) {
    EXPECT_EQ(Exchange(CMD_PT100_READ_TEMPS, BuildRequest(0, CMD_PT100_READ_TEMPS, nullptr, 0)), 0);
    ASSERT_EQ(trace_.size(), 2u);
    EXPECT_EQ(trace_[1], "\n读 ");
    EXPECT_EQ(reply_[0], 0);
}

TEST_F(ExchangeTest, EverythingAlreadyQueuedIsReadUpToTheBlockSize) {
    Bytes queued(40);
    for (std::size_t i = 0; i < queued.size(); ++i) queued[i] = static_cast<std::uint8_t>(i);
    ASSERT_TRUE(peer_.Send(queued));
    EXPECT_EQ(Exchange(CMD_READ_SN, ReadSnRequest()), 40);
    EXPECT_EQ(Bytes(reply_.begin(), reply_.begin() + 40), queued);

    ASSERT_TRUE(peer_.Send(Bytes(250, 0x5A)));
    EXPECT_EQ(Exchange(CMD_READ_SN, ReadSnRequest()), kReplyBufferSize);
    EXPECT_EQ(trace_.back().size(), std::string("\n读 ").size() + 200 * 3);
}

TEST_F(ExchangeTest, RefusedRequestSendsNothing) {
    const std::uint8_t payload[10] = {};
    EXPECT_EQ(Exchange(CMD_REGISTER_SN, BuildRequest(1, CMD_REGISTER_SN, payload, 10)), 0);
    EXPECT_TRUE(trace_.empty());
    EXPECT_TRUE(peer_.Receive(1, 0ms).empty());
}

TEST_F(ExchangeTest, WorksWithoutATraceSink) {
    OneShotResponder module(peer_, ModuleReply(1, CMD_SEARCH_PROBES, {3}));
    EXPECT_EQ(ExchangeCommandFrame(port_, BuildRequest(1, CMD_SEARCH_PROBES, nullptr, 0),
                                   CMD_SEARCH_PROBES, reply_, TraceSink()),
              10);
    EXPECT_EQ(reply_[7], 3);
}

}  // namespace
