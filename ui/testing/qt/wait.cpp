#include "ui/testing/wait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

namespace uitest {

bool WaitUntil(const std::function<bool()>& predicate, std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        // Events from other threads may not have arrived yet; yield rather than spin hot.
        QThread::yieldCurrentThread();
    }
    return true;
}

void FlushDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace uitest
