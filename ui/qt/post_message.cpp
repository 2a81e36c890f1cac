#include "ui/post_message.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "ui/qt/window_link.h"

BOOL PostMessage(const HWND& window, UINT message, WPARAM wParam, LPARAM lParam) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || !IsWindow(window)) return FALSE;
    std::shared_ptr<WindowLink> link = window.link();
    // Queued on the application object, which lives on the user-interface thread; by then the
    // send runs the handler directly, or returns 0 when the window has gone.
    const bool queued = QMetaObject::invokeMethod(
        app, [link, message, wParam, lParam] { link->Send(message, wParam, lParam); },
        Qt::QueuedConnection);
    return queued ? TRUE : FALSE;
}
