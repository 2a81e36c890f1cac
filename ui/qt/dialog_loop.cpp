#include "ui/qt/dialog_loop.h"

#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>

#include "ui/hook_registry.h"

namespace {

// Ends the loop when the dialog is hidden, however that happens (done, close, a retired window).
class HideWatcher : public QObject {
public:
    explicit HideWatcher(QEventLoop& loop) : loop_(loop) {}
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Hide) loop_.quit();
        return false;
    }

private:
    QEventLoop& loop_;
};

void SetModality(QDialog& dialog, QWidget* owner) {
    if (dialog.isVisible()) return;  // shown already, with the modality it was given
    dialog.setWindowModality(owner != nullptr ? Qt::WindowModal : Qt::NonModal);
}

}  // namespace

int RunDialogLoop(QDialog& dialog, QWidget* owner) {
    SetModality(dialog, owner);
    if (owner != nullptr) return dialog.exec();
    QPointer<QDialog> guard = &dialog;
    QEventLoop loop;
    HideWatcher watcher(loop);
    dialog.installEventFilter(&watcher);
    QObject::connect(&dialog, &QObject::destroyed, &loop, &QEventLoop::quit);
    dialog.show();
    if (dialog.isVisible()) loop.exec(QEventLoop::DialogExec);
    if (!guard) return QDialog::Rejected;
    dialog.removeEventFilter(&watcher);
    return dialog.result();
}

int RunQtDialog(QDialog& dialog, QWidget* owner) {
    ShownDialogHook hook = CurrentShownDialogHook();
    if (!hook) return RunDialogLoop(dialog, owner);
    SetModality(dialog, owner);
    dialog.show();
    const int result = hook(dialog);
    dialog.hide();
    return result;
}
