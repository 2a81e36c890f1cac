// What the simulated module answers, seen through the console's own transaction code.
#include <gtest/gtest.h>

#include "link/commands.h"
#include "link/temperature_block.h"
#include "link/transaction.h"
#include "tests/sim/sim_fixture.h"

namespace {

using namespace std::chrono_literals;

class ModuleRepliesTest : public SimFixture {
protected:
    void SetUp() override {
        StartModule(FastOptions());
        port_ = OpenPort();
        ASSERT_TRUE(port_.IsOpen());
    }

    // The console's transaction; the reply as read.
    Bytes Exchange(std::uint8_t command, const Bytes& payload = {}) {
        ReplyBlock block{};
        const int got =
            ExchangeCommandFrame(port_, Request(0, command, payload), command, block, TraceSink());
        return Bytes(block.begin(), block.begin() + got);
    }
    static Bytes SnOf(const Bytes& reply) { return Bytes(reply.begin() + 7, reply.begin() + 15); }
    static Bytes ToBytes(const ProbeSn& sn) { return Bytes(sn.begin(), sn.end()); }

    CommPort port_;
};

TEST_F(ModuleRepliesTest, EveryCommandGetsAReplyOfItsSizeWithACorrectChecksum) {
    const struct {
        std::uint8_t command;
        Bytes payload;
        int dataSize;
    } cases[] = {
        {CMD_SET_SIGNAL_COUNT, {20}, 8},
        {CMD_REGISTER_CHANNEL, {3}, 8},
        {CMD_READ_SN, {5}, 8},
        {CMD_REGISTER_SN, {4, 0x28, 1, 2, 3, 4, 5, 6, 7}, 8},
        {CMD_SEARCH_PROBES, {}, 1},
        {CMD_PT100_READ_TEMPS, {}, 8},
        {CMD_PT100_READ_PARAMS, {2}, 8},
        {CMD_PT100_CALIBRATE, {PT100_CAL_RES2, 1}, 8},
        {CMD_PT100_SET_OFFSET, {1, 0x8F}, 8},
        {CMD_READ_TEMPERATURES, {}, 8 + 2 * 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.command));
        // The transaction waits for 17 (or 10) bytes; the block is longer, so read it whole.
        Bytes reply = c.command == CMD_READ_TEMPERATURES ? Bytes{} : Exchange(c.command, c.payload);
        if (c.command == CMD_READ_TEMPERATURES) {
            Send(port_, Request(0, c.command));
            reply = Receive(port_, c.dataSize + kFrameOverhead);
        }
        EXPECT_TRUE(IsReply(reply, 0, c.command, c.dataSize));
    }
    EXPECT_EQ(module_->Requests().size(), std::size(cases));
}

TEST_F(ModuleRepliesTest, TemperatureBlockCarriesTheSetTemperaturesAndPassesTheConsolesChecks) {
    module_->FreezeTemperatures(true);
    for (const int probes : {0, 3, 64}) {
        SCOPED_TRACE(probes);
        module_->SetProbeCount(probes);
        std::vector<int> probeTenths;
        for (int c = 1; c <= probes; ++c) probeTenths.push_back(c % 2 == 0 ? -185 - c : 200 + c);
        module_->SetTemperatures({213, -402, 850, -1}, probeTenths);

        ReplyBlock block{};
        ASSERT_TRUE(ExchangeTemperatureBlock(port_, 0, false, block));
        const int words = (block[5] * 256 + block[6]) / 2;
        ASSERT_EQ(words, 4 + probes);
        const auto tenths = [&](int word) {
            const int magnitude = (block[7 + 2 * word] & 0x7F) * 256 + block[8 + 2 * word];
            return (block[7 + 2 * word] & 0x80) != 0 ? -magnitude : magnitude;
        };
        EXPECT_EQ(tenths(0), 213);
        EXPECT_EQ(tenths(1), -402);
        EXPECT_EQ(tenths(3), -1);
        for (int c = 1; c <= probes; ++c) EXPECT_EQ(tenths(3 + c), probeTenths[c - 1]);
    }
}

TEST_F(ModuleRepliesTest, UnfrozenTemperaturesDriftButStayNearTheirSetPoints) {
    module_->SetTemperatures({213, -402, 850, 40}, {-185});
    std::vector<ReplyBlock> blocks(5);
    for (ReplyBlock& block : blocks) ASSERT_TRUE(ExchangeTemperatureBlock(port_, 0, false, block));
    bool changed = false;
    for (const ReplyBlock& block : blocks) {
        const double freezer = -((block[15] & 0x7F) * 256 + block[16]) / 10.0;
        EXPECT_TRUE(block[15] & 0x80) << "the freezer channel reads below zero";
        EXPECT_NEAR(freezer, -18.5, 2.0);
        changed = changed || block != blocks.front();
    }
    EXPECT_TRUE(changed);
}

TEST_F(ModuleRepliesTest, OnlyGoodFramesForItsOwnAddressAreAnswered) {
    const Bytes otherAddress = Request(1, CMD_PT100_READ_TEMPS);
    Bytes badChecksum = Request(0, CMD_SET_SIGNAL_COUNT, {9});
    badChecksum.back() ^= 0x01;
    const Bytes noise = {0x00, 0x14, 0x3F, 0xFF, 0x14, 0x14, 0x3F, 0x00, 0x00};
    Bytes stream;
    for (const Bytes* part :
         std::initializer_list<const Bytes*>{&noise, &otherAddress, &badChecksum, &noise}) {
        stream.insert(stream.end(), part->begin(), part->end());
    }
    const Bytes wanted = Request(0, CMD_READ_SN, {0});
    stream.insert(stream.end(), wanted.begin(), wanted.end());
    Send(port_, stream);

    // Anything answered before the good frame would arrive before its reply.
    const Bytes reply = Receive(port_, 17);
    EXPECT_TRUE(IsReply(reply, 0, CMD_READ_SN, 8));
    EXPECT_EQ(module_->Requests(), std::vector<Bytes>{wanted});
    EXPECT_EQ(module_->FramesForOtherAddresses(), 1);
    EXPECT_EQ(module_->ChecksumFailures(), 1);
    EXPECT_EQ(module_->SignalCount(), 20);
}

TEST_F(ModuleRepliesTest, UnknownCommandsAndPayloadsOfTheWrongSizeGetNoReply) {
    for (const Bytes& unanswered : {Request(0, 6), Request(0, 12, {1}), Request(0, CMD_READ_SN),
                                    Request(0, CMD_REGISTER_SN, {1, 0x28})}) {
        Send(port_, unanswered);
    }
    Send(port_, Request(0, CMD_PT100_READ_TEMPS));
    EXPECT_TRUE(IsReply(Receive(port_, 17), 0, CMD_PT100_READ_TEMPS, 8));
    EXPECT_EQ(module_->RequestsSeen(6), 1);
    EXPECT_EQ(module_->RequestsSeen(CMD_READ_SN), 1);
}

TEST_F(ModuleRepliesTest, SignalCountIsSetWithinTheChannelsAndSizesTheBlock) {
    EXPECT_EQ(Exchange(CMD_SET_SIGNAL_COUNT, {8})[7], 8);
    EXPECT_EQ(Exchange(CMD_SET_SIGNAL_COUNT, {65})[7], 8) << "a count beyond 64 is refused";
    ReplyBlock block{};
    ASSERT_TRUE(ExchangeTemperatureBlock(port_, 0, false, block));
    EXPECT_EQ(block[5] * 256 + block[6], 8 + 2 * 8);
}

TEST_F(ModuleRepliesTest, RegisteringAnSnReportsTheResultCodesAndStoresGoodOnes) {
    const Bytes sn = {0x28, 0xFF, 0x4A, 0x00, 0x01, 0x02, 0x03, 0xC9};
    Bytes payload = {64};
    payload.insert(payload.end(), sn.begin(), sn.end());
    EXPECT_EQ(Exchange(CMD_REGISTER_SN, payload)[7], REGISTER_OK);
    EXPECT_EQ(SnOf(Exchange(CMD_READ_SN, {64})), sn);

    payload[0] = 65;
    EXPECT_EQ(Exchange(CMD_REGISTER_SN, payload)[7], REGISTER_CHANNEL_TOO_LARGE);
    payload[0] = 9;
    payload[1] = 0x10;
    EXPECT_EQ(Exchange(CMD_REGISTER_SN, payload)[7], REGISTER_SN_INVALID);
    EXPECT_EQ(ToBytes(module_->SnEntry(9)), SnOf(Exchange(CMD_READ_SN, {9})));
    EXPECT_NE(SnOf(Exchange(CMD_READ_SN, {9}))[0], 0x10);
}

TEST_F(ModuleRepliesTest, RegisteringAChannelTakesTheSocketProbeOrSaysWhyNot) {
    const ProbeSn socket = MakeProbeSn(0x123456);
    module_->SetSocketProbe(socket);
    EXPECT_EQ(SnOf(Exchange(CMD_REGISTER_CHANNEL, {30})), ToBytes(socket));
    EXPECT_EQ(module_->SnEntry(30), socket);
    const Bytes next = SnOf(Exchange(CMD_REGISTER_CHANNEL, {31}));
    EXPECT_EQ(next[0], kSnFamilyByte);
    EXPECT_NE(next, ToBytes(socket)) << "each registration takes the next probe";

    EXPECT_EQ(SnOf(Exchange(CMD_REGISTER_CHANNEL, {0})), Bytes(8, 0x00));
    EXPECT_EQ(SnOf(Exchange(CMD_REGISTER_CHANNEL, {65})), Bytes(8, 0x00));
    module_->SetSocketProbe(std::nullopt);
    EXPECT_EQ(SnOf(Exchange(CMD_REGISTER_CHANNEL, {32})), Bytes(8, 0xFF));
    EXPECT_EQ(module_->SnEntry(32), kBlankSn);
}

TEST_F(ModuleRepliesTest, ProbeSearchTakesItsTimeThenRegistersWhatItFound) {
    const std::vector<ProbeSn> found = {MakeProbeSn(11), MakeProbeSn(22), MakeProbeSn(33)};
    module_->SetBusProbes(found);
    const auto begin = std::chrono::steady_clock::now();
    const Bytes reply = Exchange(CMD_SEARCH_PROBES);
    EXPECT_GE(std::chrono::steady_clock::now() - begin, 300ms);
    ASSERT_TRUE(IsReply(reply, 0, CMD_SEARCH_PROBES, 1));
    EXPECT_EQ(reply[7], 3);
    for (int c = 1; c <= 3; ++c) {
        EXPECT_EQ(SnOf(Exchange(CMD_READ_SN, {static_cast<std::uint8_t>(c)})),
                  ToBytes(found[static_cast<std::size_t>(c - 1)]));
    }
}

TEST_F(ModuleRepliesTest, Pt100OffsetAndCalibrationsShowInLaterReads) {
    module_->FreezeTemperatures(true);
    module_->SetTemperatures({213, -402, 850, 40}, {});
    Exchange(CMD_PT100_SET_OFFSET, {1, 0x8F});  // -1.5 degrees on input 2
    const Bytes temps = Exchange(CMD_PT100_READ_TEMPS);
    // -40.2 - 1.5 = -41.7 degrees
    EXPECT_EQ(Bytes(temps.begin() + 9, temps.begin() + 11), (Bytes{0x81, 0xA1}));

    const Bytes res1 = Exchange(CMD_PT100_CALIBRATE, {PT100_CAL_RES1, 1});
    const Bytes zero = Exchange(CMD_PT100_CALIBRATE, {PT100_CAL_ZERO, 1});
    const Bytes params = Exchange(CMD_PT100_READ_PARAMS, {1});
    EXPECT_EQ(params[7], zero[7]);
    EXPECT_EQ(params[8], 0x8F);
    EXPECT_EQ(Bytes(params.begin() + 10, params.begin() + 12),
              Bytes(res1.begin() + 7, res1.begin() + 9));
    EXPECT_EQ(module_->Pt100(1).res1Ad, res1[7] * 256 + res1[8]);

    Exchange(CMD_PT100_SET_OFFSET, {1, 0xB3});  // -5.1 degrees: refused
    EXPECT_EQ(Exchange(CMD_PT100_READ_PARAMS, {1})[8], 0x8F);
}

}  // namespace
