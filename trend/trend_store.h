#pragma once
// The last 24 hours of readings for the trend, held in memory whether or not the trend window is
// open: one time column and one value column per channel (tenths of a degree; kNoValue where the
// reading did not carry the channel), in a ring of fixed capacity, plus each channel's running
// statistics over the whole run. Each channel also keeps the minimum and maximum of every block of
// kBlock samples, so that a day's trend is reduced to the plot's width without reading every
// value. No GUI toolkit here. User-interface thread only.
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "record/reading.h"

struct ChannelStats {
    long long count = 0;  // values seen
    long long sumTenths = 0;
    std::int16_t minTenths = 0, maxTenths = 0, lastTenths = 0;  // valid when count > 0

    double Mean() const { return count > 0 ? static_cast<double>(sumTenths) / count / 10.0 : 0.0; }
};

class TrendStore {
public:
    // No TempWord gives it: the magnitude stops at 32767.
    static constexpr std::int16_t kNoValue = std::numeric_limits<std::int16_t>::min();
    static constexpr std::int64_t kKeepMs = 24LL * 60 * 60 * 1000;
    // 24 hours at the shortest period, 600 ms, and room for single readings in between.
    static constexpr std::size_t kDefaultCapacity = 24 * 60 * 60 * 1000 / 600 + 16000;

    explicit TrendStore(std::size_t capacity = kDefaultCapacity, std::int64_t keepMs = kKeepMs);

    // A good reading becomes one sample; a failed one has no values and leaves none. Samples
    // older than the keep time before the newest, and the oldest beyond the capacity, go.
    void Add(const Reading& reading);

    std::size_t Size() const { return size_; }
    std::size_t Capacity() const { return capacity_; }
    // Sample i, oldest first: milliseconds since the epoch (never decreasing), and a value.
    std::int64_t TimeMs(std::size_t i) const { return times_[Physical(i)]; }
    std::int16_t Tenths(int channel, std::size_t i) const {
        return values_[static_cast<std::size_t>(channel)][Physical(i)];
    }
    // The first sample at or after timeMs (Size() when none).
    std::size_t LowerBound(std::int64_t timeMs) const;

    // Samples [first, last) of a channel as at most two runs that lie together in memory, for
    // scans that must be fast. Returns the number of runs.
    struct Run {
        const std::int16_t* values = nullptr;
        std::size_t first = 0;  // the logical index of values[0]
        std::size_t count = 0;
    };
    int Runs(int channel, std::size_t first, std::size_t last, Run out[2]) const;

    // The least and the greatest value of samples [first, last) of a channel, each with the
    // index of its first occurrence; any is false when none of them has a value.
    struct Extremes {
        bool any = false;
        std::int16_t min = 0, max = 0;
        std::size_t minAt = 0, maxAt = 0;
    };
    Extremes RangeExtremes(int channel, std::size_t first, std::size_t last) const;

    static constexpr std::size_t kBlock = 32;

    // The index of the first sample of the block that holds sample i (0 for the oldest block).
    std::size_t BlockStart(std::size_t i) const {
        const std::size_t offset = Physical(i) % kBlock;
        return i >= offset ? i - offset : 0;
    }

    const ChannelStats& Stats(int channel) const {
        return stats_[static_cast<std::size_t>(channel)];
    }
    bool HadValue(int channel) const { return Stats(channel).count > 0; }
    // Raised by every Add that kept a sample.
    unsigned long long Revision() const { return revision_; }

private:
    std::size_t Physical(std::size_t i) const {
        const std::size_t p = head_ + i;
        return p < capacity_ ? p : p - capacity_;
    }
    static constexpr std::size_t kDirectScan = 8;
    Extremes FewExtremes(int channel, std::size_t first, std::size_t last) const;
    void DropOldest();
    void AddToBlock(std::size_t channel, std::size_t at, bool grow, std::int16_t value);

    std::size_t capacity_;
    std::int64_t keepMs_;
    // Grow up to the capacity, so that memory is taken as samples come.
    std::vector<std::int64_t> times_;
    std::array<std::vector<std::int16_t>, kReadingChannels> values_;
    // Per physical block: the minimum (a missing value counted as the greatest) and the maximum
    // (a missing value is the least) of what was written into it since its first slot was last
    // written. So every block but the newest sample's holds exactly its slots' extremes.
    std::array<std::vector<std::int16_t>, kReadingChannels> blockMin_, blockMax_;
    // Where in its block each first occurs, so that a whole block is never read again.
    std::array<std::vector<std::uint8_t>, kReadingChannels> blockMinAt_, blockMaxAt_;
    std::size_t head_ = 0;  // physical index of the oldest sample
    std::size_t size_ = 0;
    std::array<ChannelStats, kReadingChannels> stats_{};
    unsigned long long revision_ = 0;
};

// Tenths of a degree of a temperature word: sign bit and 15-bit magnitude.
inline std::int16_t TenthsOfWord(std::uint16_t word) {
    const auto magnitude = static_cast<std::int16_t>(word & 0x7FFF);
    return (word & 0x8000) != 0 ? static_cast<std::int16_t>(-magnitude) : magnitude;
}
