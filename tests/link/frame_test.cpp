// Request frames, checksums, reply sizes and trace lines.
#include "link/frame.h"

#include <gtest/gtest.h>

#include "link/commands.h"
#include "link/transaction.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(RequestFrame, MatchesTheDocumentedExamples) {
    const std::uint8_t entry = 5;
    EXPECT_EQ(BuildRequest(1, CMD_READ_SN, &entry, 1),
              (Bytes{0x14, 0x3F, 0x00, 0x01, 0x03, 0x00, 0x01, 0x05, 0xFF, 0xB6}));
    EXPECT_EQ(BuildRequest(0, CMD_READ_TEMPERATURES, nullptr, 0),
              (Bytes{0x14, 0x3F, 0x00, 0x00, 0x0B, 0x00, 0x00, 0xFF, 0xB5}));
}

TEST(RequestFrame, CarriesTheLowAddressByteAndTheLength) {
    const Bytes noPayload = BuildRequest(257, CMD_SEARCH_PROBES, nullptr, 0);
    ASSERT_EQ(noPayload.size(), 9u);
    EXPECT_EQ(noPayload[3], 0x01);
    EXPECT_EQ(noPayload[5], 0x00);
    EXPECT_EQ(noPayload[6], 0x00);

    const std::uint8_t sn[9] = {7, 0x28, 1, 2, 3, 4, 5, 6, 0xC3};
    const Bytes registration = BuildRequest(-1, CMD_REGISTER_SN, sn, 9);
    ASSERT_EQ(registration.size(), 18u);
    EXPECT_EQ(registration[3], 0xFF);
    EXPECT_EQ(registration[6], 9);
    EXPECT_EQ(Bytes(registration.begin() + 7, registration.begin() + 16), Bytes(sn, sn + 9));
    const std::uint16_t checksum = FrameChecksum(registration.data(), 16);
    EXPECT_EQ(registration[16], checksum >> 8);
    EXPECT_EQ(registration[17], checksum & 0xFF);
}

TEST(RequestFrame, RefusesPayloadsOutOfRange) {
    const std::uint8_t payload[10] = {};
    EXPECT_TRUE(BuildRequest(1, CMD_REGISTER_SN, payload, 10).empty());
    EXPECT_TRUE(BuildRequest(1, CMD_REGISTER_SN, payload, -1).empty());
    EXPECT_TRUE(BuildRequest(1, CMD_READ_SN, nullptr, 1).empty());
}

TEST(Checksum, SkipsTheStartByteAndWraps) {
    const std::uint8_t one[] = {0x14};
    EXPECT_EQ(FrameChecksum(one, 1), 0xFFFF);
    EXPECT_EQ(FrameChecksum(one, 0), 0xFFFF);
    EXPECT_EQ(FrameChecksum(nullptr, -3), 0xFFFF);
    const std::uint8_t two[] = {0xFF, 0x01};
    EXPECT_EQ(FrameChecksum(two, 2), 0xFFFE);
    // 258 bytes of 0xFF after the start byte sum to 65790, which wraps to 254.
    Bytes many(259, 0xFF);
    EXPECT_EQ(FrameChecksum(many.data(), 259), 0xFFFF ^ 254);
}

TEST(TraceLine, IsALineFeedLabelAndLowerCaseHexBytes) {
    const Bytes request = BuildRequest(1, CMD_READ_SN, Bytes{5}.data(), 1);
    EXPECT_EQ(FormatTraceLine("写", request.data(), static_cast<int>(request.size())),
              "\n写 14 3f 00 01 03 00 01 05 ff b6 ");
    EXPECT_EQ(FormatTraceLine("读", nullptr, 0), "\n读 ");
    EXPECT_EQ(FormatTraceLine("读", request.data(), 0), "\n读 ");
}

}  // namespace
