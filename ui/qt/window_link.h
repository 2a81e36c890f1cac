#pragma once
// The shared object behind an HWND: the receiver that runs messages on the user-interface thread,
// for as long as the window lives. Private to the layer.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include <QObject>

#include "ui/types.h"
#include "ui/window_handle.h"

// Runs each delivered call on its own (the user-interface) thread.
class SyncReceiver : public QObject {
public:
    using QObject::QObject;
    bool event(QEvent* event) override;
};

class WindowLink {
public:
    using Handler = std::function<LRESULT(UINT, WPARAM, LPARAM)>;
    // receiver: lives on the user-interface thread; handler runs there.
    WindowLink(SyncReceiver* receiver, Handler handler);

    // From the receiver's thread: calls the handler directly. From any other thread: queues the
    // call and waits until it has run, or until it is discarded (window gone), giving 0 then.
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam);
    // Runs fn on the receiver's thread and waits likewise; false when it never ran.
    bool Run(const std::function<LRESULT()>& fn, LRESULT* result);
    // User-interface thread, before the receiver goes away: later sends return 0 at once.
    void Detach();
    bool IsAlive() const;
    // Calls queued and not yet run or discarded (for tests of the discard path).
    int PendingCount() const { return pending_.load(); }

private:
    mutable std::mutex mutex_;
    SyncReceiver* receiver_;
    Handler handler_;
    std::atomic<int> pending_{0};
};

// The application-level link that serves MessageBoxNoOwner; null before the QApplication exists
// and after it has begun to end.
std::shared_ptr<WindowLink> ApplicationLink();
