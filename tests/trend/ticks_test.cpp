// Round ticks: value axes for flat lines, ranges across zero, -0.0 and extremes; time axes on the
// local clock across midnight and both daylight-saving changes, and the step the label widths
// allow.
#include "trend/ticks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "trend/local_clock.h"

namespace {

std::vector<std::string> Labels(const ValueAxis& axis) {
    std::vector<std::string> labels;
    for (double v : axis.ticks) labels.push_back(ValueLabel(v, axis.decimals));
    return labels;
}

TEST(ValueTicksTest, RangesGoToWholeRoundStepsWithTheDecimalsTheyNeed) {
    const double nan = std::nan("");
    const struct {
        double low, high;
        int maxTicks;
        std::vector<std::string> labels;
    } cases[] = {
        {20.0, 21.2, 11, {"19.8", "20.0", "20.2", "20.4", "20.6", "20.8", "21.0", "21.2", "21.4"}},
        {-48.2, 92.3, 8, {"-100", "-50", "0", "50", "100"}},  // across zero
        {21.0, 21.0, 6, {"20.5", "21.0", "21.5"}},            // a flat line
        {-0.0, -0.0, 6, {"-0.5", "0.0", "0.5"}},              // -0.0 is zero
        {-0.04, 0.03, 3, {"-1", "0", "1"}},                   // nearly flat around zero
        {-3276.7,
         3276.7,
         10,
         {"-4000", "-3000", "-2000", "-1000", "0", "1000", "2000", "3000", "4000"}},
        {nan, 5.0, 3, {"-0.5", "0.0", "0.5"}},  // nothing sensible: around 0
        {30.0, 10.0, 3, {"0", "20", "40"}},     // given the wrong way round
    };
    for (const auto& c : cases) {
        const ValueAxis axis = ChooseValueAxis(c.low, c.high, c.maxTicks);
        EXPECT_EQ(Labels(axis), c.labels) << c.low << " .. " << c.high << " in " << c.maxTicks;
        EXPECT_FALSE(std::signbit(axis.low) && axis.low == 0);
    }
    EXPECT_EQ(ValueLabel(-0.04, 1), "0.0");
    EXPECT_EQ(ValueLabel(-0.0, 0), "0");
    EXPECT_EQ(ValueLabel(-0.06, 1), "-0.1");
}

TEST(ValueTicksTest, AnyRangeIsCoveredByAtMostTheTicksAskedForWithDistinctLabels) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> exponent(-2, 4), unit(-1, 1);
    std::uniform_int_distribution<int> maxTicks(3, 25);
    for (int round = 0; round < 2000; ++round) {
        const double scale = std::pow(10.0, exponent(random));
        const double a = unit(random) * scale, b = a + std::abs(unit(random)) * scale;
        const int most = maxTicks(random);
        const ValueAxis axis = ChooseValueAxis(a, b, most);
        ASSERT_LE(axis.ticks.size(), static_cast<std::size_t>(most)) << a << " .. " << b;
        ASSERT_GE(axis.ticks.size(), 2u);
        ASSERT_LT(axis.low, a);
        ASSERT_GT(axis.high, b);
        const double mantissa =
            axis.step / std::pow(10.0, std::floor(std::log10(axis.step) + 1e-9));
        ASSERT_TRUE(std::abs(mantissa - 1) < 1e-6 || std::abs(mantissa - 2) < 1e-6 ||
                    std::abs(mantissa - 5) < 1e-6)
            << axis.step;
        const std::vector<std::string> labels = Labels(axis);
        ASSERT_EQ(std::set<std::string>(labels.begin(), labels.end()).size(), labels.size())
            << "labels as many decimals as the step needs: " << a << " .. " << b;
        for (const std::string& label : labels) {
            ASSERT_FALSE(label[0] == '-' && std::stod(label) == 0) << "negative zero: " << label;
        }
    }
}

// Runs with a time zone set for the process, restored afterwards.
class TimeTicksTest : public testing::Test {
protected:
    void TearDown() override { SetZone(nullptr); }
    void SetZone(const char* zone) {
#ifdef _WIN32
        // Windows' C runtime follows the system's zone and knows no zone names.
        (void)zone;
#else
        if (zone != nullptr) {
            setenv("TZ", zone, 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
#endif
    }
    static std::int64_t Utc(int year, int month, int day, int hour, int minute, int second = 0) {
        return ClockSeconds({year, month, day, hour, minute, second}) * 1000;
    }
    static std::vector<std::string> Labels(const TimeAxis& axis) {
        std::vector<std::string> labels;
        for (const TimeTick& t : axis.ticks) labels.push_back(t.label);
        return labels;
    }
    static std::vector<std::int64_t> Gaps(const TimeAxis& axis) {
        std::vector<std::int64_t> gaps;
        for (std::size_t i = 1; i < axis.ticks.size(); ++i) {
            gaps.push_back((axis.ticks[i].ms - axis.ticks[i - 1].ms) / 60'000);
        }
        return gaps;
    }
};

constexpr std::int64_t kSecond = 1000, kMinute = 60 * kSecond, kHour = 60 * kMinute;

#ifndef _WIN32  // the cases below need named zones
TEST_F(TimeTicksTest, TicksFallOnTheLocalClockAndCarryTheDateAcrossMidnight) {
    SetZone("Europe/Berlin");
    // 09:48:14 .. 09:49:14 CET
    EXPECT_EQ(Labels(TimeTicksEvery(Utc(2027, 1, 12, 8, 48, 14), Utc(2027, 1, 12, 8, 49, 14),
                                    10 * kSecond)),
              (std::vector<std::string>{"09:48:20", "09:48:30", "09:48:40", "09:48:50", "09:49:00",
                                        "09:49:10"}));
    // 23:50 .. 00:20 CET: the first label and the new day's first carry the date.
    EXPECT_EQ(Labels(TimeTicksEvery(Utc(2027, 1, 12, 22, 50, 0), Utc(2027, 1, 12, 23, 20, 0),
                                    10 * kMinute)),
              (std::vector<std::string>{"01-12 23:50", "01-13 00:00", "00:10", "00:20"}));
    // Hours the step divides, whatever the span's start.
    EXPECT_EQ(
        Labels(TimeTicksEvery(Utc(2027, 1, 12, 0, 17, 0), Utc(2027, 1, 12, 11, 0, 0), 3 * kHour)),
        (std::vector<std::string>{"03:00", "06:00", "09:00", "12:00"}));

    SetZone("Asia/Kolkata");  // UTC+5:30: whole local hours are half past in UTC
    const TimeAxis kolkata =
        TimeTicksEvery(Utc(2027, 1, 12, 3, 0, 0), Utc(2027, 1, 12, 6, 0, 0), kHour);
    EXPECT_EQ(Labels(kolkata), (std::vector<std::string>{"09:00", "10:00", "11:00"}));
    EXPECT_EQ(kolkata.ticks[0].ms, Utc(2027, 1, 12, 3, 30, 0));
}

TEST_F(TimeTicksTest, DaylightSavingChangesNeitherSkipNorCrowdTicks) {
    SetZone("Europe/Berlin");
    // Spring: 02:00 CET becomes 03:00 CEST on 2027-03-28. 00:00 CET .. 06:00 CEST.
    const std::int64_t springFrom = Utc(2027, 3, 27, 23, 0), springTo = Utc(2027, 3, 28, 4, 0);
    const TimeAxis spring = TimeTicksEvery(springFrom, springTo, kHour);
    EXPECT_EQ(Labels(spring),
              (std::vector<std::string>{"00:00", "01:00", "03:00", "04:00", "05:00", "06:00"}));
    EXPECT_EQ(Gaps(spring), (std::vector<std::int64_t>{60, 60, 60, 60, 60}));
    EXPECT_EQ(Labels(TimeTicksEvery(springFrom, springTo, 2 * kHour)),
              (std::vector<std::string>{"00:00", "04:00", "06:00"}));
    EXPECT_EQ(
        Labels(TimeTicksEvery(springFrom + 110 * kMinute, springFrom + 130 * kMinute, 5 * kMinute)),
        (std::vector<std::string>{"01:50", "01:55", "03:00", "03:05", "03:10"}));

    // Autumn: 03:00 CEST becomes 02:00 CET on 2027-10-31. 00:00 CEST .. 05:00 CET.
    const std::int64_t autumnFrom = Utc(2027, 10, 30, 22, 0), autumnTo = Utc(2027, 10, 31, 4, 0);
    const TimeAxis autumn = TimeTicksEvery(autumnFrom, autumnTo, kHour);
    EXPECT_EQ(Labels(autumn), (std::vector<std::string>{"00:00", "01:00", "02:00", "02:00", "03:00",
                                                        "04:00", "05:00"}))
        << "the hour that comes twice is there twice, an hour apart";
    EXPECT_EQ(Gaps(autumn), (std::vector<std::int64_t>{60, 60, 60, 60, 60, 60}));
    const TimeAxis twoHours = TimeTicksEvery(autumnFrom, autumnTo, 2 * kHour);
    EXPECT_EQ(Labels(twoHours), (std::vector<std::string>{"00:00", "02:00", "04:00"}));
    EXPECT_EQ(Gaps(twoHours), (std::vector<std::int64_t>{120, 180}));
}

#endif

TEST_F(TimeTicksTest, TheStepIsTheShortestWhoseLabelsFitTheWidth) {
    SetZone("Europe/Berlin");  // or the system's zone: any has the same steps here
    const auto width = [](const std::string& text) { return 7 * static_cast<int>(text.size()); };
    const std::int64_t from = Utc(2027, 1, 12, 8, 48, 14);
    const struct {
        std::int64_t span;
        int pixels;
        std::int64_t step;
    } cases[] = {
        {kMinute, 600, 10 * kSecond},  // "09:48:20" is 56 px: 10 s are 100 px
        {kMinute, 300, 15 * kSecond},     {kMinute, 60, kMinute},
        {10 * kMinute, 600, kMinute},     {kHour, 600, 5 * kMinute},
        {24 * kHour, 600, 3 * kHour},  // the dated labels are wider than 2 hours' 50 px
        {24 * kHour, 5000, 30 * kMinute}, {3 * kSecond, 2000, kSecond},
    };
    for (const auto& c : cases) {
        const TimeAxis axis = ChooseTimeAxis(from, from + c.span, c.pixels, 8, width);
        EXPECT_EQ(axis.stepMs, c.step) << c.span << " ms on " << c.pixels << " px";
        EXPECT_FALSE(axis.ticks.empty());
    }
}

}  // namespace
