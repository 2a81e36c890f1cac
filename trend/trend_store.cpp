#include "trend/trend_store.h"

#include <algorithm>

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
    }
    ++size_;
    ++revision_;
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
