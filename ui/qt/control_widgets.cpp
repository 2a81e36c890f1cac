#include "ui/qt/control_widgets.h"

#include <algorithm>
#include <optional>

#include <QAccessible>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScrollBar>
#include <QStyle>
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
    setGridStyle(Qt::NoPen);  // paintEvent draws the grid
    SetExtendedStyle(0);
    // The table's own handling of each changed cell (its item-changed signal; sorting, which a
    // list never does) costs more than the change: a check box's change is announced from
    // dataChanged instead.
    const QAbstractItemModel* cells = model();
    disconnect(cells, SIGNAL(dataChanged(QModelIndex,QModelIndex)), this,
               SLOT(_q_emitItemChanged(QModelIndex)));
    disconnect(cells, SIGNAL(dataChanged(QModelIndex,QModelIndex)), this,
               SLOT(_q_dataChanged(QModelIndex,QModelIndex)));
}

void ListViewWidget::AnnounceCheck(int row) {
    QTableWidgetItem* cell = item(row, 0);
    if (cell == nullptr || (cell->flags() & Qt::ItemIsUserCheckable) == 0) return;
    const bool checked = cell->checkState() == Qt::Checked;
    const QVariant last = cell->data(kLastCheckRole);
    if (last.isValid() && last.toBool() == checked) return;
    cell->setData(kLastCheckRole, checked);
    emit CheckChanged(row, checked);
}

void ListViewWidget::SetExtendedStyle(unsigned style) {
    extendedStyle_ = style;
    setShowGrid((style & LVS_EX_GRIDLINES) != 0);
    setSelectionBehavior((style & LVS_EX_FULLROWSELECT) != 0 ? QAbstractItemView::SelectRows
                                                              : QAbstractItemView::SelectItems);
}

void ListViewWidget::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                 const QList<int>& roles) {
    if (topLeft.isValid() && topLeft.column() == 0) {
        for (int row = topLeft.row(); row <= bottomRight.row(); ++row) AnnounceCheck(row);
    }
    // An open editor follows its cell's data through the view's own handling.
    if (topLeft != bottomRight || !topLeft.isValid() || Editing()) {
        QTableWidget::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    CellChanged(topLeft.row(), topLeft.column());
}

void ListViewWidget::CellChanged(int row, int column) {
    if (QAccessible::isActive()) {
        QAccessibleTableModelChangeEvent event(this, QAccessibleTableModelChangeEvent::DataChanged);
        event.setFirstRow(row);
        event.setLastRow(row);
        event.setFirstColumn(column);
        event.setLastColumn(column);
        QAccessible::updateAccessibility(&event);
    }
    changedCells_.append(QPoint(column, row));
    if (repaintDue_) return;
    repaintDue_ = true;
    QMetaObject::invokeMethod(this, &ListViewWidget::RepaintChangedCells, Qt::QueuedConnection);
}

void ListViewWidget::SetCellText(int row, int column, const QString& text) {
    QTableWidgetItem* cell = item(row, column);
    if (cell == nullptr) {
        cell = new QTableWidgetItem(text);
        if (ColumnFormat(column) == LVCFMT_RIGHT) {
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
        setItem(row, column, cell);
        return;
    }
    if (column == 0 || Editing()) {
        cell->setText(text);  // the view's own handling: a check box's row, an open editor
        return;
    }
    if (cell->text() == text) return;  // as the item itself would: no change, no signal
    {
        const QSignalBlocker quiet(model());
        cell->setText(text);
    }
    CellChanged(row, column);
}

void ListViewWidget::RepaintChangedCells() {
    repaintDue_ = false;
    QList<QPoint> cells;
    cells.swap(changedCells_);
    if (!isVisible()) return;
    // Rows may have gone since: what is left of the list is laid out and painted anew.
    const int rows = rowCount();
    const int columns = columnCount();
    // Each cell's own rectangle, not the rectangle around them all: the grid and the cells
    // between them stay as they are. Added top to bottom and left to right, the region grows
    // at its end.
    const QRect view = viewport()->rect();
    // Rows out of view cost nothing; the list is not sorted, so a row's visual index is its own.
    const int firstRow = std::max(verticalHeader()->visualIndexAt(0), 0);
    int lastRow = verticalHeader()->visualIndexAt(view.height() - 1);
    if (lastRow < 0) lastRow = rows - 1;
    QList<QRect> rects;
    rects.reserve(cells.size());
    for (QPoint c : cells) {
        if (c.y() < firstRow || c.y() > lastRow || c.x() >= columns) continue;
        const QRect rect = visualRect(model()->index(c.y(), c.x()));
        if (rect.intersects(view)) rects.append(rect);
    }
    if (rects.isEmpty()) return;
    std::sort(rects.begin(), rects.end(), [](const QRect& a, const QRect& b) {
        return a.top() != b.top() ? a.top() < b.top() : a.left() < b.left();
    });
    rects.erase(std::unique(rects.begin(), rects.end()), rects.end());  // set twice
    QRegion region;
    for (const QRect& rect : rects) region += rect;
    viewport()->update(region);
}

void ListViewWidget::paintEvent(QPaintEvent* event) {
    QTableWidget::paintEvent(event);
    if (showGrid()) PaintGrid(event->region());
}

// The same pixels as the table's own solid grid: a row's line is its last pixel row, a column's
// its last pixel column (its first in a right-to-left layout), within the rows and columns
// there are.
void ListViewWidget::PaintGrid(const QRegion& region) {
    QHeaderView* rows = verticalHeader();
    QHeaderView* columns = horizontalHeader();
    if (rows->count() == 0 || columns->count() == 0) return;
    const bool rightToLeft = isRightToLeft();
    const int extentX = columns->length() - columns->offset() - (rightToLeft ? 0 : 1);
    const int extentY = rows->length() - rows->offset() - 1;
    std::optional<QPainter> painter;
    QColor colour;
    const auto line = [&](const QRect& rect) {
        if (!painter) {
            QStyleOptionViewItem option;
            initViewItemOption(&option);
            colour = QColor::fromRgba(static_cast<QRgb>(
                style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
            painter.emplace(viewport());
        }
        painter->fillRect(rect, colour);
    };
    for (QRect area : region) {
        area.setBottom(std::min(area.bottom(), extentY));
        if (rightToLeft) {
            area.setLeft(std::max(area.left(), viewport()->width() - extentX));
        } else {
            area.setRight(std::min(area.right(), extentX));
        }
        if (!area.isValid()) continue;
        const int top = rows->visualIndexAt(area.top());
        int bottom = rows->visualIndexAt(area.bottom());
        if (bottom == -1) bottom = rows->count() - 1;
        if (top == -1 || top > bottom) continue;
        for (int visual = top; visual <= bottom; ++visual) {
            const int row = rows->logicalIndex(visual);
            if (rows->isSectionHidden(row)) continue;
            const int y = rowViewportPosition(row) + rowHeight(row) - 1;
            if (y >= area.top() && y <= area.bottom()) {
                line(QRect(area.left(), y, area.width(), 1));
            }
        }
        int left = columns->visualIndexAt(area.left());
        int right = columns->visualIndexAt(area.right());
        if (rightToLeft) std::swap(left, right);
        if (left == -1) left = 0;
        if (right == -1) right = columns->count() - 1;
        for (int visual = left; visual <= right; ++visual) {
            const int column = columns->logicalIndex(visual);
            if (columns->isSectionHidden(column)) continue;
            int x = columnViewportPosition(column);
            if (!rightToLeft) x += columnWidth(column) - 1;
            if (x >= area.left() && x <= area.right()) {
                line(QRect(x, area.top(), 1, area.height()));
            }
        }
    }
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
