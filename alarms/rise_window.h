#pragma once
// The lowest reading within a sliding time window, for 温升速率: the readings that can still
// become the lowest (each lower than every later one), oldest first, in a ring that grows as
// needed and never gives memory back, so that a steady site allocates nothing per reading.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

class RiseWindow {
public:
    using Time = std::chrono::system_clock::time_point;

    // Adds a reading (in tenths of a degree) and forgets those older than `window` before it;
    // returns the lowest value left, the new one included.
    int Add(Time time, int tenths, std::chrono::system_clock::duration window) {
        // The newest and the oldest entry are kept beside the ring too: a reading that only
        // rises touches nothing else, which matters with thousands of channels a cycle.
        if (count_ == 0 || tenths > backTenths_) {
            Push(time, tenths);
        } else if (tenths == backTenths_) {
            // The newest entry again, only later: it takes the new time, nothing else moves.
            At(count_ - 1).time = time;
            if (count_ == 1) front_.time = time;
        } else {
            while (count_ > 0 && At(count_ - 1).tenths >= tenths) --count_;
            Push(time, tenths);
            if (count_ == 1) front_ = {time, tenths};
        }
        const Time oldest = time - window;
        if (front_.time < oldest) {
            do {
                head_ = (head_ + 1) & (ring_.size() - 1);
                --count_;
            } while (ring_[head_].time < oldest);
            front_ = ring_[head_];
        }
        return front_.tenths;
    }
    std::size_t Size() const { return count_; }

private:
    struct Sample {
        Time time;
        int tenths;
    };
    void Push(Time time, int tenths) {
        if (count_ == ring_.size()) Grow();
        At(count_) = {time, tenths};
        if (count_++ == 0) front_ = {time, tenths};
        backTenths_ = tenths;
    }
    // The ring's size is a power of two, so that an index wraps with a mask.
    Sample& At(std::size_t index) { return ring_[(head_ + index) & (ring_.size() - 1)]; }
    void Grow() {
        std::vector<Sample> bigger(ring_.empty() ? 8 : ring_.size() * 2);
        for (std::size_t i = 0; i < count_; ++i) bigger[i] = At(i);
        ring_.swap(bigger);
        head_ = 0;
    }

    std::vector<Sample> ring_;
    std::size_t head_ = 0;
    std::size_t count_ = 0;
    Sample front_{};
    int backTenths_ = 0;
};
