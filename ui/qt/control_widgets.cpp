#include "ui/qt/control_widgets.h"

#include <algorithm>

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QToolButton>

#include "ui/qt/list_text_cells.h"
#include "ui/text_parse.h"

QValidator::State UpperCaseValidator::validate(QString& input, int& /*pos*/) const {
    input = input.toUpper();
    return Acceptable;
}

// ---------------------------------------------------------------------------------------------

ComboWidget::ComboWidget(bool editable, QWidget* parent) : QComboBox(parent) {
    setEditable(editable);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(30);
    if (editable) {
        setCompleter(nullptr);  // the platform's combo does not complete while typing
        connect(lineEdit(), &QLineEdit::textEdited, this, [this] {
            typed_ = true;
            emit UserEditChange();
        });
    }
    connect(this, &QComboBox::activated, this, [this](int) {
        typed_ = false;
        emit UserSelChange();
    });
}

int ComboWidget::CurSel() const { return typed_ ? -1 : currentIndex(); }

int ComboWidget::SetCurSel(int index) {
    typed_ = false;
    if (index < 0 || index >= count()) {
        setCurrentIndex(-1);
        return CB_ERR;
    }
    setCurrentIndex(index);
    if (isEditable()) setEditText(itemText(index));
    return index;
}

int ComboWidget::FindPrefix(int startAfter, const QString& prefix) const {
    const int n = count();
    if (n == 0) return CB_ERR;
    const int first = (startAfter < 0 || startAfter >= n) ? 0 : startAfter + 1;
    for (int k = 0; k < n; ++k) {
        const int i = (first + k) % n;
        if (itemText(i).startsWith(prefix, Qt::CaseInsensitive)) return i;
    }
    return CB_ERR;
}

// ---------------------------------------------------------------------------------------------

ListViewWidget::ListViewWidget(QWidget* parent) : QTableWidget(parent) {
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    setItemDelegate(new ListTextCells(this));
    SetExtendedStyle(0);
    // Other changes of an item (its text) come through the same signal: only a check box that
    // changed is announced.
    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() != 0 || (item->flags() & Qt::ItemIsUserCheckable) == 0) return;
        const bool checked = item->checkState() == Qt::Checked;
        const QVariant last = item->data(kLastCheckRole);
        if (last.isValid() && last.toBool() == checked) return;
        item->setData(kLastCheckRole, checked);
        emit CheckChanged(item->row(), checked);
    });
}

void ListViewWidget::SetExtendedStyle(unsigned style) {
    extendedStyle_ = style;
    setShowGrid((style & LVS_EX_GRIDLINES) != 0);
    setSelectionBehavior((style & LVS_EX_FULLROWSELECT) != 0 ? QAbstractItemView::SelectRows
                                                              : QAbstractItemView::SelectItems);
}

namespace {

// The in-place editor is announced as what it edits: the first column's heading.
class LabelEditDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (editor != nullptr) {
            editor->setAccessibleName(
                index.model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString());
        }
        return editor;
    }
};

}  // namespace

void ListViewWidget::EnableLabelEditing(LabelEditHandler handler) {
    onLabelEdit_ = std::move(handler);
    setItemDelegateForColumn(0, new LabelEditDelegate(this));
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::SelectedClicked);
}

// Only the first column is edited, whichever cell of the row has the focus.
bool ListViewWidget::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (!onLabelEdit_ || !index.isValid() || trigger == QAbstractItemView::NoEditTriggers ||
        trigger == QAbstractItemView::CurrentChanged) {
        return QTableWidget::edit(index, trigger, event);
    }
    const QModelIndex label = index.sibling(index.row(), 0);
    if (!QTableWidget::edit(label, trigger, event)) return false;
    editedRow_ = label.row();
    return true;
}

// The text goes to the owner, not into the cell: the owner decides whether it stays.
void ListViewWidget::commitData(QWidget* editor) {
    if (!onLabelEdit_) {
        QTableWidget::commitData(editor);
        return;
    }
    // Enter commits, and so does the editor's losing the focus as it closes: once is enough.
    if (editedRow_ < 0) return;
    auto* line = qobject_cast<QLineEdit*>(editor);
    const int row = editedRow_;
    editedRow_ = -1;
    if (line == nullptr || row >= rowCount()) return;
    const QString text = line->text();
    if (onLabelEdit_(row, text)) {
        if (QTableWidgetItem* cell = item(row, 0)) cell->setText(text);
    }
}

// ---------------------------------------------------------------------------------------------

namespace {

// A list box draws each line on one row: a line feed in a line's text is no line break there
// (the frame log's lines each begin with one, and keep it in what the list holds).
class OneRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        // Qt has turned each line feed into a line separator by now.
        QString& text = option->text;
        const auto isBreak = [](QChar c) {
            return c == u'\n' || c == u'\r' || c == QChar::LineSeparator;
        };
        while (!text.isEmpty() && isBreak(text.front())) text.remove(0, 1);
        for (QChar& c : text) {
            if (isBreak(c)) c = u' ';
        }
    }
};

}  // namespace

ListBoxWidget::ListBoxWidget(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new OneRowDelegate(this));
    setSortingEnabled(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

int ListBoxWidget::TopIndex() {
    if (count() == 0) return 0;
    doItemsLayout();
    return std::clamp(verticalScrollBar()->value(), 0, count() - 1);
}

int ListBoxWidget::SetTopIndex(int index) {
    if (index < 0 || index >= count()) return LB_ERR;
    // Lay out now: the scroll range is otherwise brought up to date only at the next event.
    doItemsLayout();
    verticalScrollBar()->setValue(index);
    return 0;
}

// ---------------------------------------------------------------------------------------------

SpinWidget::SpinWidget(int id, bool arrowKeys, QWidget* parent)
    : QWidget(parent), id_(id), arrowKeys_(arrowKeys), up_(new QToolButton(this)),
      down_(new QToolButton(this)) {
    up_->setObjectName("up");
    down_->setObjectName("down");
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
    }
    up_->setAccessibleName(QStringLiteral("上"));
    down_->setAccessibleName(QStringLiteral("下"));
    connect(up_, &QToolButton::clicked, this, [this] { Step(true); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(false); });
    setFocusPolicy(arrowKeys ? Qt::ClickFocus : Qt::NoFocus);
}

void SpinWidget::resizeEvent(QResizeEvent* /*event*/) {
    const int h = height() / 2;
    up_->setGeometry(0, 0, width(), h);
    down_->setGeometry(0, h, width(), height() - h);
}

void SpinWidget::SetBuddy(QWidget* buddy, bool setBuddyInt) {
    if (buddy_ != nullptr) buddy_->removeEventFilter(this);
    buddy_ = buddy;
    setBuddyInt_ = setBuddyInt;
    if (buddy_ != nullptr && arrowKeys_) buddy_->installEventFilter(this);
}

int SpinWidget::Clamp(int value) const {
    return std::clamp(value, std::min(lower_, upper_), std::max(lower_, upper_));
}

void SpinWidget::SetRange(int lower, int upper) {
    lower_ = lower;
    upper_ = upper;
}

int SpinWidget::Pos() const {
    if (setBuddyInt_) {
        if (auto* edit = qobject_cast<QLineEdit*>(buddy_.data())) {
            int value = 0;
            if (ParseWholeInt(edit->text().toStdString(), value)) return Clamp(value);
        }
    }
    return pos_;
}

int SpinWidget::SetPos(int pos) {
    const int previous = Pos();
    pos_ = Clamp(pos);
    ShowInBuddy();
    return previous;
}

void SpinWidget::ShowInBuddy() {
    if (!setBuddyInt_) return;
    if (auto* edit = qobject_cast<QLineEdit*>(buddy_.data())) {
        edit->setText(QString::number(pos_));
    }
}

void SpinWidget::Step(bool up) {
    if (!isEnabled()) return;
    pos_ = Pos();
    // "Up" runs towards the upper end of the range, which may be the smaller number.
    const int direction = upper_ >= lower_ ? 1 : -1;
    NMUPDOWN notice;
    notice.hdr.idFrom = id_;
    notice.hdr.code = UDN_DELTAPOS;
    notice.iPos = pos_;
    notice.iDelta = up ? direction : -direction;
    if (onDeltaPos_ && onDeltaPos_(notice) != 0) return;
    pos_ = Clamp(pos_ + notice.iDelta);
    ShowInBuddy();
}

void SpinWidget::keyPressEvent(QKeyEvent* event) {
    if (arrowKeys_ && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        Step(event->key() == Qt::Key_Up);
        return;
    }
    QWidget::keyPressEvent(event);
}

bool SpinWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched == buddy_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            Step(key->key() == Qt::Key_Up);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
