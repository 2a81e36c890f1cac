#include "ui/testing/ui_driver.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include "ui/qt/control_widgets.h"
#include "ui/testing/wait.h"
#include "ui/qt/widget_text.h"

namespace uitest {

namespace {

// Keys go to the widget that would have the focus: a combo box's edit field when it has one.
QWidget* KeyTarget(QWidget* control) {
    if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit()) {
        return combo->lineEdit();
    }
    return control;
}

QWidget* Focus(CDialog& dialog, int id) {
    QWidget* control = Control(dialog, id);
    if (control == nullptr) return nullptr;
    control->window()->activateWindow();
    control->setFocus(Qt::MouseFocusReason);
    return KeyTarget(control);
}

// QTest knows keys for ASCII only; other characters (Chinese text) arrive as text without a key,
// as an input method delivers them.
void TypeChars(QWidget* target, const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(target, static_cast<char>(c.unicode()));
        } else {
            QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

QPoint ClickPoint(QWidget* control) {
    if (auto* radio = qobject_cast<QRadioButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(radio);
        return radio->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, radio)
            .center();
    }
    return control->rect().center();
}

}  // namespace

DialogWidget* Window(CDialog& dialog) {
    return qobject_cast<DialogWidget*>(dialog.GetWidget());
}

QWidget* Control(CDialog& dialog, int id) {
    DialogWidget* window = Window(dialog);
    return window != nullptr ? window->Control(id) : nullptr;
}

int FocusedControlId(CDialog& dialog) {
    DialogWidget* window = Window(dialog);
    if (window == nullptr) return kNoId;
    for (QWidget* w = window->focusWidget(); w != nullptr && w != window;
         w = w->parentWidget()) {
        if (const ControlTemplate* ctl = window->TemplateOf(w)) return ctl->id;
    }
    return kNoId;
}

bool Click(CDialog& dialog, int id) {
    QWidget* control = Control(dialog, id);
    if (control == nullptr) return false;
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, ClickPoint(control));
    return true;
}

bool TypeText(CDialog& dialog, int id, const std::string& text) {
    QWidget* target = Focus(dialog, id);
    if (target == nullptr) return false;
    TypeChars(target, QString::fromStdString(text));
    return true;
}

bool ReplaceText(CDialog& dialog, int id, const std::string& text) {
    QWidget* target = Focus(dialog, id);
    if (target == nullptr) return false;
    QTest::keyClick(target, Qt::Key_End);
    QTest::keyClick(target, Qt::Key_Home, Qt::ShiftModifier);
    QTest::keyClick(target, Qt::Key_Delete);
    TypeChars(target, QString::fromStdString(text));
    return true;
}

bool PressKey(CDialog& dialog, int id, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QWidget* target = Focus(dialog, id);
    if (target == nullptr) return false;
    QTest::keyClick(target, key, modifiers);
    return true;
}

bool PressEnter(CDialog& dialog, int id) { return PressKey(dialog, id, Qt::Key_Return); }
bool PressEscape(CDialog& dialog, int id) { return PressKey(dialog, id, Qt::Key_Escape); }

bool ClickListRow(CDialog& dialog, int listViewId, int row, int column) {
    auto* list = ControlAs<QTableWidget>(dialog, listViewId);
    if (list == nullptr || row < 0 || row >= list->rowCount() || column < 0 ||
        column >= list->columnCount()) {
        return false;
    }
    list->window()->activateWindow();
    list->setFocus(Qt::MouseFocusReason);
    list->scrollToItem(list->item(row, 0));
    const QRect cell = list->visualRect(list->model()->index(row, column));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    return true;
}

namespace {

QLineEdit* OpenLabelEditor(CDialog& dialog, int listViewId, int row) {
    auto* list = ControlAs<QTableWidget>(dialog, listViewId);
    // A click on another column of the row: the row is chosen, nothing is edited yet.
    if (list == nullptr || list->columnCount() < 2 || !ClickListRow(dialog, listViewId, row, 1)) {
        return nullptr;
    }
    QTest::keyClick(list, Qt::Key_F2);
    QLineEdit* editor = nullptr;
    WaitUntil([&] {
        for (QLineEdit* candidate : list->viewport()->findChildren<QLineEdit*>()) {
            if (candidate->isVisible()) editor = candidate;
        }
        return editor != nullptr;
    });
    return editor;
}

}  // namespace

bool EditListLabel(CDialog& dialog, int listViewId, int row, const std::string& text, bool cancel) {
    QLineEdit* editor = OpenLabelEditor(dialog, listViewId, row);
    if (editor == nullptr) return false;
    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClick(editor, Qt::Key_Home, Qt::ShiftModifier);
    QTest::keyClick(editor, Qt::Key_Delete);
    TypeChars(editor, QString::fromStdString(text));
    QTest::keyClick(editor, cancel ? Qt::Key_Escape : Qt::Key_Return);
    // The view commits and closes the editor from its event loop.
    auto* list = ControlAs<ListViewWidget>(dialog, listViewId);
    return list != nullptr && WaitUntil([list] { return !list->Editing(); });
}

std::string ListLabelEditorName(CDialog& dialog, int listViewId, int row) {
    QLineEdit* editor = OpenLabelEditor(dialog, listViewId, row);
    if (editor == nullptr) return {};
    const std::string name = QAccessible::queryAccessibleInterface(editor) != nullptr
                                 ? QAccessible::queryAccessibleInterface(editor)
                                       ->text(QAccessible::Name)
                                       .toStdString()
                                 : std::string();
    QTest::keyClick(editor, Qt::Key_Escape);
    auto* list = ControlAs<ListViewWidget>(dialog, listViewId);
    if (list != nullptr) WaitUntil([list] { return !list->Editing(); });
    return name;
}

bool SelectComboItem(CDialog& dialog, int id, int index) {
    auto* combo = ControlAs<QComboBox>(dialog, id);
    if (combo == nullptr || index < 0 || index >= combo->count()) return false;
    combo->setFocus(Qt::MouseFocusReason);
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    if (!WaitUntil([view] { return view->isVisible(); })) return false;
    const QRect cell = view->visualRect(combo->model()->index(index, combo->modelColumn()));
    view->scrollTo(combo->model()->index(index, combo->modelColumn()));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    return WaitUntil([view] { return !view->isVisible(); }) && combo->currentIndex() == index;
}

bool StepSpin(CDialog& dialog, int id, bool up) {
    auto* spin = ControlAs<SpinWidget>(dialog, id);
    if (spin == nullptr) return false;
    QToolButton* arrow = up ? spin->UpArrow() : spin->DownArrow();
    QTest::mouseClick(arrow, Qt::LeftButton, Qt::NoModifier, arrow->rect().center());
    return true;
}

bool PressCloseBox(CDialog& dialog) {
    DialogWidget* window = Window(dialog);
    if (window == nullptr) return false;
    window->close();
    return true;
}

std::string Text(CDialog& dialog, int id) {
    return WidgetText(Control(dialog, id)).toStdString();
}

std::string AccessibleName(CDialog& dialog, int id) {
    // As assistive technology hears it: through Qt's accessibility interface of the control.
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(Control(dialog, id));
    return face != nullptr ? face->text(QAccessible::Name).toStdString() : std::string();
}

bool IsEnabled(CDialog& dialog, int id) {
    QWidget* control = Control(dialog, id);
    return control != nullptr && control->isEnabled();
}

bool IsChecked(CDialog& dialog, int id) {
    auto* button = ControlAs<QAbstractButton>(dialog, id);
    return button != nullptr && button->isChecked();
}

int RowCount(CDialog& dialog, int listViewId) {
    auto* table = ControlAs<QTableWidget>(dialog, listViewId);
    return table != nullptr ? table->rowCount() : 0;
}

int ColumnCount(CDialog& dialog, int listViewId) {
    auto* table = ControlAs<QTableWidget>(dialog, listViewId);
    return table != nullptr ? table->columnCount() : 0;
}

std::string CellText(CDialog& dialog, int listViewId, int row, int column) {
    auto* table = ControlAs<QTableWidget>(dialog, listViewId);
    QTableWidgetItem* item = table != nullptr ? table->item(row, column) : nullptr;
    return item != nullptr ? item->text().toStdString() : std::string();
}

std::string HeaderText(CDialog& dialog, int listViewId, int column) {
    auto* table = ControlAs<QTableWidget>(dialog, listViewId);
    QTableWidgetItem* item = table != nullptr ? table->horizontalHeaderItem(column) : nullptr;
    return item != nullptr ? item->text().toStdString() : std::string();
}

std::vector<std::string> ListBoxLines(CDialog& dialog, int listBoxId) {
    std::vector<std::string> lines;
    if (auto* list = ControlAs<QListWidget>(dialog, listBoxId)) {
        for (int i = 0; i < list->count(); ++i) lines.push_back(list->item(i)->text().toStdString());
    }
    return lines;
}

std::vector<std::string> ComboItems(CDialog& dialog, int comboId) {
    std::vector<std::string> items;
    if (auto* combo = ControlAs<QComboBox>(dialog, comboId)) {
        for (int i = 0; i < combo->count(); ++i) items.push_back(combo->itemText(i).toStdString());
    }
    return items;
}

std::vector<SystemMenuEntry> SystemMenuItems(CDialog& dialog) {
    DialogWidget* window = Window(dialog);
    return window != nullptr ? window->SystemMenuEntries() : std::vector<SystemMenuEntry>{};
}

bool InvokeSystemMenuItem(CDialog& dialog, UINT id) {
    DialogWidget* window = Window(dialog);
    if (window == nullptr) return false;
    for (const SystemMenuEntry& entry : window->SystemMenuEntries()) {
        if (!entry.separator && entry.id == id && entry.enabled) {
            window->InvokeSystemCommand(id);
            return true;
        }
    }
    return false;
}

bool InvokeMenuItem(CDialog& dialog, UINT id) {
    DialogWidget* window = Window(dialog);
    auto* action = window != nullptr ? window->findChild<QAction*>(
                                           QStringLiteral("ctl_%1").arg(static_cast<int>(id)))
                                     : nullptr;
    if (action == nullptr || !action->isEnabled()) return false;
    action->trigger();
    return true;
}

}  // namespace uitest

// ---- The dialog layer's own tests on both backends: geometry, state, keys, owners, timers ----
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include "ui/qt/dialog_units.h"
#include "ui/qt/window_link.h"

namespace uitest {

namespace {

PixelRect FromQt(const QRect& r) { return PixelRect{r.x(), r.y(), r.width(), r.height()}; }

Qt::Key QtKey(NamedKey key) {
    switch (key) {
        case NamedKey::Tab: return Qt::Key_Tab;
        case NamedKey::Enter: return Qt::Key_Return;
        case NamedKey::Escape: return Qt::Key_Escape;
        case NamedKey::Up: return Qt::Key_Up;
        case NamedKey::Down: return Qt::Key_Down;
    }
    return Qt::Key_unknown;
}

}  // namespace

PixelRect ClientRect(CDialog& dialog) {
    DialogWidget* window = Window(dialog);
    return window != nullptr ? FromQt(window->rect()) : PixelRect{};
}

PixelRect ControlRect(CDialog& dialog, int id) {
    QWidget* control = Control(dialog, id);
    return control != nullptr ? FromQt(control->geometry()) : PixelRect{};
}

PixelRect DialogUnitsToPixels(CDialog& dialog, int x, int y, int cx, int cy) {
    DialogWidget* window = Window(dialog);
    if (window == nullptr) return {};
    return FromQt(DialogUnits::ForScreen(window->screen()).Rect(x, y, cx, cy));
}

std::string WindowTitle(CDialog& dialog) {
    DialogWidget* window = Window(dialog);
    return window != nullptr ? window->windowTitle().toStdString() : std::string();
}

bool IsVisible(CDialog& dialog, int id) {
    QWidget* control = Control(dialog, id);
    return control != nullptr && control->isVisible();
}

bool IsDefaultButton(CDialog& dialog, int id) {
    auto* button = ControlAs<QPushButton>(dialog, id);
    return button != nullptr && (button->isDefault() || button->autoDefault());
}

std::string SelectedText(CDialog& dialog, int id) {
    QWidget* control = Control(dialog, id);
    if (auto* edit = qobject_cast<QLineEdit*>(control != nullptr ? KeyTarget(control) : nullptr)) {
        return edit->selectedText().toStdString();
    }
    return {};
}

bool ListBoxLineInView(CDialog& dialog, int listBoxId, int index) {
    auto* list = ControlAs<QListWidget>(dialog, listBoxId);
    if (list == nullptr || index < 0 || index >= list->count()) return false;
    return list->viewport()->rect().intersects(list->visualItemRect(list->item(index)));
}

bool PressKeyOn(CDialog& dialog, int id, NamedKey key) {
    return PressKey(dialog, id, QtKey(key));
}

bool PressKeyOnFocus(CDialog& dialog, NamedKey key) {
    DialogWidget* window = Window(dialog);
    QWidget* focus = window != nullptr ? window->focusWidget() : nullptr;
    if (focus == nullptr) return false;
    QTest::keyClick(focus, QtKey(key));
    return true;
}

bool PostKeyPress(CDialog& dialog, int id, NamedKey key) {
    QWidget* target = Focus(dialog, id);
    if (target == nullptr) return false;
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, QtKey(key), Qt::NoModifier));
    QCoreApplication::postEvent(target,
                                new QKeyEvent(QEvent::KeyRelease, QtKey(key), Qt::NoModifier));
    return true;
}

bool ChooseLastSystemMenuItemByKeyboard(CDialog& dialog) {
    DialogWidget* window = Window(dialog);
    if (window == nullptr) return false;
    // The menu runs its own loop inside the key press; the keys are typed once it is open.
    bool opened = false;
    QTimer::singleShot(0, [&opened] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) return;
        opened = true;
        // Qt's menu has no End key: the last item is made the current one as End would.
        if (!menu->actions().isEmpty()) menu->setActiveAction(menu->actions().back());
        QTest::keyClick(menu, Qt::Key_Return);
        if (menu->isVisible()) menu->close();  // so that the loop ends whatever happened
    });
    QWidget* focus = window->focusWidget() != nullptr ? window->focusWidget() : window;
    QTest::keyClick(focus, Qt::Key_Space, Qt::AltModifier);
    return opened;
}

bool IsOwnedBy(CDialog& owned, CDialog& owner) {
    DialogWidget* window = Window(owned);
    return window != nullptr && owner.GetWidget() != nullptr &&
           window->parentWidget() == owner.GetWidget();
}

void DestroyNativeWindow(CDialog& dialog) { delete Window(dialog); }

bool SentMessageWaiting(CDialog& dialog) {
    const HWND handle = dialog.GetSafeHwnd();
    return handle.link() != nullptr && handle.link()->PendingCount() > 0;
}

struct RepeatingTimer::State {
    QTimer timer;
};

RepeatingTimer::RepeatingTimer(std::chrono::milliseconds interval, std::function<void()> tick)
    : state_(std::make_unique<State>()) {
    QObject::connect(&state_->timer, &QTimer::timeout, std::move(tick));
    state_->timer.start(interval);
}

RepeatingTimer::~RepeatingTimer() = default;

}  // namespace uitest

// The console's window tests: the tab order, every control's text and the menu bar as shown.
#include <QMenu>
#include <QMenuBar>

namespace uitest {

namespace {

// The control id in an object name "ctl_<id>"; kNoId for static texts and the bar's parts.
int ControlIdOf(const QWidget* w) {
    const QString name = w->objectName();
    if (!name.startsWith(QStringLiteral("ctl_"))) return kNoId;
    bool ok = false;
    const int id = name.mid(4).toInt(&ok);
    return ok ? id : kNoId;
}

QMenuBar* BarOf(CDialog& dialog) {
    DialogWidget* window = Window(dialog);
    return window != nullptr ? window->findChild<QMenuBar*>(QStringLiteral("ctl_menubar"))
                             : nullptr;
}

QAction* MenuItem(CDialog& dialog, UINT id) {
    QMenuBar* bar = BarOf(dialog);
    return bar != nullptr ? Window(dialog)->findChild<QAction*>(
                                QStringLiteral("ctl_%1").arg(static_cast<int>(id)))
                          : nullptr;
}

Qt::Key LetterKey(char letter) {
    const char upper = (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 'a' + 'A')
                                                        : letter;
    return static_cast<Qt::Key>(Qt::Key_A + (upper - 'A'));
}

}  // namespace

std::vector<int> TabOrder(CDialog& dialog, int fromId) {
    // The focus chain Tab follows, as Qt walks it: controls that take focus by Tab and can.
    std::vector<int> order;
    QWidget* first = Control(dialog, fromId);
    if (first == nullptr) return order;
    QWidget* w = first;
    do {
        const int id = ControlIdOf(w);
        if (id != kNoId && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() &&
            w->isVisibleTo(w->window())) {
            order.push_back(id);
        }
        w = w->nextInFocusChain();
    } while (w != first && order.size() < 200);
    return order;
}

std::vector<std::string> ControlTexts(CDialog& dialog) {
    std::vector<std::string> texts;
    DialogWidget* window = Window(dialog);
    if (window == nullptr) return texts;
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->objectName().startsWith(QStringLiteral("ctl_")) &&
            qobject_cast<QMenuBar*>(child) == nullptr) {
            texts.push_back(WidgetText(child).toStdString());
        }
    }
    return texts;
}

std::vector<std::string> MenuBarTitles(CDialog& dialog) {
    std::vector<std::string> titles;
    if (QMenuBar* bar = BarOf(dialog)) {
        for (QAction* menu : bar->actions()) titles.push_back(menu->text().toStdString());
    }
    return titles;
}

std::string MenuItemText(CDialog& dialog, UINT id) {
    QAction* item = MenuItem(dialog, id);
    return item != nullptr ? item->text().toStdString() : std::string();
}

bool IsMenuItemShownEnabled(CDialog& dialog, UINT id) {
    QAction* item = MenuItem(dialog, id);
    return item != nullptr && item->isEnabled();
}

std::string MenuBarStatusText(CDialog& dialog) {
    // The window's own label laid over the bar's right end.
    QMenuBar* bar = BarOf(dialog);
    if (bar == nullptr) return {};
    for (QLabel* label : Window(dialog)->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (!label->isHidden() && label->geometry().intersects(bar->geometry())) {
            return label->text().toStdString();
        }
    }
    return {};
}

bool ChooseMenuItemByKeys(CDialog& dialog, char menu, char item) {
    QMenuBar* bar = BarOf(dialog);
    if (bar == nullptr) return false;
    QWidget* window = Window(dialog);
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window)) return false;
    QMenu* opened = nullptr;
    const QString marker = QStringLiteral("&") + QChar::fromLatin1(menu).toUpper();
    for (QAction* title : bar->actions()) {
        if (title->text().toUpper().contains(marker)) opened = title->menu();
    }
    if (opened == nullptr) return false;
    QTest::keyClick(window, LetterKey(menu), Qt::AltModifier);
    if (!WaitUntil([&] { return opened->isVisible(); })) return false;
    QTest::keyClick(opened, LetterKey(item));
    return true;
}

}  // namespace uitest

// In-place editing of a list view row's label (its first column), on both backends.
namespace uitest {

bool EditLabelInPlace(CDialog& dialog, int listViewId, int row, const std::string& text,
                      bool cancel) {
    return EditListLabel(dialog, listViewId, row, text, cancel);
}

}  // namespace uitest

// List view rows chosen and ticked, on both backends.
#include <QStyleOptionViewItem>

namespace uitest {

bool ChooseListRow(CDialog& dialog, int listViewId, int row) {
    return ClickListRow(dialog, listViewId, row, 1);
}

bool ToggleListRowCheck(CDialog& dialog, int listViewId, int row) {
    auto* table = ControlAs<QTableWidget>(dialog, listViewId);
    if (table == nullptr || row < 0 || row >= table->rowCount() || table->item(row, 0) == nullptr) {
        return false;
    }
    table->scrollToItem(table->item(row, 0));  // as a user brings the row into view first
    QStyleOptionViewItem option;
    option.initFrom(table);
    option.rect = table->visualItemRect(table->item(row, 0));
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box =
        table->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, table);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, box.center());
    return true;
}

}  // namespace uitest
