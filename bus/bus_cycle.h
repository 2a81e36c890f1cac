#pragma once
// What one cycle over a bus came to: the line per cycle that `k7r2 site watch` prints and the
// window's status use it.
#include <chrono>
#include <vector>

struct BusCycleReport {
    int bus = 1;               // 1-based, file order
    long long cycle = 0;       // 1 for the first
    int modules = 0;
    std::vector<int> failed;   // addresses that brought no good block, ascending
    bool portOpen = true;      // false: the bus's port could not be opened this cycle
    std::chrono::steady_clock::duration duration{};  // from the first request to the last reply
};

class BusCycleObserver {
public:
    virtual ~BusCycleObserver() = default;
    // Called on the bus's thread after each cycle.
    virtual void OnBusCycle(const BusCycleReport& report) = 0;
};
