// The simulator's driven values, on the reply data directly.
#include <gtest/gtest.h>

#include "link/commands.h"
#include "sim/value_control.h"

namespace {

std::vector<std::uint8_t> Block(int probes) {
    return std::vector<std::uint8_t>(static_cast<std::size_t>(2 * (4 + probes)), 0x00);
}

std::uint16_t WordAt(const std::vector<std::uint8_t>& data, int channel) {
    return static_cast<std::uint16_t>(data[2 * channel] << 8 | data[2 * channel + 1]);
}

TEST(ValueControl, DrivesOnlyItsAddressAndTheTemperatureReplies) {
    ValueControl control;
    std::string error;
    ASSERT_TRUE(control.Load("# comment\n2 温度1 value -0.0\n2 PT100温度4 value -12.3  # cold\n"
                             "2 5 dropout\n2 probes 3\n7 silent\n",
                             0, error))
        << error;
    auto data = Block(1);
    control.Apply(2, CMD_READ_TEMPERATURES, data, 0);
    ASSERT_EQ(data.size(), 2u * 7) << "the block grows to the probes asked for";
    EXPECT_EQ(WordAt(data, 4), 0x8000);
    EXPECT_EQ(WordAt(data, 3), 0x8000 | 123);
    EXPECT_EQ(WordAt(data, 5), 0x7FFF);
    EXPECT_EQ(WordAt(data, 6), 200);

    auto other = Block(1);
    control.Apply(3, CMD_READ_TEMPERATURES, other, 0);
    EXPECT_EQ(other, Block(1));
    auto pt100 = Block(0);
    control.Apply(2, CMD_PT100_READ_TEMPS, pt100, 0);
    EXPECT_EQ(WordAt(pt100, 3), 0x8000 | 123);
    auto sn = Block(0);
    control.Apply(2, CMD_READ_SN, sn, 0);
    EXPECT_EQ(sn, Block(0));
    EXPECT_TRUE(control.Silent(7));
    EXPECT_FALSE(control.Silent(2));
}

TEST(ValueControl, RampRunsFromItsLoadAndGoesOnWhileItsLineStays) {
    ValueControl control;
    std::string error;
    ASSERT_TRUE(control.Load("1 温度1 ramp 20 6\n", 100, error)) << error;
    auto data = Block(1);
    control.Apply(1, CMD_READ_TEMPERATURES, data, 130);
    EXPECT_EQ(WordAt(data, 4), 230);
    ASSERT_TRUE(control.Load("1 温度1 ramp 20 6\n1 温度2 value 1\n", 160, error)) << error;
    control.Apply(1, CMD_READ_TEMPERATURES, data, 160);
    EXPECT_EQ(WordAt(data, 4), 260) << "the same line keeps its start";
    ASSERT_TRUE(control.Load("1 温度1 ramp 20 -6\n", 160, error)) << error;
    control.Apply(1, CMD_READ_TEMPERATURES, data, 170);
    EXPECT_EQ(WordAt(data, 4), 190);
}

TEST(ValueControl, BadLineNamesItselfAndChangesNothing) {
    ValueControl control;
    std::string error;
    ASSERT_TRUE(control.Load("1 silent\n", 0, error));
    for (const char* bad : {"1 温度65 value 1", "256 silent", "1 温度1 value hot", "1 probes 65",
                            "1 温度1 ramp 20", "x silent", "1 loud"}) {
        EXPECT_FALSE(control.Load(std::string("\n") + bad, 0, error)) << bad;
        EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << error;
        EXPECT_TRUE(control.Silent(1)) << bad;
    }
}

}  // namespace
