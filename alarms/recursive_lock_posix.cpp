#include <mutex>

#include "alarms/recursive_lock.h"

struct RecursiveLock::Impl {
    std::recursive_mutex mutex;
};

RecursiveLock::RecursiveLock() : impl_(std::make_unique<Impl>()) {}
RecursiveLock::~RecursiveLock() = default;

void RecursiveLock::lock() {
    impl_->mutex.lock();
}

void RecursiveLock::unlock() {
    impl_->mutex.unlock();
}
