// Each injected fault shows on the line as what it claims to be, and only for as long as asked.
#include <gtest/gtest.h>

#include "link/commands.h"
#include "link/temperature_block.h"
#include "sim/fault.h"
#include "tests/sim/sim_fixture.h"

namespace {

using namespace std::chrono_literals;

class FaultsTest : public SimFixture {
protected:
    void SetUp() override {
        StartModule(FastOptions());
        port_ = OpenPort();
        ASSERT_TRUE(port_.IsOpen());
        module_->FreezeTemperatures(true);
    }

    // Reads of SN entry 1: answered with 17 bytes when nothing is wrong.
    void AskSn() { Send(port_, Request(0, CMD_READ_SN, {1})); }
    Bytes GoodSnReply() const {
        const ProbeSn sn = module_->SnEntry(1);
        return BuildReplyForTest(CMD_READ_SN, Bytes(sn.begin(), sn.end()));
    }
    static Bytes BuildReplyForTest(std::uint8_t command, const Bytes& data) {
        Bytes frame = {
            kFrameStart, 0x3F, 0x00, 0x00, command, 0x00, static_cast<std::uint8_t>(data.size())};
        frame.insert(frame.end(), data.begin(), data.end());
        const std::uint16_t sum = FrameChecksum(frame.data(), static_cast<int>(frame.size()));
        frame.push_back(static_cast<std::uint8_t>(sum >> 8));
        frame.push_back(static_cast<std::uint8_t>(sum & 0xFF));
        return frame;
    }
    static Bytes Concat(const Bytes& a, const Bytes& b) {
        Bytes all = a;
        all.insert(all.end(), b.begin(), b.end());
        return all;
    }

    CommPort port_;
};

TEST_F(FaultsTest, SilenceSwallowsTheNextRepliesThenTheModuleAnswersAgain) {
    module_->InjectFault({FaultKind::Silence, 2});
    AskSn();
    AskSn();
    Send(port_, Request(0, CMD_PT100_READ_TEMPS));
    // Were either silenced request answered, its reply would come first.
    EXPECT_TRUE(IsReply(Receive(port_, 17), 0, CMD_PT100_READ_TEMPS, 8));
    AskSn();
    EXPECT_EQ(Receive(port_, 17), GoodSnReply());
}

TEST_F(FaultsTest, ReplyShapeFaultsChangeOnlyTheirReply) {
    const Bytes good = GoodSnReply();
    Bytes badSum = good;
    badSum.back() ^= 0x5A;
    const struct {
        Fault fault;
        Bytes expected;
    } cases[] = {
        {{FaultKind::ShortReply, 1, kAnyCommand, 5}, Bytes(good.begin(), good.begin() + 5)},
        {{FaultKind::ExtraBytes, 1, kAnyCommand, 3}, Concat(good, {0x00, 0xFF, 0x3F})},
        {{FaultKind::Garbage, 1, kAnyCommand, 2}, Concat({0x00, 0xFF}, good)},
        {{FaultKind::BadChecksum, 1}, badSum},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(FaultKindName(c.fault.kind));
        module_->InjectFault(c.fault);
        AskSn();
        AskSn();
        // The second, sound reply marks where the spoilt one ends.
        const Bytes both = Receive(port_, static_cast<int>(c.expected.size() + good.size()));
        EXPECT_EQ(both, Concat(c.expected, good));
    }
}

TEST_F(FaultsTest, BadCountIsRejectedByTheConsoleAfterTheHeader) {
    constexpr int kBlockSize = 8 + 2 * 20 + kFrameOverhead;
    for (const int announced : {6, 138}) {
        SCOPED_TRACE(announced);
        module_->InjectFault({FaultKind::BadCount, 1, CMD_READ_TEMPERATURES, announced});
        ReplyBlock block{};
        EXPECT_FALSE(ExchangeTemperatureBlock(port_, 0, false, block));
        EXPECT_EQ(block[5] * 256 + block[6], announced);
        // The console gives up after the header; the rest of the block still comes.
        EXPECT_EQ(Receive(port_, kBlockSize - kFrameHeaderSize).size(),
                  static_cast<std::size_t>(kBlockSize - kFrameHeaderSize));
    }
    ReplyBlock block{};
    EXPECT_TRUE(ExchangeTemperatureBlock(port_, 0, false, block));
}

TEST_F(FaultsTest, SplitAndLateRepliesArriveWholeButLate) {
    module_->InjectFault({FaultKind::Split, 1, kAnyCommand, 400});
    auto begin = std::chrono::steady_clock::now();
    AskSn();
    const Bytes firstHalf = Receive(port_, 8);
    EXPECT_EQ(port_.QueuedInput(), 0u) << "the second half waits for the gap";
    const Bytes secondHalf = Receive(port_, 9);
    EXPECT_GE(std::chrono::steady_clock::now() - begin, 400ms);
    EXPECT_EQ(Concat(firstHalf, secondHalf), GoodSnReply());

    module_->InjectFault({FaultKind::Late, 1, kAnyCommand, 300});
    begin = std::chrono::steady_clock::now();
    AskSn();
    EXPECT_EQ(Receive(port_, 17), GoodSnReply());
    EXPECT_GE(std::chrono::steady_clock::now() - begin, 300ms);
}

TEST_F(FaultsTest, FaultsForOneCommandSpareTheOthersUntilCleared) {
    module_->InjectFault({FaultKind::BadChecksum, kEveryReply, CMD_PT100_READ_TEMPS});
    for (int round = 0; round < 2; ++round) {
        Send(port_, Request(0, CMD_PT100_READ_TEMPS));
        EXPECT_FALSE(IsReply(Receive(port_, 17), 0, CMD_PT100_READ_TEMPS, 8));
        AskSn();
        EXPECT_EQ(Receive(port_, 17), GoodSnReply());
    }
    module_->ClearFaults();
    Send(port_, Request(0, CMD_PT100_READ_TEMPS));
    EXPECT_TRUE(IsReply(Receive(port_, 17), 0, CMD_PT100_READ_TEMPS, 8));
}

TEST_F(FaultsTest, HangUpTakesTheModuleOffTheLine) {
    module_->InjectFault({FaultKind::HangUp, 1});
    AskSn();
    ASSERT_TRUE(module_->WaitForFramesHandled(1, 3s));
    EXPECT_TRUE(module_->HungUp());
    EXPECT_TRUE(Receive(port_, 17, 200).empty());
    port_.Close();
    EXPECT_FALSE(OpenPort().IsOpen()) << "the published link leads nowhere now";
}

TEST(FaultOptionTest, ParsesKindScopeAndParameter) {
    std::string error;
    const auto split = ParseFaultOption("split:2:150", error);
    ASSERT_TRUE(split);
    EXPECT_EQ(split->kind, FaultKind::Split);
    EXPECT_EQ(split->count, 2);
    EXPECT_EQ(split->param, 150);

    const auto every = ParseFaultOption("bad-checksum:every", error);
    ASSERT_TRUE(every);
    EXPECT_EQ(every->count, kEveryReply);
    EXPECT_EQ(every->command, kAnyCommand);

    const auto perCommand = ParseFaultOption("bad-count:cmd11:6", error);
    ASSERT_TRUE(perCommand);
    EXPECT_EQ(perCommand->command, CMD_READ_TEMPERATURES);
    EXPECT_EQ(perCommand->param, 6);

    for (const char* bad : {"", "noise", "silence:0", "silence:x", "late:1:-5", "split:1:2:3",
                            "short:cmd:4", "late:cmd300"}) {
        SCOPED_TRACE(bad);
        error.clear();
        EXPECT_FALSE(ParseFaultOption(bad, error));
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
