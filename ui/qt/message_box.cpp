#include "ui/qt/message_box.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "ui/app.h"
#include "ui/qt/dialog_loop.h"
#include "ui/hook_registry.h"
#include "ui/qt/window_link.h"
#include "ui/wnd.h"

namespace {

bool HasWarningIcon(UINT type) { return (type & 0x00F0) == MB_ICONWARNING; }

}  // namespace

std::string ApplicationCaption() {
    if (CWinApp* app = AfxGetApp()) return app->AppName();
    return QCoreApplication::applicationName().toStdString();
}

int ShowMessageBox(QWidget* owner, const std::string& text, const std::string& caption,
                   UINT type) {
    if (MessageBoxHook hook = CurrentMessageBoxHook()) {
        MessageBoxRecord record{text, caption, HasWarningIcon(type), owner != nullptr};
        return hook(record);
    }
    const QString qtext = QString::fromStdString(text);
    QMessageBox box(HasWarningIcon(type) ? QMessageBox::Warning : QMessageBox::NoIcon,
                    QString::fromStdString(caption), qtext, QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.setAccessibleName(QString::fromStdString(caption));
    box.setAccessibleDescription(qtext);
    if (QAbstractButton* ok = box.button(QMessageBox::Ok)) ok->setText(QStringLiteral("确定"));
    if (owner == nullptr) {
        // A box without owner leaves every window usable, but goes with the program's window.
        CWnd* main = AfxGetApp() != nullptr ? AfxGetApp()->m_pMainWnd : nullptr;
        if (auto* window = main != nullptr ? qobject_cast<QDialog*>(main->GetWidget()) : nullptr) {
            QObject::connect(window, &QDialog::finished, &box, &QDialog::reject);
        }
    }
    RunQtDialog(box, owner);
    return IDOK;
}

int CWnd::MessageBox(const std::string& text, const char* caption, UINT type) {
    QWidget* owner = widget_ != nullptr ? widget_->window() : nullptr;
    return ShowMessageBox(owner, text, caption != nullptr ? caption : ApplicationCaption(), type);
}

int AfxMessageBox(const std::string& text, UINT type) {
    // Owned by the active window, as the framework does; none when no window is active.
    QWidget* owner = QApplication::activeModalWidget();
    if (owner == nullptr) owner = QApplication::activeWindow();
    if (owner == nullptr && AfxGetApp() != nullptr && AfxGetApp()->m_pMainWnd != nullptr) {
        owner = AfxGetApp()->m_pMainWnd->GetWidget();
    }
    return ShowMessageBox(owner, text, ApplicationCaption(), type);
}

int MessageBoxNoOwner(const std::string& text, const char* caption, UINT type) {
    const std::string title = caption != nullptr ? caption : "错误";
    std::shared_ptr<WindowLink> link = ApplicationLink();
    if (!link) return 0;
    LRESULT result = 0;
    link->Run([&] { return static_cast<LRESULT>(ShowMessageBox(nullptr, text, title, type)); },
              &result);
    return static_cast<int>(result);
}
