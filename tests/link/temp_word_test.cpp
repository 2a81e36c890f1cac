// Temperature words and PT100 offset bytes.
#include "link/temp_word.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

TEST(TempWord, DecodesSignAndTenths) {
    EXPECT_DOUBLE_EQ(TempWordToCelsius(0x80, 0x01), -0.1);
    EXPECT_DOUBLE_EQ(TempWordToCelsius(0x00, 0xFA), 25.0);
    EXPECT_DOUBLE_EQ(TempWordToCelsius(0x7F, 0xFF), 3276.7);
    EXPECT_EQ(FormatTempWord(0x80, 0x01), "-0.1");
    EXPECT_EQ(FormatTempWord(0x00, 0xFA), "25.0");
    EXPECT_EQ(FormatTempWord(0x80, 0x00), "-0.0");
    EXPECT_EQ(FormatTempWord(0x00, 0x00), "0.0");
}

// The display multiplies in single precision; every magnitude must still show its exact tenths.
TEST(TempWord, EveryMagnitudeShowsItsExactTenths) {
    for (int magnitude = 0; magnitude <= 0x7FFF; ++magnitude) {
        const auto high = static_cast<std::uint8_t>(magnitude >> 8);
        const auto low = static_cast<std::uint8_t>(magnitude & 0xFF);
        char expected[16];
        std::snprintf(expected, sizeof expected, "%d.%d", magnitude / 10, magnitude % 10);
        ASSERT_EQ(FormatTempWord(high, low), expected) << magnitude;
        ASSERT_EQ(FormatTempWord(high | 0x80, low), std::string("-") + expected) << magnitude;
    }
}

TEST(TempWord, EncodesTenthsAndSaturates) {
    EXPECT_EQ(TempWordFromTenths(250), 0x00FA);
    EXPECT_EQ(TempWordFromTenths(-1), 0x8001);
    EXPECT_EQ(TempWordFromTenths(0), 0x0000);
    EXPECT_EQ(TempWordFromTenths(40000), 0x7FFF);
    EXPECT_EQ(TempWordFromTenths(std::numeric_limits<int>::min()), 0xFFFF);
}

TEST(OffsetByte, EncodesTheDocumentedExamples) {
    EXPECT_EQ(OffsetByteFromCelsius(1.5), 0x0F);
    EXPECT_EQ(OffsetByteFromCelsius(-1.5), 0x8F);
    EXPECT_EQ(OffsetByteFromCelsius(-5.0), 0xB2);
    EXPECT_EQ(OffsetByteFromCelsius(5.0), 0x32);
    EXPECT_EQ(OffsetByteFromCelsius(-0.05), 0x80);
    EXPECT_EQ(OffsetByteFromCelsius(0.0), 0x00);
}

TEST(OffsetByte, RefusesOffsetsBeyondFiveDegreesAndNonNumbers) {
    EXPECT_FALSE(OffsetByteFromCelsius(5.01).has_value());
    EXPECT_FALSE(OffsetByteFromCelsius(-5.01).has_value());
    EXPECT_FALSE(OffsetByteFromCelsius(std::nan("")).has_value());
    EXPECT_FALSE(OffsetByteFromCelsius(std::numeric_limits<double>::infinity()).has_value());
}

TEST(OffsetByte, Decodes) {
    EXPECT_DOUBLE_EQ(OffsetByteToCelsius(0x8F), -1.5);
    EXPECT_DOUBLE_EQ(OffsetByteToCelsius(0xB2), -5.0);
    EXPECT_DOUBLE_EQ(OffsetByteToCelsius(0x32), 5.0);
    EXPECT_EQ(OffsetByteToCelsius(0x80), 0.0);
    EXPECT_FALSE(std::signbit(OffsetByteToCelsius(0x80)));  // shows as 0, not -0
}

}  // namespace
