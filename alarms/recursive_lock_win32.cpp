#include <windows.h>

#include "alarms/recursive_lock.h"

struct RecursiveLock::Impl {
    CRITICAL_SECTION section;
};

RecursiveLock::RecursiveLock() : impl_(std::make_unique<Impl>()) {
    InitializeCriticalSection(&impl_->section);
}

RecursiveLock::~RecursiveLock() {
    DeleteCriticalSection(&impl_->section);
}

void RecursiveLock::lock() {
    EnterCriticalSection(&impl_->section);
}

void RecursiveLock::unlock() {
    LeaveCriticalSection(&impl_->section);
}
