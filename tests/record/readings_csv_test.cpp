// Records of the readings CSV, field by field.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "link/frame.h"
#include "record/local_time.h"
#include "record/readings_csv.h"

namespace {

std::vector<std::string> Fields(std::string record) {
    EXPECT_GE(record.size(), 2u);
    EXPECT_EQ(record.substr(record.size() - 2), "\r\n");
    record.resize(record.size() - 2);
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(record);
    while (std::getline(in, field, ',')) fields.push_back(field);
    if (!record.empty() && record.back() == ',') fields.emplace_back();
    return fields;
}

// A verified block of the module's layout: the 4 PT100 words, then `probes` probe words.
ReplyBlock Block(const std::vector<std::uint16_t>& words) {
    ReplyBlock block{};
    block[0] = kFrameStart;
    block[5] = static_cast<std::uint8_t>((2 * words.size()) >> 8);
    block[6] = static_cast<std::uint8_t>(2 * words.size());
    for (std::size_t i = 0; i < words.size(); ++i) {
        block[7 + 2 * i] = static_cast<std::uint8_t>(words[i] >> 8);
        block[8 + 2 * i] = static_cast<std::uint8_t>(words[i]);
    }
    return block;
}

class InShanghai : public testing::Test {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        saved_ = tz != nullptr ? tz : "";
        hadTz_ = tz != nullptr;
        setenv("TZ", "Asia/Shanghai", 1);
        tzset();
    }
    void TearDown() override {
        if (hadTz_) {
            setenv("TZ", saved_.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

private:
    std::string saved_;
    bool hadTz_ = false;
};

// 2026-12-07T07:38:26.123Z
const auto kInstant = std::chrono::system_clock::time_point(std::chrono::milliseconds(1796629106123));

TEST(ReadingsCsv, HeaderNamesTimeStatusAndTheWindowsSixtyEightLabels) {
    const std::vector<std::string> fields = Fields(CsvHeaderRecord());
    ASSERT_EQ(fields.size(), 70u);
    EXPECT_EQ(fields[0], "时间");
    EXPECT_EQ(fields[1], "状态");
    EXPECT_EQ(fields[2], "PT100温度1");
    EXPECT_EQ(fields[5], "PT100温度4");
    EXPECT_EQ(fields[6], "温度1");
    EXPECT_EQ(fields[69], "温度64");
}

TEST_F(InShanghai, GoodBlockShowsValuesAsTheListsDoAndBlanksMissingProbes) {
    // 23.5, -23.5, 0.0, 3276.7 on the PT100 inputs; probes -0.0 and 21.8.
    const Reading reading = ReadingFromBlock(Block({0x00EB, 0x80EB, 0, 0x7FFF, 0x8000, 0x00DA}),
                                             kInstant);
    const std::vector<std::string> fields = Fields(CsvRecord(reading));
    ASSERT_EQ(fields.size(), 70u);
    EXPECT_EQ(fields[0], "2026-12-07T15:38:26.123+08:00");
    EXPECT_EQ(fields[1], "成功");
    EXPECT_EQ(fields[2], "23.5");
    EXPECT_EQ(fields[3], "-23.5");
    EXPECT_EQ(fields[4], "0.0");
    EXPECT_EQ(fields[5], "3276.7");
    EXPECT_EQ(fields[6], "-0.0");
    EXPECT_EQ(fields[7], "21.8");
    for (std::size_t i = 8; i < fields.size(); ++i) EXPECT_EQ(fields[i], "") << i;
}

TEST_F(InShanghai, FailedReadingsCarryTheFaultAndNoValues) {
    const struct {
        BlockFault fault;
        const char* status;
    } cases[] = {
        {BlockFault::ShortHeader, "读错误，要读7个字节"}, {BlockFault::BadCount, "温度个数错误"},
        {BlockFault::ShortData, "读温度错误"},           {BlockFault::BadChecksum, "校验错误"},
        {BlockFault::PortNotOpen, "打开串口失败"},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> fields = Fields(CsvRecord(FailedReading(c.fault, kInstant)));
        ASSERT_EQ(fields.size(), 70u);
        EXPECT_EQ(fields[1], c.status);
        for (std::size_t i = 2; i < fields.size(); ++i) EXPECT_EQ(fields[i], "");
    }
}

TEST_F(InShanghai, TimeKeepsMillisecondsAndFileNamesTakeTheLocalSecond) {
    EXPECT_EQ(IsoLocalTime(kInstant - std::chrono::milliseconds(123)),
              "2026-12-07T15:38:26.000+08:00");
    EXPECT_EQ(CompactLocalTime(kInstant), "20261207_153826");
}

TEST(ReadingsCsvTime, NegativeOffsetsKeepTheirSign) {
    setenv("TZ", "America/St_Johns", 1);  // -03:30 in December
    tzset();
    EXPECT_EQ(IsoLocalTime(kInstant), "2026-12-07T04:08:26.123-03:30");
    unsetenv("TZ");
    tzset();
}

TEST(Reading, ABlockOfMoreThanSixtyFourProbesKeepsTheWindowsSixtyFour) {
    std::vector<std::uint16_t> words(kReadingChannels, 0x0001);
    const Reading reading = ReadingFromBlock(Block(words), kInstant);
    EXPECT_EQ(reading.ProbeCount(), 64);
    EXPECT_EQ(ChannelText(reading, 67), "0.1");
    EXPECT_EQ(ChannelText(reading, 68), "");
}

}  // namespace
