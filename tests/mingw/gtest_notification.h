#pragma once
// Force-included into GoogleTest and its users in the MinGW build. GoogleTest's Windows port
// keeps its own Win32 mutexes but builds Notification on std::mutex, which MinGW's win32 thread
// model lacks; this one takes its place. Only GoogleTest's own thread tests use it.
#include <atomic>

namespace testing {
namespace internal {

class Notification {
public:
    void Notify() { notified_.store(true, std::memory_order_release); }
    void WaitForNotification() {
        while (!notified_.load(std::memory_order_acquire)) {
        }
    }

private:
    std::atomic<bool> notified_{false};
};

}  // namespace internal
}  // namespace testing

#define GTEST_HAS_NOTIFICATION_ 1
