#include "ui/qt/dialog_widget.h"

#include <algorithm>

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QWindow>

#include "ui/accessible_naming.h"
#include "ui/qt/accessible_names.h"
#include "ui/qt/control_widgets.h"
#include "ui/qt/custom_control_widget.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/qt/dialog_font.h"
#include "ui/qt/dialog_units.h"
#include "ui/label_beside.h"
#include "ui/resource_registry.h"
#include "ui/qt/widget_text.h"
#include "ui/qt/window_link.h"

namespace {

const char* const kIdProperty = "k7r2_control_id";

QString ObjectNameFor(const ControlTemplate& ctl, int index) {
    return ctl.id == kNoId ? QStringLiteral("ctl_static_%1").arg(index)
                           : QStringLiteral("ctl_%1").arg(ctl.id);
}

std::unique_ptr<CWnd> NewItemFor(ControlKind kind) {
    switch (kind) {
        case ControlKind::Edit:
            return std::make_unique<CEdit>();
        case ControlKind::PushButton:
        case ControlKind::DefPushButton:
        case ControlKind::RadioButton:
        case ControlKind::GroupBox:
            return std::make_unique<CButton>();
        case ControlKind::Static:
        case ControlKind::Icon:
            return std::make_unique<CStatic>();
        case ControlKind::ComboDropList:
        case ControlKind::ComboDropDown:
            return std::make_unique<CComboBox>();
        case ControlKind::ListView:
            return std::make_unique<CListCtrl>();
        case ControlKind::ListBox:
            return std::make_unique<CListBox>();
        case ControlKind::Spin:
            return std::make_unique<CSpinButtonCtrl>();
        case ControlKind::Custom:
            return std::make_unique<CWnd>();
    }
    return std::make_unique<CWnd>();
}

}  // namespace

DialogWidget::DialogWidget(CDialog* owner, QWidget* parent)
    : QDialog(parent), owner_(owner), tpl_(owner->Template()),
      receiver_(new SyncReceiver(this)) {
    link_ = std::make_shared<WindowLink>(receiver_, [this](UINT message, WPARAM w, LPARAM l) {
        return owner_ != nullptr ? owner_->Dispatch(message, w, l) : LRESULT{0};
    });
    Build();
}

DialogWidget::~DialogWidget() {
    // Deleted from outside (its Qt parent went first): the dialog still hears WM_DESTROY while
    // the controls exist, and lets go of this widget.
    if (!retired_ && owner_ != nullptr) {
        SendDestroyOnce();
        CDialog* owner = owner_;
        Retire();
        owner->ForgetWidget();
    }
    link_->Detach();
}

void DialogWidget::Retire() {
    retired_ = true;
    link_->Detach();
    owner_ = nullptr;
    hide();
}

void DialogWidget::SendDestroyOnce() {
    if (destroySent_ || owner_ == nullptr) return;
    destroySent_ = true;
    owner_->Dispatch(WM_DESTROY, 0, 0);
}

// ---------------------------------------------------------------------------------------------
// Building

void DialogWidget::Build() {
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (tpl_.minimizeBox) flags |= Qt::WindowMinimizeButtonHint;
    setWindowFlags(flags);
    setWindowTitle(QString::fromStdString(tpl_.caption));
    setObjectName(QStringLiteral("dlg_%1").arg(tpl_.id));
    setFont(DialogFont(tpl_.fontName, tpl_.fontPoints));
    setSizeGripEnabled(false);

    const DialogUnits units = DialogUnits::ForScreen(screen());
    setFixedSize(units.Size(tpl_.cx, tpl_.cy));

    for (std::size_t i = 0; i < tpl_.controls.size(); ++i) {
        const ControlTemplate& ctl = tpl_.controls[i];
        QWidget* w = CreateControl(ctl, static_cast<int>(i));
        w->setObjectName(ObjectNameFor(ctl, static_cast<int>(i)));
        w->setProperty(kIdProperty, ctl.id);
        if (ctl.kind == ControlKind::Icon) {
            // An icon control takes the icon's size, whatever the template says.
            const QRect r = units.Rect(ctl.x, ctl.y, 0, 0);
            w->setGeometry(r.x(), r.y(), 32 * logicalDpiX() / 96, 32 * logicalDpiY() / 96);
        } else if (ctl.kind == ControlKind::ComboDropList ||
                   ctl.kind == ControlKind::ComboDropDown) {
            // A combo box's template height includes its dropped list; closed, it is one field.
            w->setGeometry(units.Rect(ctl.x, ctl.y, ctl.cx, std::min(ctl.cy, kComboFieldHeight)));
        } else if (ctl.kind == ControlKind::Static) {
            // A one-line label as tall as the substitute face's line, so descenders such as an
            // underscore are not cut off by a rectangle drawn for a shorter face.
            QRect r = units.Rect(ctl.x, ctl.y, ctl.cx, ctl.cy);
            r.setHeight(std::max(r.height(), w->fontMetrics().height()));
            w->setGeometry(r);
        } else {
            w->setGeometry(units.Rect(ctl.x, ctl.y, ctl.cx, ctl.cy));
        }
        if ((ctl.style & kStyleDisabled) != 0) w->setEnabled(false);
        controls_.push_back(w);
        indexOf_[w] = i;
        if (ctl.id != kNoId) byId_.emplace(ctl.id, w);
    }

    // Combo boxes get their initial items before anything sees them.
    for (const auto& [id, items] : tpl_.comboItems) {
        if (auto* combo = qobject_cast<ComboWidget*>(Control(id))) {
            for (const std::string& item : items) combo->addItem(QString::fromStdString(item));
            combo->SetCurSel(-1);
        }
    }

    // Spins attach to the control before them in template order.
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const ControlTemplate& ctl = tpl_.controls[i];
        auto* spin = qobject_cast<SpinWidget*>(controls_[i]);
        if (spin != nullptr && (ctl.style & kStyleSpinAutoBuddy) != 0 && i > 0) {
            spin->SetBuddy(controls_[i - 1], (ctl.style & kStyleSpinSetBuddyInt) != 0);
        }
    }

    // Group boxes frame other controls: keep them underneath and out of the mouse's way.
    for (QWidget* w : controls_) {
        if (qobject_cast<QGroupBox*>(w) != nullptr) {
            w->lower();
            w->setAttribute(Qt::WA_TransparentForMouseEvents);
        }
    }

    BuildRadioGroups();
    SetAccessibleNames();
    SetTabOrder();
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        ConnectNotifications(controls_[i], tpl_.controls[i]);
    }

    // The framework's keys come to the dialog before any control sees them.
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

QWidget* DialogWidget::CreateControl(const ControlTemplate& ctl, int /*index*/) {
    const QString caption = QString::fromStdString(ctl.caption);
    switch (ctl.kind) {
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(this);
            edit->setFrame(true);
            edit->setText(caption);
            edit->setReadOnly((ctl.style & kStyleReadOnly) != 0);
            if ((ctl.style & kStyleUpperCase) != 0) {
                edit->setValidator(new UpperCaseValidator(edit));
            }
            return edit;
        }
        case ControlKind::PushButton:
        case ControlKind::DefPushButton: {
            auto* button = new QPushButton(caption, this);
            button->setAutoDefault(false);
            button->setFocusPolicy(Qt::StrongFocus);
            if (ctl.kind == ControlKind::DefPushButton) {
                button->setDefault(true);
                if (defaultButton_ == nullptr) defaultButton_ = button;
            }
            return button;
        }
        case ControlKind::RadioButton: {
            // The dialog's button groups decide which radios exclude each other; a radio left
            // auto-exclusive also keeps its radio-button role for assistive technology.
            auto* radio = new QRadioButton(caption, this);
            radio->setFocusPolicy(Qt::StrongFocus);
            return radio;
        }
        case ControlKind::GroupBox: {
            auto* group = new QGroupBox(caption, this);
            group->setFocusPolicy(Qt::NoFocus);
            return group;
        }
        case ControlKind::Static: {
            const bool noPrefix = (ctl.style & kStyleNoPrefix) != 0;
            auto* label = new QLabel(noPrefix ? caption : StripMnemonics(caption), this);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setWordWrap(true);
            label->setFocusPolicy(Qt::NoFocus);
            return label;
        }
        case ControlKind::Icon: {
            auto* label = new QLabel(this);
            label->setFocusPolicy(Qt::NoFocus);
            bool ok = false;
            const int resource = caption.toInt(&ok);
            if (HICON icon = ok ? LoadIconResource(resource) : nullptr) {
                label->setPixmap(icon->pixmap(32, 32));
            }
            return label;
        }
        case ControlKind::ComboDropList:
        case ControlKind::ComboDropDown: {
            auto* combo = new ComboWidget(ctl.kind == ControlKind::ComboDropDown, this);
            combo->setFocusPolicy(Qt::StrongFocus);
            return combo;
        }
        case ControlKind::ListView:
            return new ListViewWidget(this);
        case ControlKind::ListBox:
            return new ListBoxWidget(this);
        case ControlKind::Spin:
            return new SpinWidget(ctl.id, (ctl.style & kStyleSpinArrowKeys) != 0, this);
        case ControlKind::Custom:
            return new CustomControlWidget(this);
    }
    return new QWidget(this);
}

void DialogWidget::ConnectNotifications(QWidget* widget, const ControlTemplate& ctl) {
    if (ctl.id == kNoId) return;
    const int id = ctl.id;
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        connect(button, &QAbstractButton::clicked, this, [this, id] { Command(id, BN_CLICKED); });
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        connect(edit, &QLineEdit::textChanged, this, [this, id] { Command(id, EN_CHANGE); });
    } else if (auto* combo = qobject_cast<ComboWidget*>(widget)) {
        connect(combo, &ComboWidget::UserSelChange, this,
                [this, id] { Command(id, CBN_SELCHANGE); });
        connect(combo, &ComboWidget::UserEditChange, this,
                [this, id] { Command(id, CBN_EDITCHANGE); });
    } else if (auto* list = qobject_cast<ListViewWidget*>(widget)) {
        connect(list, &ListViewWidget::CheckChanged, this, [this, id](int row, bool checked) {
            NMLISTVIEW notice;
            notice.hdr = {id, LVN_ITEMCHANGED};
            notice.iItem = row;
            notice.uChanged = LVIF_STATE;
            notice.uNewState = (checked ? 2u : 1u) << 12;
            notice.uOldState = (checked ? 1u : 2u) << 12;
            LRESULT result = 0;
            if (owner_ != nullptr) owner_->DispatchNotify(&notice.hdr, &result);
        });
        if ((ctl.style & kStyleEditLabels) != 0) {
            list->EnableLabelEditing([this, id](int row, const QString& text) {
                const std::string utf8 = text.toStdString();
                NMLVDISPINFO notice;
                notice.hdr = {id, LVN_ENDLABELEDIT};
                notice.item.iItem = row;
                notice.item.pszText = utf8.c_str();
                LRESULT result = 0;
                return owner_ != nullptr && owner_->DispatchNotify(&notice.hdr, &result) &&
                       result != 0;
            });
        }
    } else if (auto* spin = qobject_cast<SpinWidget*>(widget)) {
        spin->SetDeltaPosHandler([this](NMUPDOWN& notice) {
            LRESULT result = 0;
            if (owner_ != nullptr) owner_->DispatchNotify(&notice.hdr, &result);
            return result;
        });
    }
}

void DialogWidget::BuildRadioGroups() {
    // A group opens at a radio marked as its first, or at a radio that follows something other
    // than a radio, and runs over the radios that follow it.
    std::vector<QAbstractButton*>* current = nullptr;
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const ControlTemplate& ctl = tpl_.controls[i];
        if (ctl.kind != ControlKind::RadioButton) {
            current = nullptr;
            continue;
        }
        if (current == nullptr || (ctl.style & kStyleGroup) != 0) {
            radioGroups_.emplace_back();
            current = &radioGroups_.back();
        }
        current->push_back(static_cast<QAbstractButton*>(controls_[i]));
    }
    for (const auto& group : radioGroups_) {
        auto* buttons = new QButtonGroup(this);
        buttons->setExclusive(true);
        for (QAbstractButton* b : group) buttons->addButton(b);
    }
}

void DialogWidget::SetAccessibleNames() {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const ControlTemplate& ctl = tpl_.controls[i];
        QWidget* w = controls_[i];
        const std::optional<std::size_t> label =
            IsLabelledField(ctl.kind) ? LabelBeside(tpl_, i) : std::nullopt;
        auto* labelWidget = label ? qobject_cast<QLabel*>(controls_[*label]) : nullptr;
        if (!ctl.accessibleName.empty()) {
            w->setAccessibleName(QString::fromStdString(ctl.accessibleName));
        } else if (IsLabelledField(ctl.kind)) {
            if (labelWidget != nullptr) NameAfterLabel(w, labelWidget);
        } else if (ctl.kind != ControlKind::Icon) {
            // Buttons, radios, group boxes and texts (the counters too) say what they show.
            NameAfterOwnText(w, (ctl.style & kStyleNoPrefix) != 0);
        }
    }
}

void DialogWidget::SetTabOrder() {
    QWidget* previous = nullptr;
    for (QWidget* w : controls_) {
        if ((w->focusPolicy() & Qt::TabFocus) == 0) continue;
        if (previous != nullptr) QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

// ---------------------------------------------------------------------------------------------
// Look-up

QWidget* DialogWidget::Control(int id) const {
    auto it = byId_.find(id);
    return it != byId_.end() ? it->second : nullptr;
}

const ControlTemplate* DialogWidget::TemplateOf(const QWidget* control) const {
    auto it = indexOf_.find(control);
    return it != indexOf_.end() ? &tpl_.controls[it->second] : nullptr;
}

CWnd* DialogWidget::Item(int id) {
    QWidget* w = Control(id);
    if (w == nullptr) return nullptr;
    auto& item = items_[id];
    if (!item) {
        item = NewItemFor(TemplateOf(w)->kind);
        item->Attach(w);
    }
    return item.get();
}

std::vector<QAbstractButton*> DialogWidget::RadioGroupFrom(int id) const {
    QWidget* first = Control(id);
    for (const auto& group : radioGroups_) {
        for (std::size_t i = 0; i < group.size(); ++i) {
            if (group[i] == first) return {group.begin() + static_cast<std::ptrdiff_t>(i),
                                           group.end()};
        }
    }
    return {};
}

void DialogWidget::CheckRadio(const std::vector<QAbstractButton*>& group, int index) {
    if (group.empty()) return;
    // An exclusive group refuses to uncheck its checked button, so open it for the change.
    QButtonGroup* buttons = group.front()->group();
    if (buttons != nullptr) buttons->setExclusive(false);
    for (std::size_t i = 0; i < group.size(); ++i) {
        group[i]->setChecked(static_cast<int>(i) == index);
    }
    if (buttons != nullptr) buttons->setExclusive(true);
}

// ---------------------------------------------------------------------------------------------
// Showing, keys, closing

void DialogWidget::ShowAndFocus(bool focusFirst) {
    show();
    activateWindow();
    if (!focusFirst) return;
    for (QWidget* w : controls_) {
        if ((w->focusPolicy() & Qt::TabFocus) != 0 && w->isEnabled() && w->isVisible()) {
            w->setFocus(Qt::TabFocusReason);
            break;
        }
    }
}

void DialogWidget::Command(int id, UINT code) {
    if (owner_ != nullptr) owner_->DispatchCommand(id, code);
}

bool DialogWidget::HandleKey(QKeyEvent* event, QWidget* target) {
    if (owner_ == nullptr) return false;
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::AltModifier) {
        // Alt+Space opens the system menu, at the window's top left corner.
        PopupSystemMenu(mapToGlobal(QPoint(0, 0)));
        return true;
    }
    if (event->modifiers().testAnyFlags(Qt::AltModifier | Qt::ControlModifier)) return false;
    // A list's in-place editor takes Enter and Escape itself (they end the edit).
    for (QWidget* w = target; w != nullptr && w != this; w = w->parentWidget()) {
        const auto* list = qobject_cast<ListViewWidget*>(w);
        if (list != nullptr && list->Editing()) return false;
    }
    switch (event->key()) {
        case Qt::Key_Escape:
            Command(IDCANCEL, BN_CLICKED);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            if (auto* button = qobject_cast<QPushButton*>(target)) {
                // Enter on a push button presses that button.
                button->click();
            } else if (defaultButton_ != nullptr && defaultButton_->isEnabled()) {
                defaultButton_->click();
            } else {
                Command(IDOK, BN_CLICKED);
            }
            return true;
        }
        default:
            return false;
    }
}

bool DialogWidget::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        if (HandleKey(static_cast<QKeyEvent*>(event), static_cast<QWidget*>(watched))) {
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void DialogWidget::keyPressEvent(QKeyEvent* event) {
    if (!HandleKey(event, focusWidget())) QWidget::keyPressEvent(event);
}

void DialogWidget::closeEvent(QCloseEvent* event) {
    // The close box is the system command "close"; the dialog decides whether it ends.
    event->ignore();
    if (!retired_) InvokeSystemCommand(SC_CLOSE);
}

void DialogWidget::accept() { Command(IDOK, BN_CLICKED); }
void DialogWidget::reject() { Command(IDCANCEL, BN_CLICKED); }

void DialogWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        PopupSystemMenu(event->globalPosition().toPoint());
        return;
    }
    QDialog::mousePressEvent(event);
}

// ---------------------------------------------------------------------------------------------
// System menu

std::vector<SystemMenuEntry> DialogWidget::SystemMenuEntries() const {
    const bool minimised = isMinimized();
    std::vector<SystemMenuEntry> entries = {
        {SC_RESTORE, "还原(&R)", false, minimised},
        {SC_MOVE, "移动(&M)", false, !minimised},
        {SC_MINIMIZE, "最小化(&N)", false, tpl_.minimizeBox && !minimised},
        {0, "", true, true},
        {SC_CLOSE, "关闭(&C)", false, true},
    };
    for (const CMenu::Item& item : systemMenu_.Items()) {
        if ((item.flags & MF_SEPARATOR) != 0) {
            entries.push_back({0, "", true, true});
        } else {
            entries.push_back({item.id, item.text, false, true});
        }
    }
    return entries;
}

void DialogWidget::PopupSystemMenu(const QPoint& globalPos) {
    if (owner_ == nullptr) return;
    QMenu menu(this);
    for (const SystemMenuEntry& entry : SystemMenuEntries()) {
        if (entry.separator) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(QString::fromStdString(entry.text));
        action->setData(entry.id);
        action->setEnabled(entry.enabled);
    }
    // The command goes out after the menu has closed, as a chosen menu item's message does.
    if (QAction* chosen = menu.exec(globalPos)) InvokeSystemCommand(chosen->data().toUInt());
}

void DialogWidget::InvokeSystemCommand(UINT id) {
    if (owner_ != nullptr) owner_->Dispatch(WM_SYSCOMMAND, id, 0);
}

DialogHost* DialogHostOf(QWidget* widget, bool orEnclosing) {
    if (widget == nullptr) return nullptr;
    return qobject_cast<DialogWidget*>(orEnclosing ? widget->window() : widget);
}
