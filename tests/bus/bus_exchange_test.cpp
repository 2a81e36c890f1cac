// One module's block on a shared line, driven by hand from the module side: the exchange must
// take only the asked module's reply, whatever else is on the line.
#include <gtest/gtest.h>

#include <future>

#include "bus/bus_exchange.h"
#include "record/reading.h"
#include "tests/link/pty_peer.h"

namespace {

constexpr int kPort = 9;
constexpr std::uint8_t kBlockCommand = 0x0B;

// A block with four PT100 words and two probes, every word `word`.
Bytes BlockReply(std::uint8_t address, std::uint16_t word) {
    Bytes data;
    for (int i = 0; i < 6; ++i) {
        data.push_back(static_cast<std::uint8_t>(word >> 8));
        data.push_back(static_cast<std::uint8_t>(word));
    }
    return ModuleReply(address, kBlockCommand, data);
}

class BusExchangeTest : public testing::Test {
protected:
    void SetUp() override {
        PollSettings settings;
        settings.port = kPort;
        settings.baud = 9600;
        port_ = OpenCommPort(settings, TimeoutProfile::Polling);
        ASSERT_TRUE(port_);
    }

    std::future<BusExchangeResult> Ask(int address, int timeoutMs = 150, int expectedBytes = 0) {
        return std::async(std::launch::async, [this, address, timeoutMs, expectedBytes] {
            return ExchangeBusBlock(port_, address,
                                    {std::chrono::milliseconds(timeoutMs), 9600, expectedBytes},
                                    block_);
        });
    }

    void ExpectRequestFor(std::uint8_t address) {
        const Bytes request = peer_.ReceiveFrame(std::chrono::milliseconds(3000));
        ASSERT_EQ(request.size(), 9u);
        EXPECT_EQ(request[3], address);
    }

    std::uint16_t FirstWord() const {
        return static_cast<std::uint16_t>(ReadingFromBlock(block_, {}).words.at(0));
    }

    PtyPeer peer_{kPort};
    CommPort port_;
    ReplyBlock block_{};
};

TEST_F(BusExchangeTest, LateReplyOfOneModuleIsNeverTakenForTheNext) {
    // Module 1 stays quiet past its timeout.
    auto first = Ask(1);
    ExpectRequestFor(1);
    EXPECT_EQ(first.get().fault, BlockFault::ShortHeader);

    // Module 2 is asked; module 1's reply arrives now, then noise, then module 2's reply.
    auto second = Ask(2, 1000);
    ExpectRequestFor(2);
    Bytes line = BlockReply(1, 0x0111);
    line.insert(line.end(), {0x14, 0x3F, 0x00, 0x55});  // a broken start
    const Bytes own = BlockReply(2, 0x0222);
    line.insert(line.end(), own.begin(), own.end());
    ASSERT_TRUE(peer_.Send(line));
    const BusExchangeResult result = second.get();
    EXPECT_EQ(result.fault, BlockFault::None);
    EXPECT_EQ(FirstWord(), 0x0222);
    EXPECT_EQ(result.skippedBytes, static_cast<int>(line.size() - own.size()));

    // Module 3 is silent while module 1's reply comes late once more: a failure for 3, not 1's
    // values.
    auto third = Ask(3);
    ExpectRequestFor(3);
    ASSERT_TRUE(peer_.Send(BlockReply(1, 0x0111)));
    EXPECT_EQ(third.get().fault, BlockFault::ShortHeader);
}

TEST_F(BusExchangeTest, DamagedRepliesFailWithTheirOwnFault) {
    // A wrong checksum from the module asked.
    auto asked = Ask(4);
    ExpectRequestFor(4);
    Bytes damaged = BlockReply(4, 0x0444);
    damaged[9] ^= 0x01;
    ASSERT_TRUE(peer_.Send(damaged));
    EXPECT_EQ(asked.get().fault, BlockFault::BadChecksum);

    // A length no block has.
    asked = Ask(4);
    ExpectRequestFor(4);
    ASSERT_TRUE(peer_.Send({0x14, 0x3F, 0x00, 0x04, 0x0B, 0x00, 0x06}));
    EXPECT_EQ(asked.get().fault, BlockFault::BadCount);

    // A reply that stops halfway.
    asked = Ask(4);
    ExpectRequestFor(4);
    const Bytes whole = BlockReply(4, 0x0444);
    ASSERT_TRUE(peer_.Send(Bytes(whole.begin(), whole.begin() + 12)));
    EXPECT_EQ(asked.get().fault, BlockFault::ShortData);

    // The tail of that reply, arriving while the module is asked again, is purged or skipped;
    // the new reply counts.
    asked = Ask(4, 1000);
    ExpectRequestFor(4);
    Bytes line(whole.begin() + 12, whole.end());
    line.insert(line.end(), whole.begin(), whole.end());
    ASSERT_TRUE(peer_.Send(line));
    EXPECT_EQ(asked.get().fault, BlockFault::None);
}

TEST_F(BusExchangeTest, TheLengthOfTheLastReplyIsOnlyAHint) {
    // The module last sent a whole block, whose wire time at 9600 Bd (151 ms) outlasts the
    // timeout; now it answers at once with a shorter one, which is taken and its length told.
    auto asked = Ask(5, 100, 145);
    ExpectRequestFor(5);
    const Bytes shorter = BlockReply(5, 0x0555);
    ASSERT_TRUE(peer_.Send(shorter));
    const BusExchangeResult result = asked.get();
    EXPECT_EQ(result.fault, BlockFault::None);
    EXPECT_EQ(result.replyBytes, static_cast<int>(shorter.size()));
    EXPECT_EQ(FirstWord(), 0x0555);

    // Silent now: a failure as without the hint.
    asked = Ask(5, 100, 145);
    ExpectRequestFor(5);
    EXPECT_EQ(asked.get().fault, BlockFault::ShortHeader);
}

}  // namespace
