// The trend's store: its bounds in samples and in time, what a reading leaves in it, the
// statistics, and the decimation that must keep every column's minimum and maximum.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "link/temp_word.h"
#include "trend/decimate.h"
#include "trend/trend_store.h"

namespace {

using Clock = std::chrono::system_clock;

Reading Good(long long ms, std::vector<int> tenths) {
    Reading r;
    r.time = Clock::time_point(std::chrono::milliseconds(ms));
    for (int t : tenths) r.words.push_back(TempWordFromTenths(t));
    return r;
}

TEST(TrendStoreTest, KeepsTheNewestSamplesWithinItsCapacityAndItsKeepTime) {
    TrendStore store(5, 10'000);
    for (int i = 0; i < 12; ++i) store.Add(Good(1000LL * i, {i, 4, 4, 4}));
    ASSERT_EQ(store.Size(), 5u) << "capacity";
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(store.TimeMs(i), 1000LL * (7 + static_cast<long long>(i)));
        EXPECT_EQ(store.Tenths(0, i), 7 + static_cast<int>(i));
    }
    // Runs across the ring's seam still cover the samples in order.
    TrendStore::Run runs[2];
    const int n = store.Runs(0, 0, 5, runs);
    std::vector<int> seen;
    for (int r = 0; r < n; ++r) seen.insert(seen.end(), runs[r].values, runs[r].values + runs[r].count);
    EXPECT_EQ(seen, (std::vector<int>{7, 8, 9, 10, 11}));

    store.Add(Good(25'000, {1, 2, 3, 4}));  // 14 s later than the last: the rest is too old
    EXPECT_EQ(store.Size(), 1u);
    store.Add(Good(20'000, {5, 2, 3, 4}));  // a clock set back
    EXPECT_EQ(store.TimeMs(1), 25'000) << "times never decrease";
    EXPECT_EQ(store.LowerBound(25'000), 0u);
    EXPECT_EQ(store.LowerBound(25'001), 2u);
}

TEST(TrendStoreTest, FailedReadingsLeaveNoSampleAndAbsentProbesNoValue) {
    TrendStore store;
    store.Add(FailedReading(BlockFault::BadChecksum, Clock::now()));
    EXPECT_EQ(store.Size(), 0u);
    EXPECT_FALSE(store.HadValue(0));

    store.Add(Good(1000, {10, 20, 30, 40, 215, -5}));  // two probes
    store.Add(Good(2000, {10, 20, 30, 40, 235}));      // one
    Reading negativeZero = Good(3000, {10, 20, 30, 40});
    negativeZero.words.push_back(0x8000);
    store.Add(negativeZero);
    EXPECT_EQ(store.Tenths(5, 1), TrendStore::kNoValue);
    EXPECT_EQ(store.Tenths(4, 2), 0) << "-0.0 is a temperature of zero";
    EXPECT_FALSE(store.HadValue(6));
    EXPECT_EQ(store.Capacity(), TrendStore::kDefaultCapacity);
    EXPECT_GE(store.Capacity(), 24u * 3600 * 1000 / 600) << "a day at the shortest period";

    const ChannelStats& probe1 = store.Stats(4);
    EXPECT_EQ(probe1.count, 3);
    EXPECT_EQ(probe1.minTenths, 0);
    EXPECT_EQ(probe1.maxTenths, 235);
    EXPECT_EQ(probe1.lastTenths, 0);
    EXPECT_DOUBLE_EQ(probe1.Mean(), 15.0);
    EXPECT_EQ(store.Stats(5).count, 1);
}

TEST(DecimationTest, EveryColumnKeepsItsMinimumAndMaximumInTimeOrder) {
    TrendStore store(20'000);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> value(-300, 900), gap(1, 1500);
    long long t = 0;
    for (int i = 0; i < 20'000; ++i) {
        t += gap(random);
        std::vector<int> tenths = {value(random), 0, 0, 0};
        if (i % 7 != 0) tenths.push_back(value(random));  // probe 1 missing now and then
        store.Add(Good(t, tenths));
    }
    store.Add(Good(t + 1000, {0, 0, 0, 0, 5}));  // wraps the ring: its oldest sample goes
    const long long from = store.TimeMs(100), to = store.TimeMs(store.Size() - 1) + 1;
    // Narrow columns read the samples (a few each across the ring's seam, read without the
    // store's help); wide ones start at the store's blocks.
    for (const int columns : {317, 37, 5'000, 19'000}) {
        SCOPED_TRACE(columns);
        const std::vector<std::size_t> starts = ColumnStarts(store, from, to, columns);
        ASSERT_EQ(starts.size(), static_cast<std::size_t>(columns) + 1);
        EXPECT_EQ(starts.front(), 100u);
        EXPECT_EQ(starts.back(), store.Size());
        if (columns >= 5'000) {  // narrow: each start is the first sample of its column's time
            for (int c = 0; c < columns; ++c) {
                const long long at = from + static_cast<long long>(
                                                static_cast<long double>(to - from) * c / columns);
                ASSERT_EQ(starts[static_cast<std::size_t>(c)], store.LowerBound(at)) << c;
            }
        }

        for (int channel : {0, 4}) {
            std::vector<TrendPoint> points;
            DecimateMinMax(store, channel, starts, points);
            EXPECT_LE(points.size(), 2u * columns);
            std::size_t next = 0;
            for (int c = 0; c < columns; ++c) {
                int low = INT16_MAX, high = INT16_MIN;
                for (std::size_t i = starts[c]; i < starts[c + 1]; ++i) {
                    const int v = store.Tenths(channel, i);
                    if (v == TrendStore::kNoValue) continue;
                    low = std::min(low, v);
                    high = std::max(high, v);
                }
                if (high == INT16_MIN) continue;
                std::vector<int> got;
                for (; next < points.size() && points[next].index < starts[c + 1]; ++next) {
                    EXPECT_EQ(points[next].tenths, store.Tenths(channel, points[next].index));
                    if (next > 0) {
                        EXPECT_LT(points[next - 1].index, points[next].index);
                    }
                    got.push_back(points[next].tenths);
                }
                ASSERT_FALSE(got.empty()) << "column " << c;
                EXPECT_EQ(*std::min_element(got.begin(), got.end()), low) << "column " << c;
                EXPECT_EQ(*std::max_element(got.begin(), got.end()), high) << "column " << c;
            }
            EXPECT_EQ(next, points.size());
        }
        if (columns == 37) {
            for (int c = 1; c < columns; ++c) EXPECT_EQ(store.BlockStart(starts[c]), starts[c]);
        }
    }
}

// The start of acquisition: a short span's newest columns hold a sample or two, the rest none.
// The points are those the store's own range scan gives, column by column, none lost at the
// edge between the empty columns and the filled ones, also with values missing and the ring
// wrapped.
TEST(DecimationTest, ASpanFilledOnlyAtItsEndKeepsEveryFilledColumn) {
    TrendStore store(64);
    for (int i = 0; i < 90; ++i) {
        std::vector<int> tenths = {(i * 37) % 23 - 11, 0, 0, 0};
        if (i % 5 != 0) tenths.push_back((i * 11) % 7);
        store.Add(Good(600LL * i, tenths));
    }
    const long long newest = store.TimeMs(store.Size() - 1);
    for (const long long spanMs : {600'000LL, 60'000LL, 38'400LL}) {
        SCOPED_TRACE(spanMs);
        const std::vector<std::size_t> starts =
            ColumnStarts(store, newest - spanMs, newest + 1, 450);
        for (int channel : {0, 4}) {
            std::vector<TrendPoint> points, expected;
            DecimateMinMax(store, channel, starts, points);
            for (std::size_t c = 0; c + 1 < starts.size(); ++c) {
                const TrendStore::Extremes e = store.RangeExtremes(channel, starts[c], starts[c + 1]);
                if (!e.any) continue;
                if (e.minAt == e.maxAt) {
                    expected.push_back({e.minAt, e.min});
                } else if (e.minAt < e.maxAt) {
                    expected.push_back({e.minAt, e.min});
                    expected.push_back({e.maxAt, e.max});
                } else {
                    expected.push_back({e.maxAt, e.max});
                    expected.push_back({e.minAt, e.min});
                }
            }
            ASSERT_FALSE(expected.empty());
            ASSERT_EQ(points.size(), expected.size()) << "channel " << channel;
            for (std::size_t i = 0; i < points.size(); ++i) {
                EXPECT_EQ(points[i].index, expected[i].index) << "point " << i;
                EXPECT_EQ(points[i].tenths, expected[i].tenths) << "point " << i;
            }
        }
    }
}

// The block summaries must give what a scan of the samples gives, wherever a range starts and
// ends: across the ring's seam, in the block being written, after samples left by their age,
// with missing values and with the greatest value a word can carry.
TEST(DecimationTest, RangeExtremesAgreeWithAScanOfTheSamples) {
    TrendStore store(1000, 400'000);  // not a whole number of blocks
    std::mt19937 random(11);
    std::uniform_int_distribution<int> value(-50, 50), pick(0, 999);
    long long t = 0;
    for (int i = 0; i < 5000; ++i) {
        t += i % 1500 == 0 ? 300'000 : 100;  // now and then a pause that ages samples out
        std::vector<int> tenths = {i % 9 == 0 ? 32767 : value(random), 0, 0, 0};
        if (pick(random) % 5 != 0) tenths.push_back(value(random));
        store.Add(Good(t, tenths));
        if (i % 37 != 0) continue;
        for (int k = 0; k < 20; ++k) {
            std::size_t first = static_cast<std::size_t>(pick(random)) % (store.Size() + 1);
            std::size_t last = static_cast<std::size_t>(pick(random)) % (store.Size() + 1);
            if (first > last) std::swap(first, last);
            // Half of them as short as a plot's column of a short span.
            if (k % 2 == 0) last = std::min(store.Size(), first + static_cast<std::size_t>(k % 11));
            for (int channel : {0, 4}) {
                TrendStore::Extremes want;
                for (std::size_t j = first; j < last; ++j) {
                    const std::int16_t v = store.Tenths(channel, j);
                    if (v == TrendStore::kNoValue) continue;
                    if (!want.any || v < want.min) want.min = v, want.minAt = j;
                    if (!want.any || v > want.max) want.max = v, want.maxAt = j;
                    want.any = true;
                }
                const TrendStore::Extremes got = store.RangeExtremes(channel, first, last);
                ASSERT_EQ(got.any, want.any) << i << ": [" << first << ", " << last << ")";
                if (!want.any) continue;
                ASSERT_EQ((std::vector<long long>{got.min, got.max, static_cast<long long>(got.minAt),
                                                  static_cast<long long>(got.maxAt)}),
                          (std::vector<long long>{want.min, want.max,
                                                  static_cast<long long>(want.minAt),
                                                  static_cast<long long>(want.maxAt)}))
                    << i << ": channel " << channel << " [" << first << ", " << last << ")";
            }
        }
    }
    TrendStore top(100);
    for (int i = 0; i < 70; ++i) top.Add(Good(i, {32767, 0, 0, 0}));
    const TrendStore::Extremes e = top.RangeExtremes(0, 5, 69);
    EXPECT_EQ((std::vector<int>{e.min, e.max, static_cast<int>(e.minAt), static_cast<int>(e.maxAt)}),
              (std::vector<int>{32767, 32767, 5, 5}));
}

}  // namespace
