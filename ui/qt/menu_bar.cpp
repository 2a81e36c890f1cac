#include "ui/menu_bar.h"

#include <algorithm>
#include <map>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include "ui/dialog.h"
#include "ui/qt/widget_text.h"

struct CMenuBar::Shown {
    QPointer<QMenuBar> bar;
    QPointer<QLabel> status;
    std::map<UINT, QPointer<QAction>> actions;
};

CMenuBar::CMenuBar() = default;
CMenuBar::~CMenuBar() = default;

CMenu& CMenuBar::AppendPopup(const std::string& text) {
    popups_.emplace_back(text, CMenu());
    return popups_.back().second;
}

BOOL CMenuBar::SetMenu(CDialog& dialog) {
    QWidget* window = dialog.GetWidget();
    if (window == nullptr || (shown_ && shown_->bar)) return FALSE;
    shown_ = std::make_unique<Shown>();

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

    auto* status = new QLabel(bar);
    status->setTextFormat(Qt::PlainText);
    status->setContentsMargins(8, 0, 8, 0);
    bar->setCornerWidget(status, Qt::TopRightCorner);
    shown_->status = status;
    SetStatusText(statusId_, status_);

    // The bar takes the top of the window; the template's client area moves below it unchanged.
    const int height = bar->sizeHint().height();
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child != bar && !child->isWindow()) child->move(child->x(), child->y() + height);
    }
    const QSize client = window->size();
    bar->setGeometry(0, 0, client.width(), height);
    window->setFixedSize(client.width(), client.height() + height);
    bar->show();
    return TRUE;
}

int CMenuBar::EnableMenuItem(UINT id, UINT enable) {
    bool known = false;
    for (const auto& popup : popups_) {
        for (const CMenu::Item& item : popup.second.Items()) known = known || item.id == id;
    }
    if (!known) return -1;
    const int previous = IsMenuItemEnabled(id) ? static_cast<int>(MF_ENABLED)
                                               : static_cast<int>(MF_GRAYED);
    std::erase(grayed_, id);
    if ((enable & MF_GRAYED) != 0) grayed_.push_back(id);
    if (shown_) {
        auto it = shown_->actions.find(id);
        if (it != shown_->actions.end() && it->second) {
            it->second->setEnabled((enable & MF_GRAYED) == 0);
        }
    }
    return previous;
}

bool CMenuBar::IsMenuItemEnabled(UINT id) const {
    return std::find(grayed_.begin(), grayed_.end(), id) == grayed_.end();
}

void CMenuBar::SetStatusText(int id, const std::string& text) {
    statusId_ = id;
    status_ = text;
    if (!shown_ || !shown_->status) return;
    QLabel* label = shown_->status;
    label->setObjectName(QStringLiteral("ctl_%1").arg(id));
    label->setText(QString::fromStdString(text));
    label->setAccessibleName(QString::fromStdString(text));
    label->setVisible(!text.empty());
    if (QMenuBar* bar = shown_->bar) bar->update();
}
