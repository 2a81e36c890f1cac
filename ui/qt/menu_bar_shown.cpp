// The menu bar as Qt draws it: a QMenuBar on the dialog's window, and the status text laid over
// its right end.
#include "ui/menu_bar.h"

#include <map>

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include "ui/qt/accessible_names.h"
#include "ui/dialog.h"
#include "ui/qt/widget_text.h"

struct CMenuBar::Shown {
    QPointer<QMenuBar> bar;
    // The status text is the window's own child laid over the bar's right end, so that it is in
    // the window's accessible tree (a menu bar's tree lists only its menus); an empty corner
    // widget of the same width keeps the menus clear of it.
    QPointer<QLabel> status;
    QPointer<QWidget> corner;
    std::map<UINT, QPointer<QAction>> actions;
};

CMenuBar::CMenuBar() = default;
CMenuBar::~CMenuBar() = default;

bool CMenuBar::BarShown() const { return shown_ && shown_->bar; }

void CMenuBar::ShowBar(CDialog& dialog) {
    QWidget* window = dialog.GetWidget();
    shown_ = std::make_unique<Shown>();

    // Before the bar exists: otherwise its construction asks the session bus whether a global
    // menu service runs (a synchronous round trip at start-up), only for the answer to be
    // ignored below.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    auto* bar = new QMenuBar(window);
    bar->setObjectName(QStringLiteral("ctl_menubar"));
    bar->setAccessibleName(QStringLiteral("菜单栏"));
    bar->setNativeMenuBar(false);  // it belongs to this window, whatever the desktop
    shown_->bar = bar;
    for (std::size_t i = 0; i < popups_.size(); ++i) {
        const auto& [title, items] = popups_[i];
        const QString caption = QString::fromStdString(title);
        QMenu* menu = bar->addMenu(caption);
        menu->setObjectName(QStringLiteral("ctl_menu_%1").arg(i));
        menu->setAccessibleName(StripMnemonics(caption));
        for (const CMenu::Item& item : items.Items()) {
            if ((item.flags & MF_SEPARATOR) != 0) {
                menu->addSeparator();
                continue;
            }
            const QString text = QString::fromStdString(item.text);
            QAction* action = menu->addAction(text);
            action->setObjectName(QStringLiteral("ctl_%1").arg(item.id));
            action->setData(item.id);
            action->setEnabled(IsMenuItemEnabled(item.id));
            const UINT id = item.id;
            QObject::connect(action, &QAction::triggered, window, [&dialog, id] {
                dialog.Dispatch(WM_COMMAND, id, 0);
            });
            shown_->actions[id] = action;
        }
    }

    auto* corner = new QWidget(bar);
    corner->setFixedWidth(0);
    bar->setCornerWidget(corner, Qt::TopRightCorner);
    shown_->corner = corner;

    // The bar takes the top of the window; the template's client area moves below it unchanged.
    const int height = bar->sizeHint().height();
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child != bar && !child->isWindow()) child->move(child->x(), child->y() + height);
    }
    const QSize client = window->size();
    bar->setGeometry(0, 0, client.width(), height);
    window->setFixedSize(client.width(), client.height() + height);
    bar->show();

    auto* status = new QLabel(window);
    status->setTextFormat(Qt::PlainText);
    status->setContentsMargins(8, 0, 8, 0);
    status->setAlignment(Qt::AlignVCenter | Qt::AlignRight);
    NameAfterOwnText(status, true);
    shown_->status = status;
    ShowStatus();
}

void CMenuBar::ShowItemEnabled(UINT id, bool enabled) {
    if (!shown_) return;
    auto it = shown_->actions.find(id);
    if (it != shown_->actions.end() && it->second) it->second->setEnabled(enabled);
}

void CMenuBar::ShowStatus() {
    if (!shown_ || !shown_->status) return;
    QLabel* label = shown_->status;
    label->setObjectName(QStringLiteral("ctl_%1").arg(statusId_));
    // Renames it for assistive technology too, which hears of the change.
    SetWidgetTextIfChanged(label, QString::fromStdString(status_));
    const int width = status_.empty() ? 0 : label->sizeHint().width();
    if (QMenuBar* bar = shown_->bar) {
        if (shown_->corner) shown_->corner->setFixedWidth(width);
        label->setGeometry(bar->x() + bar->width() - width, bar->y(), width, bar->height());
        bar->update();
    }
    label->setVisible(!status_.empty());
    label->raise();
}
