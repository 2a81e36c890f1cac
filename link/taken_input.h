#pragma once
// Bytes a serial backend has already taken from the device while it waited for a reply; Read
// hands them out before anything still in the device's queue.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>

// Moves up to `count` bytes from the front of `taken` to `bytes`; returns how many.
inline int TakeFromInput(std::deque<std::uint8_t>& taken, std::uint8_t* bytes, int count) {
    const int moved =
        static_cast<int>(std::min<std::size_t>(taken.size(), static_cast<std::size_t>(count)));
    std::copy_n(taken.begin(), moved, bytes);
    taken.erase(taken.begin(), taken.begin() + moved);
    return moved;
}
