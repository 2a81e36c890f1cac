// The byte texts an operator types or a file holds, and the two text forms of an SN.
#include "probes/sn_text.h"

#include <gtest/gtest.h>

#include "console/scanner_dlg.h"
#include "probes/registration_line.h"

namespace {

TEST(ParseHexByteTest, AcceptsOneOrTwoUpperCaseHexDigitsOnly) {
    struct Case {
        std::string text;
        bool ok;
        int result;
    };
    const Case cases[] = {
        {"", true, 0},      {"0", true, 0},      {"00", true, 0},         {"28", true, 0x28},
        {"FF", true, 255},  {"F", true, 15},     {"A", true, 10},         {"1F", true, 31},
        {"ff", false, -1},  {"1g", false, -1},   {" 1", false, -1},       {"1 ", false, -1},
        {"-1", false, -1},  {"5\n", false, -1},  {"\xC3\xA9", false, -1}, {"000", false, -2},
        {"100", false, -2}, {"zzzz", false, -2},
    };
    for (const Case& c : cases) {
        bool ok = !c.ok;
        EXPECT_EQ(CScannerDlg::ParseHexByte(c.text, ok), c.result) << '"' << c.text << '"';
        EXPECT_EQ(ok, c.ok) << '"' << c.text << '"';
    }
}

TEST(SnTextTest, CompactTextDropsLeadingZerosAndTheLineIsFixedWidth) {
    const SnBytes sn = {0x28, 0, 0, 0, 0, 0, 0, 0x01};
    EXPECT_EQ(CompactSnText(sn), "28-0-0-0-0-0-0-1");
    EXPECT_EQ(CompactSnText({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}),
              "FF-FF-FF-FF-FF-FF-FF-FF");
    EXPECT_EQ(SnLine(3, sn), "03:28-00-00-00-00-00-00-01");
    EXPECT_EQ(SnLine(5, {0x28, 0xFF, 0x4A, 0x00, 0x01, 0x02, 0x03, 0xC9}),
              "05:28-FF-4A-00-01-02-03-C9");
    EXPECT_EQ(SnLine(64, sn).size(), 26u);
    EXPECT_EQ(SnLine(100, sn).size(), 27u);
}

TEST(RegistrationLineTest, LayoutChannelAndSnBytes) {
    struct Case {
        std::string line;
        LineVerdict verdict;
        int channel;
        int byte8;
    };
    using V = LineVerdict;
    const Case cases[] = {
        {"07:28-FF-4A-00-01-02-03-C9\n", V::Ok, 7, 0xC9},
        {" \t 64:28-FF-4A-00-01-02-03-C9 trailing text\n", V::Ok, 64, 0xC9},
        {"07:28-FF-4A-00-01-02-03-C", V::Ok, 7, 0x0C},  // last line, no line feed
        {"07:28-FF-4A-00-01-02-03-", V::Ok, 7, 0x00},   // byte 8 left out
        {"07:28-FF-4A-00-01-02-03-C\n", V::SnError, 7, -1},
        {"07:28-ff-4A-00-01-02-03-C9\n", V::SnError, 7, -1},
        {"07:29-FF-4A-00-01-02-03-C9\n", V::SnError, 7, -1},
        {"07:28-FF-4A-000-1-02-03-C9\n", V::LayoutError, -1, -1},
        {"7:28-FF-4A-00-01-02-03-C9\n", V::LayoutError, -1, -1},
        {"AB:28-FF-4A-00-01-02-03-C9\n", V::LayoutError, -1, -1},
        {"\xEF\xBB\xBF"
         "07:28-FF-4A-00-01-02-03-C9\n",
         V::LayoutError, -1, -1},
        {"07:28-FF-4A-00-01-02\n", V::LayoutError, -1, -1},
        {"\n", V::LayoutError, -1, -1},
        {"", V::LayoutError, -1, -1},
    };
    for (const Case& c : cases) {
        const RegistrationLine parsed = ParseRegistrationLine(c.line);
        EXPECT_EQ(parsed.verdict, c.verdict) << c.line;
        if (c.channel >= 0) {
            EXPECT_EQ(parsed.payload[0], c.channel) << c.line;
        }
        if (c.byte8 >= 0) {
            EXPECT_EQ(parsed.payload[8], c.byte8) << c.line;
        }
    }
    const RegistrationLine good = ParseRegistrationLine("07:28-FF-4A-00-01-02-03-C9");
    EXPECT_EQ(good.payload, (std::array<std::uint8_t, 9>{7, 0x28, 0xFF, 0x4A, 0, 1, 2, 3, 0xC9}));
}

}  // namespace
