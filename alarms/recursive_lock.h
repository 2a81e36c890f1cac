#pragma once
// A lock the same thread may take again, for the alarm engine and its printer. The backends
// provide it: MinGW's win32 thread model has no std::mutex, so Windows uses a critical section.
#include <memory>

class RecursiveLock {
public:
    RecursiveLock();
    ~RecursiveLock();
    RecursiveLock(const RecursiveLock&) = delete;
    RecursiveLock& operator=(const RecursiveLock&) = delete;

    void lock();
    void unlock();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Holds the lock for its scope (std::lock_guard is missing from the win32 thread model too).
class LockHold {
public:
    explicit LockHold(RecursiveLock& lock) : lock_(lock) { lock_.lock(); }
    ~LockHold() { lock_.unlock(); }
    LockHold(const LockHold&) = delete;
    LockHold& operator=(const LockHold&) = delete;

private:
    RecursiveLock& lock_;
};
