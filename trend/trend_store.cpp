#include "trend/trend_store.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::int16_t kNoValue = TrendStore::kNoValue;
constexpr std::int16_t kHighest = std::numeric_limits<std::int16_t>::max();

// A missing value is out of the minimum's way as the greatest value.
std::int16_t ForMin(std::int16_t v) { return v == kNoValue ? kHighest : v; }

}  // namespace

TrendStore::TrendStore(std::size_t capacity, std::int64_t keepMs)
    : capacity_(std::max<std::size_t>(capacity, 1)), keepMs_(keepMs) {}

void TrendStore::DropOldest() {
    head_ = Physical(1);
    --size_;
}

void TrendStore::Add(const Reading& reading) {
    if (!reading.Ok() || reading.words.empty()) return;
    std::int64_t time = std::chrono::duration_cast<std::chrono::milliseconds>(
                            reading.time.time_since_epoch())
                            .count();
    // A clock set back must not unsort the times that the view searches.
    if (size_ > 0) time = std::max(time, TimeMs(size_ - 1));
    while (size_ > 0 && TimeMs(0) < time - keepMs_) DropOldest();
    if (size_ == capacity_) DropOldest();

    const std::size_t at = Physical(size_);
    const bool grow = at == times_.size();
    if (grow) {
        times_.push_back(time);
    } else {
        times_[at] = time;
    }
    for (std::size_t channel = 0; channel < values_.size(); ++channel) {
        std::int16_t value = kNoValue;
        if (channel < reading.words.size()) {
            value = TenthsOfWord(reading.words[channel]);
            ChannelStats& s = stats_[channel];
            if (s.count == 0 || value < s.minTenths) s.minTenths = value;
            if (s.count == 0 || value > s.maxTenths) s.maxTenths = value;
            s.lastTenths = value;
            s.sumTenths += value;
            ++s.count;
        }
        if (grow) {
            values_[channel].push_back(value);
        } else {
            values_[channel][at] = value;
        }
        AddToBlock(channel, at, grow, value);
    }
    ++size_;
    ++revision_;
}

void TrendStore::AddToBlock(std::size_t channel, std::size_t at, bool grow, std::int16_t value) {
    const std::size_t block = at / kBlock;
    const auto offset = static_cast<std::uint8_t>(at % kBlock);
    auto& low = blockMin_[channel];
    auto& high = blockMax_[channel];
    auto& lowAt = blockMinAt_[channel];
    auto& highAt = blockMaxAt_[channel];
    if (offset == 0) {  // the block starts again: what it held before is being overwritten
        if (grow) {
            low.push_back(ForMin(value));
            high.push_back(value);
            lowAt.push_back(0);
            highAt.push_back(0);
        } else {
            low[block] = ForMin(value);
            high[block] = value;
            lowAt[block] = highAt[block] = 0;
        }
        return;
    }
    if (ForMin(value) < low[block]) {
        low[block] = value;
        lowAt[block] = offset;
    }
    if (value > high[block]) {
        high[block] = value;
        highAt[block] = offset;
    }
}

TrendStore::Extremes TrendStore::RangeExtremes(int channel, std::size_t first,
                                               std::size_t last) const {
    Extremes e;
    last = std::min(last, size_);
    if (first >= last) return e;
    if (last - first <= kDirectScan) return FewExtremes(channel, first, last);
    const auto ch = static_cast<std::size_t>(channel);
    const std::int16_t* column = values_[ch].data();
    // The newest sample's block also counts slots not yet written again: its summary is not its
    // slots' own.
    const std::size_t newestBlock = Physical(size_ - 1) / kBlock;

    // The extremes so far in time order, each with the physical slot where it first occurs.
    std::int16_t low = kHighest, high = kNoValue;
    std::size_t lowAt = 0, highAt = 0;
    bool lowFound = false;
    auto scan = [&](std::size_t from, std::size_t to) {
        std::int16_t l = kHighest, h = kNoValue;
        for (std::size_t i = from; i < to; ++i) {
            l = std::min(l, ForMin(column[i]));
            h = std::max(h, column[i]);
        }
        if (l < low) {
            low = l;
            lowAt = from;
            while (column[lowAt] != l) ++lowAt;
            lowFound = true;
        }
        if (h > high) {
            high = h;
            highAt = from;
            while (column[highAt] != h) ++highAt;
        }
    };
    const std::int16_t* blockLow = blockMin_[ch].data();
    const std::int16_t* blockHigh = blockMax_[ch].data();
    const std::uint8_t* blockLowAt = blockMinAt_[ch].data();
    const std::uint8_t* blockHighAt = blockMaxAt_[ch].data();
    Run runs[2];
    const int n = Runs(channel, first, last, runs);
    for (int r = 0; r < n; ++r) {
        const auto begin = static_cast<std::size_t>(runs[r].values - column);
        const std::size_t end = begin + runs[r].count;
        // The slots before the first whole block, the whole blocks, the slots after them.
        std::size_t p = std::min((begin + kBlock - 1) / kBlock * kBlock, end);
        if (begin < p) scan(begin, p);
        for (std::size_t block = p / kBlock; p < end; ++block) {
            const std::size_t blockEnd = std::min(p + kBlock, capacity_);
            if (blockEnd > end) break;
            if (block == newestBlock) {
                scan(p, blockEnd);
            } else {
                if (blockLow[block] < low) {
                    low = blockLow[block];
                    lowAt = p + blockLowAt[block];
                    lowFound = true;
                }
                if (blockHigh[block] > high) {
                    high = blockHigh[block];
                    highAt = p + blockHighAt[block];
                }
            }
            p = blockEnd;
        }
        if (p < end) scan(p, end);
    }
    if (high == kNoValue) return e;

    auto logical = [&](std::size_t slot) {
        return slot >= head_ ? slot - head_ : slot + capacity_ - head_;
    };
    e.any = true;
    e.max = high;
    e.maxAt = logical(highAt);
    // Every value the greatest a word can carry: the minimum is the maximum.
    e.min = lowFound ? low : high;
    e.minAt = lowFound ? logical(lowAt) : e.maxAt;
    return e;
}

// A plot's column of a short span holds a sample or two: reading them costs less than working
// through the block summaries.
TrendStore::Extremes TrendStore::FewExtremes(int channel, std::size_t first,
                                             std::size_t last) const {
    Extremes e;
    for (std::size_t i = first; i < last; ++i) {
        const std::int16_t value = Tenths(channel, i);
        if (value == kNoValue) continue;
        if (!e.any) {
            e = {true, value, value, i, i};
            continue;
        }
        if (value < e.min) {
            e.min = value;
            e.minAt = i;
        }
        if (value > e.max) {
            e.max = value;
            e.maxAt = i;
        }
    }
    return e;
}

std::size_t TrendStore::LowerBound(std::int64_t timeMs) const {
    std::size_t low = 0, high = size_;
    while (low < high) {
        const std::size_t mid = low + (high - low) / 2;
        if (TimeMs(mid) < timeMs) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    return low;
}

int TrendStore::Runs(int channel, std::size_t first, std::size_t last, Run out[2]) const {
    last = std::min(last, size_);
    if (first >= last) return 0;
    const std::int16_t* column = values_[static_cast<std::size_t>(channel)].data();
    const std::size_t begin = Physical(first);
    const std::size_t count = last - first;
    if (begin + count <= capacity_) {
        out[0] = {column + begin, first, count};
        return 1;
    }
    const std::size_t head = capacity_ - begin;
    out[0] = {column + begin, first, head};
    out[1] = {column, first + head, count - head};
    return 2;
}
