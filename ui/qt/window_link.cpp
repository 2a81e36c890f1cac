#include "ui/qt/window_link.h"

#include <condition_variable>
#include <utility>

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

namespace {

// Completion of one cross-thread call. The event that carries the call signals it from its
// destructor, so a call that is discarded unrun (receiver destroyed, application ended) also
// releases the sender.
struct Completion {
    std::mutex mutex;
    std::condition_variable done_cv;
    bool done = false;
    bool ran = false;
    LRESULT result = 0;

    void Finish() {
        std::lock_guard lock(mutex);
        done = true;
        done_cv.notify_all();
    }
    void Wait() {
        std::unique_lock lock(mutex);
        done_cv.wait(lock, [this] { return done; });
    }
};

const QEvent::Type kSyncCallEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class SyncCallEvent : public QEvent {
public:
    // pending: the link's count of queued calls; the waiting sender keeps the link alive for as
    // long as this event exists.
    SyncCallEvent(std::function<LRESULT()> fn, std::shared_ptr<Completion> completion,
                  std::atomic<int>* pending)
        : QEvent(kSyncCallEvent), fn_(std::move(fn)), completion_(std::move(completion)),
          pending_(pending) {}
    ~SyncCallEvent() override {
        if (pending_ != nullptr) pending_->fetch_sub(1);
        completion_->Finish();
    }

    void Run() {
        pending_->fetch_sub(1);
        pending_ = nullptr;
        LRESULT r = fn_();
        std::lock_guard lock(completion_->mutex);
        completion_->result = r;
        completion_->ran = true;
    }

private:
    std::function<LRESULT()> fn_;
    std::shared_ptr<Completion> completion_;
    std::atomic<int>* pending_;
};

// Taken by a sender once its event is built and by the receiver before it reads an event.
std::mutex g_postedMutex;

// The posting side and the application's end agree on this lock: once the application has begun
// to end nothing more is posted, and Qt deletes (and so releases) what was posted before.
std::mutex g_appMutex;
bool g_appAlive = false;
std::shared_ptr<WindowLink> g_appLink;

void EndApplicationLink() {
    std::shared_ptr<WindowLink> link;
    {
        std::lock_guard lock(g_appMutex);
        g_appAlive = false;
        link = std::move(g_appLink);
    }
    if (link) link->Detach();
}

void StartApplicationLink() {
    auto* receiver = new SyncReceiver(QCoreApplication::instance());
    auto link = std::make_shared<WindowLink>(receiver, nullptr);
    {
        std::lock_guard lock(g_appMutex);
        g_appAlive = true;
        g_appLink = std::move(link);
    }
    qAddPostRoutine(EndApplicationLink);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(StartApplicationLink)

bool SyncReceiver::event(QEvent* event) {
    // Pairs with the sender's lock after building the event, so that what the sender wrote is
    // ordered before this thread reads it also for race detectors, which cannot see inside the
    // event queue's own locking.
    { std::lock_guard published(g_postedMutex); }
    if (event->type() == kSyncCallEvent) {
        static_cast<SyncCallEvent*>(event)->Run();
        return true;
    }
    return QObject::event(event);
}

WindowLink::WindowLink(SyncReceiver* receiver, Handler handler)
    : receiver_(receiver), handler_(std::move(handler)) {}

bool WindowLink::IsAlive() const {
    std::lock_guard lock(mutex_);
    return receiver_ != nullptr;
}

void WindowLink::Detach() {
    std::lock_guard lock(mutex_);
    receiver_ = nullptr;
}

LRESULT WindowLink::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    Handler handler;
    {
        std::lock_guard lock(mutex_);
        handler = handler_;
    }
    if (!handler) return 0;
    Run([&handler, message, wParam, lParam] { return handler(message, wParam, lParam); }, &result);
    return result;
}

bool WindowLink::Run(const std::function<LRESULT()>& fn, LRESULT* result) {
    *result = 0;
    auto completion = std::make_shared<Completion>();
    {
        std::unique_lock lock(mutex_);
        if (receiver_ == nullptr) return false;
        if (receiver_->thread() == QThread::currentThread()) {
            lock.unlock();
            *result = fn();
            return true;
        }
        std::lock_guard appLock(g_appMutex);
        if (!g_appAlive) return false;
        pending_.fetch_add(1);
        auto* event = new SyncCallEvent(fn, completion, &pending_);
        { std::lock_guard published(g_postedMutex); }
        QCoreApplication::postEvent(receiver_, event);
    }
    // Never wait while holding the lock: the receiver's thread takes it to detach.
    completion->Wait();
    std::lock_guard lock(completion->mutex);
    *result = completion->result;
    return completion->ran;
}

std::shared_ptr<WindowLink> ApplicationLink() {
    std::lock_guard lock(g_appMutex);
    return g_appLink;
}

BOOL IsWindow(const HWND& window) { return window && window.link()->IsAlive() ? TRUE : FALSE; }

LRESULT SendMessage(const HWND& window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!window) return 0;
    return window.link()->Send(message, wParam, lParam);
}
