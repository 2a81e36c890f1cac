#include "ui/controls.h"

#include <algorithm>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>

#include "ui/qt/control_widgets.h"

namespace {

template <class W>
W* As(QWidget* widget) {
    return qobject_cast<W*>(widget);
}

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

// --- CEdit -----------------------------------------------------------------------------------

void CEdit::SetSel(int start, int end) {
    auto* edit = As<QLineEdit>(widget_);
    if (edit == nullptr) return;
    const int length = static_cast<int>(edit->text().size());
    if (start == -1) {  // remove the selection
        edit->deselect();
        return;
    }
    if (end == -1 || end > length) end = length;
    start = std::min(start, length);
    edit->setSelection(start, end - start);
}

// --- CButton ---------------------------------------------------------------------------------

int CButton::GetCheck() const {
    auto* button = As<QAbstractButton>(widget_);
    return button != nullptr && button->isChecked() ? 1 : 0;
}

void CButton::SetCheck(int check) {
    auto* button = As<QAbstractButton>(widget_);
    if (button == nullptr || !button->isCheckable()) return;
    if (check != 0) {
        button->setChecked(true);
        return;
    }
    // An exclusive group refuses to uncheck its checked button; the platform's buttons do not.
    QButtonGroup* group = button->group();
    if (group != nullptr) group->setExclusive(false);
    button->setChecked(false);
    if (group != nullptr) group->setExclusive(true);
}

// --- CStatic ---------------------------------------------------------------------------------

void CStatic::SetIcon(HICON icon) {
    auto* label = As<QLabel>(widget_);
    if (label == nullptr) return;
    if (icon == nullptr) {
        label->clear();
    } else {
        label->setPixmap(icon->pixmap(label->size().boundedTo(QSize(32, 32))));
    }
}

// --- CComboBox -------------------------------------------------------------------------------

int CComboBox::GetCount() const {
    auto* combo = As<ComboWidget>(widget_);
    return combo != nullptr ? combo->count() : 0;
}

int CComboBox::GetCurSel() const {
    auto* combo = As<ComboWidget>(widget_);
    return combo != nullptr ? combo->CurSel() : CB_ERR;
}

int CComboBox::SetCurSel(int index) {
    auto* combo = As<ComboWidget>(widget_);
    return combo != nullptr ? combo->SetCurSel(index) : CB_ERR;
}

std::string CComboBox::GetLBText(int index) const {
    auto* combo = As<ComboWidget>(widget_);
    if (combo == nullptr || index < 0 || index >= combo->count()) return {};
    return combo->itemText(index).toStdString();
}

int CComboBox::AddString(const std::string& text) {
    auto* combo = As<ComboWidget>(widget_);
    if (combo == nullptr) return CB_ERR;
    const bool hadNone = combo->currentIndex() == -1;
    const QString editText = combo->currentText();
    combo->addItem(Q(text));
    // Adding the first item must not select it, as on the platform.
    if (hadNone && combo->currentIndex() != -1) {
        combo->setCurrentIndex(-1);
        if (combo->isEditable()) combo->setEditText(editText);
    }
    return combo->count() - 1;
}

void CComboBox::ResetContent() {
    if (auto* combo = As<ComboWidget>(widget_)) {
        combo->clear();
        combo->SetCurSel(-1);
        if (combo->isEditable()) combo->setEditText(QString());
    }
}

int CComboBox::FindString(int startAfter, const std::string& prefix) const {
    auto* combo = As<ComboWidget>(widget_);
    return combo != nullptr ? combo->FindPrefix(startAfter, Q(prefix)) : CB_ERR;
}

int CComboBox::SelectString(int startAfter, const std::string& prefix) {
    auto* combo = As<ComboWidget>(widget_);
    if (combo == nullptr) return CB_ERR;
    const int found = combo->FindPrefix(startAfter, Q(prefix));
    if (found == CB_ERR) return CB_ERR;  // the selection stays as it was
    return combo->SetCurSel(found);
}

// --- CListCtrl -------------------------------------------------------------------------------

int CListCtrl::InsertColumn(int column, const std::string& heading, int format, int width) {
    auto* list = As<ListViewWidget>(widget_);
    if (list == nullptr || column < 0) return -1;
    column = std::min(column, list->columnCount());
    list->insertColumn(column);
    auto* header = new QTableWidgetItem(Q(heading));
    header->setTextAlignment(format == LVCFMT_LEFT    ? Qt::AlignLeft | Qt::AlignVCenter
                             : format == LVCFMT_RIGHT ? Qt::AlignRight | Qt::AlignVCenter
                                                      : Qt::AlignCenter);
    list->SetColumnFormat(column, format);
    list->setHorizontalHeaderItem(column, header);
    if (width >= 0) list->setColumnWidth(column, width);
    return column;
}

int CListCtrl::InsertItem(int row, const std::string& label) {
    auto* list = As<ListViewWidget>(widget_);
    if (list == nullptr || row < 0) return -1;
    row = std::min(row, list->rowCount());
    list->insertRow(row);
    auto* item = new QTableWidgetItem(Q(label));
    if ((list->ExtendedStyle() & LVS_EX_CHECKBOXES) != 0) {
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setData(ListViewWidget::kLastCheckRole, false);
    }
    list->setItem(row, 0, item);
    return row;
}

BOOL CListCtrl::SetItemText(int row, int column, const std::string& text) {
    auto* list = As<ListViewWidget>(widget_);
    if (list == nullptr || row < 0 || row >= list->rowCount() || column < 0 ||
        column >= list->columnCount()) {
        return FALSE;
    }
    list->SetCellText(row, column, Q(text));
    return TRUE;
}

std::string CListCtrl::GetItemText(int row, int column) const {
    auto* list = As<ListViewWidget>(widget_);
    if (list == nullptr) return {};
    QTableWidgetItem* item = list->item(row, column);
    return item != nullptr ? item->text().toStdString() : std::string();
}

int CListCtrl::GetItemCount() const {
    auto* list = As<ListViewWidget>(widget_);
    return list != nullptr ? list->rowCount() : 0;
}

BOOL CListCtrl::DeleteAllItems() {
    auto* list = As<ListViewWidget>(widget_);
    if (list == nullptr) return FALSE;
    list->setRowCount(0);
    return TRUE;
}

int CListCtrl::GetColumnWidth(int column) const {
    auto* list = As<ListViewWidget>(widget_);
    if (list == nullptr || column < 0 || column >= list->columnCount()) return 0;
    return list->columnWidth(column);
}

std::string CListCtrl::GetColumnHeading(int column) const {
    auto* list = As<ListViewWidget>(widget_);
    if (list == nullptr) return {};
    QTableWidgetItem* header = list->horizontalHeaderItem(column);
    return header != nullptr ? header->text().toStdString() : std::string();
}

unsigned CListCtrl::GetExtendedStyle() const {
    auto* list = As<ListViewWidget>(widget_);
    return list != nullptr ? list->ExtendedStyle() : 0;
}

void CListCtrl::SetExtendedStyle(unsigned style) {
    if (auto* list = As<ListViewWidget>(widget_)) list->SetExtendedStyle(style);
}

int CListCtrl::GetSelectionMark() const {
    auto* list = As<ListViewWidget>(widget_);
    if (list == nullptr) return -1;
    const QList<QTableWidgetItem*> chosen = list->selectedItems();
    return chosen.isEmpty() ? -1 : chosen.front()->row();
}

void CListCtrl::SetSelectionMark(int row) {
    auto* list = As<ListViewWidget>(widget_);
    if (list == nullptr || row < 0 || row >= list->rowCount()) return;
    list->selectRow(row);
    list->scrollTo(list->model()->index(row, 0));
}

BOOL CListCtrl::GetCheck(int row) const {
    auto* list = As<ListViewWidget>(widget_);
    QTableWidgetItem* item = list != nullptr ? list->item(row, 0) : nullptr;
    return item != nullptr && item->checkState() == Qt::Checked ? TRUE : FALSE;
}

BOOL CListCtrl::SetCheck(int row, BOOL check) {
    auto* list = As<ListViewWidget>(widget_);
    QTableWidgetItem* item = list != nullptr ? list->item(row, 0) : nullptr;
    if (item == nullptr || (item->flags() & Qt::ItemIsUserCheckable) == 0) return FALSE;
    item->setCheckState(check ? Qt::Checked : Qt::Unchecked);
    return TRUE;
}

// --- CListBox --------------------------------------------------------------------------------

int CListBox::AddString(const std::string& text) {
    auto* list = As<ListBoxWidget>(widget_);
    if (list == nullptr) return LB_ERR;
    list->addItem(Q(text));
    return list->count() - 1;
}

int CListBox::InsertString(int index, const std::string& text) {
    auto* list = As<ListBoxWidget>(widget_);
    if (list == nullptr || index < -1 || index > list->count()) return LB_ERR;
    if (index == -1) index = list->count();  // -1 adds at the end
    list->insertItem(index, Q(text));
    return index;
}

int CListBox::DeleteString(int index) {
    auto* list = As<ListBoxWidget>(widget_);
    if (list == nullptr || index < 0 || index >= list->count()) return LB_ERR;
    delete list->takeItem(index);
    return list->count();
}

int CListBox::GetCount() const {
    auto* list = As<ListBoxWidget>(widget_);
    return list != nullptr ? list->count() : 0;
}

std::string CListBox::GetText(int index) const {
    auto* list = As<ListBoxWidget>(widget_);
    if (list == nullptr || index < 0 || index >= list->count()) return {};
    return list->item(index)->text().toStdString();
}

int CListBox::SetTopIndex(int index) {
    auto* list = As<ListBoxWidget>(widget_);
    return list != nullptr ? list->SetTopIndex(index) : LB_ERR;
}

int CListBox::GetTopIndex() const {
    auto* list = As<ListBoxWidget>(widget_);
    return list != nullptr ? list->TopIndex() : 0;
}

void CListBox::ResetContent() {
    if (auto* list = As<ListBoxWidget>(widget_)) list->clear();
}

// --- CSpinButtonCtrl -------------------------------------------------------------------------

void CSpinButtonCtrl::SetRange32(int lower, int upper) {
    if (auto* spin = As<SpinWidget>(widget_)) spin->SetRange(lower, upper);
}

void CSpinButtonCtrl::GetRange32(int& lower, int& upper) const {
    auto* spin = As<SpinWidget>(widget_);
    lower = spin != nullptr ? spin->Lower() : 0;
    upper = spin != nullptr ? spin->Upper() : 0;
}

int CSpinButtonCtrl::SetPos32(int pos) {
    auto* spin = As<SpinWidget>(widget_);
    return spin != nullptr ? spin->SetPos(pos) : 0;
}

int CSpinButtonCtrl::GetPos32() const {
    auto* spin = As<SpinWidget>(widget_);
    return spin != nullptr ? spin->Pos() : 0;
}
