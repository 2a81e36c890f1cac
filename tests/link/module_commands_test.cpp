// Requests and replies of the command set, with the frames and bytes the module uses.
#include "link/module_commands.h"

#include <gtest/gtest.h>

#include "link/reply_verification.h"
#include "link/temp_word.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Frame(const CommandRequest& request, int address) {
    return BuildRequest(address, request.command, request.Data(), request.length);
}

// A well-formed reply carrying `data`.
Bytes Reply(std::uint8_t command, const Bytes& data) {
    Bytes frame;
    frame.reserve(data.size() + kFrameOverhead);
    for (const std::uint8_t byte : {std::uint8_t{0x14}, std::uint8_t{0x3F}, std::uint8_t{0x00},
                                    std::uint8_t{0x01}, command, std::uint8_t{0x00},
                                    static_cast<std::uint8_t>(data.size())}) {
        frame.push_back(byte);
    }
    for (const std::uint8_t byte : data) frame.push_back(byte);
    const std::uint16_t sum = FrameChecksum(frame.data(), static_cast<int>(frame.size()));
    frame.push_back(static_cast<std::uint8_t>(sum >> 8));
    frame.push_back(static_cast<std::uint8_t>(sum & 0xFF));
    return frame;
}

ReplyBytes Cut(const Bytes& reply, std::size_t size) {
    return ReplyBytes(reply.data(), std::min(size, reply.size()));
}

TEST(CommandRequests, FramesByteForByte) {
    const SnBytes sn = {0x28, 0xFF, 0x4A, 0x00, 0x01, 0x02, 0x03, 0xC9};
    struct Case {
        CommandRequest request;
        Bytes frame;
    };
    const Case cases[] = {
        {ReadSnRequest(5), {0x14, 0x3F, 0x00, 0x01, 0x03, 0x00, 0x01, 0x05, 0xFF, 0xB6}},
        {Pt100ParamsRequest(3), {0x14, 0x3F, 0x00, 0x01, 0x08, 0x00, 0x01, 0x03, 0xFF, 0xB3}},
        {Pt100CalibrateRequest(PT100_CAL_RES1, 0),
         {0x14, 0x3F, 0x00, 0x01, 0x09, 0x00, 0x02, 0x02, 0x00, 0xFF, 0xB2}},
        {Pt100SetOffsetRequest(1, *OffsetByteFromCelsius(-1.5)),
         {0x14, 0x3F, 0x00, 0x01, 0x0A, 0x00, 0x02, 0x01, 0x8F, 0xFF, 0x23}},
        {Pt100TempsRequest(), {0x14, 0x3F, 0x00, 0x01, 0x07, 0x00, 0x00, 0xFF, 0xB8}},
        {TemperatureBlockRequest(), {0x14, 0x3F, 0x00, 0x01, 0x0B, 0x00, 0x00, 0xFF, 0xB4}},
    };
    for (const Case& c : cases) EXPECT_EQ(Frame(c.request, 1), c.frame) << int(c.request.command);

    EXPECT_EQ(SearchProbesRequest().length, 0);
    EXPECT_EQ(SetSignalCountRequest(44).payload[0], 44);
    const auto registration = RegisterSnRequest(7, sn);
    ASSERT_TRUE(registration);
    EXPECT_EQ(registration->length, 9);
    EXPECT_EQ(Bytes(registration->payload.begin(), registration->payload.end()),
              (Bytes{7, 0x28, 0xFF, 0x4A, 0, 1, 2, 3, 0xC9}));
    SnBytes other = sn;
    other[0] = 0x29;
    EXPECT_FALSE(RegisterSnRequest(7, other));  // never sent with another family byte
}

TEST(CommandReplies, FieldsAtTheirOffsets) {
    const Bytes params = Reply(CMD_PT100_READ_PARAMS, {0xFF, 0xB2, 0x00, 0x12, 0x34, 0x00, 0x07, 0x00});
    const auto p = DecodePt100ParamsReply(params);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->zeroAd, 255);
    EXPECT_DOUBLE_EQ(OffsetByteToCelsius(p->offset), -5.0);
    EXPECT_EQ(p->res1Ad, 0x1234);
    EXPECT_EQ(p->res2Ad, 7);

    const Bytes temps =
        Reply(CMD_PT100_READ_TEMPS, {0x00, 0xFA, 0x80, 0xFA, 0x00, 0x00, 0x7F, 0xFF});
    const auto t = DecodePt100TempsReply(temps);
    ASSERT_TRUE(t);
    EXPECT_EQ(FormatTempWord(t->words[0]), "25.0");
    EXPECT_EQ(FormatTempWord(t->words[1]), "-25.0");
    EXPECT_EQ(FormatTempWord(t->words[3]), "3276.7");

    const auto none = DecodeRegisterChannelReply(Reply(CMD_REGISTER_CHANNEL, Bytes(8, 0xFF)));
    const auto bad = DecodeRegisterChannelReply(Reply(CMD_REGISTER_CHANNEL, Bytes(8, 0x00)));
    const auto good = DecodeRegisterChannelReply(
        Reply(CMD_REGISTER_CHANNEL, {0x28, 0xFF, 0x4A, 0x00, 0x01, 0x02, 0x03, 0xC9}));
    EXPECT_EQ(none->outcome, ChannelRegistration::NoValidSn);
    EXPECT_EQ(bad->outcome, ChannelRegistration::InvalidChannel);
    EXPECT_EQ(good->outcome, ChannelRegistration::Registered);
    EXPECT_EQ(CompactSnText(good->sn), "28-FF-4A-0-1-2-3-C9");

    EXPECT_EQ(DecodeSearchProbesReply(Reply(CMD_SEARCH_PROBES, {3}))->found, 3);
    EXPECT_EQ(DecodeRegisterSnReply(Reply(CMD_REGISTER_SN, {2}))->result, REGISTER_SN_INVALID);
    const Bytes res1 = Reply(CMD_PT100_CALIBRATE, {0x12, 0x34});
    EXPECT_EQ(DecodePt100CalibrateReply(PT100_CAL_RES1, res1)->res1Ad, 0x1234);
    EXPECT_FALSE(DecodePt100CalibrateReply(PT100_CAL_RES1, res1)->zeroAd);
    EXPECT_EQ(DecodePt100CalibrateReply(PT100_CAL_ZERO, res1)->zeroAd, 0x12);

    const Bytes block = Reply(CMD_READ_TEMPERATURES,
                              {0, 1, 0, 2, 0, 3, 0, 4, 0x80, 0x00});  // 4 PT100s, one probe
    const auto b = DecodeTemperatureBlockReply(block);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->words, (std::vector<std::uint16_t>{1, 2, 3, 4, 0x8000}));
}

TEST(CommandReplies, ShortRepliesDecodeToNothing) {
    // Each decoder's reply cut one byte before its last field byte ends.
    const Bytes full = Reply(CMD_PT100_READ_PARAMS, Bytes(8, 0x11));
    EXPECT_FALSE(DecodePt100ParamsReply(Cut(full, 13)));
    EXPECT_TRUE(DecodePt100ParamsReply(Cut(full, 14)));
    EXPECT_FALSE(DecodePt100TempsReply(Cut(full, 14)));
    EXPECT_FALSE(DecodeReadSnReply(Cut(full, 14)));
    EXPECT_TRUE(DecodeReadSnReply(Cut(full, 15)));
    EXPECT_FALSE(DecodeRegisterChannelReply(Cut(full, 14)));
    EXPECT_FALSE(DecodeSignalCountReply(Cut(full, 7)));
    EXPECT_FALSE(DecodePt100CalibrateReply(PT100_CAL_RES1, Cut(full, 8)));
    EXPECT_FALSE(DecodePt100CalibrateReply(PT100_CAL_RES2, Cut(full, 8)));
    EXPECT_FALSE(DecodePt100SetOffsetReply(Cut(full, 8)));
    EXPECT_FALSE(DecodeTemperatureBlockReply(Cut(full, 6)));
    EXPECT_FALSE(DecodeTemperatureBlockReply(Cut(full, 14)));  // announces 8 data bytes
    EXPECT_FALSE(DecodeReadSnReply({}));
}

TEST(ReplyVerification, LengthFieldAndChecksum) {
    const Bytes good = Reply(CMD_READ_SN, Bytes(8, 0x28));
    EXPECT_EQ(VerifyReplyFrame(good), ReplyFrameFault::None);
    EXPECT_EQ(VerifyReplyFrame({}), ReplyFrameFault::Missing);
    EXPECT_EQ(VerifyReplyFrame(Cut(good, 8)), ReplyFrameFault::Short);
    EXPECT_EQ(VerifyReplyFrame(Cut(good, 16)), ReplyFrameFault::Short);
    Bytes corrupted = good;
    corrupted[9] ^= 0x01;
    EXPECT_EQ(VerifyReplyFrame(corrupted), ReplyFrameFault::BadChecksum);
    Bytes longer = good;
    longer[6] = 200;  // announces more than ever arrived
    EXPECT_EQ(VerifyReplyFrame(longer), ReplyFrameFault::Short);
}

TEST(SnArgument, SeparatedOrCompactEightBytes) {
    const SnBytes sn = {0x28, 0xFF, 0x4A, 0x00, 0x01, 0x02, 0x03, 0xC9};
    EXPECT_EQ(ParseSnArgument("28-FF-4A-00-01-02-03-C9"), sn);
    EXPECT_EQ(ParseSnArgument("28ff4a00010203c9"), sn);
    EXPECT_EQ(FullSnText(sn), "28-FF-4A-00-01-02-03-C9");
    for (const char* bad : {"", "28-FF-4A-00-01-02-03", "28-FF-4A-00-01-02-03-C", "28:FF-4A-00-01-02-03-C9",
                            "28FF4A00010203C", "28FF4A00010203CG", "28-FF-4A-00-01-02-03-C9-"}) {
        EXPECT_FALSE(ParseSnArgument(bad)) << bad;
    }
}

}  // namespace
