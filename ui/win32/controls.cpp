#include "ui/win32/dialog_widget.h"

#include "ui/controls.h"

namespace {

LRESULT Send(NativeHwnd hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return hwnd != nullptr ? ::SendMessageW(hwnd, message, wParam, lParam) : -1;
}

LPARAM TextParam(const std::wstring& text) { return reinterpret_cast<LPARAM>(text.c_str()); }

}  // namespace

void CEdit::SetSel(int start, int end) { Send(widget_, EM_SETSEL, start, end); }

int CButton::GetCheck() const { return static_cast<int>(Send(widget_, BM_GETCHECK)); }

void CButton::SetCheck(int check) { Send(widget_, BM_SETCHECK, static_cast<WPARAM>(check)); }

void CStatic::SetIcon(HICON icon) { Send(widget_, STM_SETICON, reinterpret_cast<WPARAM>(icon)); }

int CComboBox::GetCount() const { return static_cast<int>(Send(widget_, CB_GETCOUNT)); }

int CComboBox::GetCurSel() const { return static_cast<int>(Send(widget_, CB_GETCURSEL)); }

int CComboBox::SetCurSel(int index) {
    return static_cast<int>(Send(widget_, CB_SETCURSEL, static_cast<WPARAM>(index)));
}

std::string CComboBox::GetLBText(int index) const {
    const LRESULT length = Send(widget_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length < 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    Send(widget_, CB_GETLBTEXT, static_cast<WPARAM>(index),
         reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return Utf8(text);
}

int CComboBox::AddString(const std::string& text) {
    return static_cast<int>(Send(widget_, CB_ADDSTRING, 0, TextParam(Wide(text))));
}

void CComboBox::ResetContent() { Send(widget_, CB_RESETCONTENT); }

int CComboBox::FindString(int startAfter, const std::string& prefix) const {
    return static_cast<int>(
        Send(widget_, CB_FINDSTRING, static_cast<WPARAM>(startAfter), TextParam(Wide(prefix))));
}

int CComboBox::SelectString(int startAfter, const std::string& prefix) {
    return static_cast<int>(Send(widget_, CB_SELECTSTRING, static_cast<WPARAM>(startAfter),
                                 TextParam(Wide(prefix))));
}

int CListCtrl::InsertColumn(int column, const std::string& heading, int format, int width) {
    std::wstring text = Wide(heading);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_FMT | LVCF_SUBITEM;
    col.fmt = format;
    col.pszText = text.data();
    col.iSubItem = column;
    if (width >= 0) {
        col.mask |= LVCF_WIDTH;
        col.cx = width;
    }
    return static_cast<int>(
        Send(widget_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
             reinterpret_cast<LPARAM>(&col)));
}

int CListCtrl::InsertItem(int row, const std::string& label) {
    std::wstring text = Wide(label);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = text.data();
    return static_cast<int>(Send(widget_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

BOOL CListCtrl::SetItemText(int row, int column, const std::string& value) {
    std::wstring text = Wide(value);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text.data();
    return Send(widget_, LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                reinterpret_cast<LPARAM>(&item)) > 0
               ? TRUE
               : FALSE;
}

std::string CListCtrl::GetItemText(int row, int column) const {
    std::wstring buffer(1024, L'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    const LRESULT length = Send(widget_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                reinterpret_cast<LPARAM>(&item));
    buffer.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return Utf8(buffer);
}

int CListCtrl::GetItemCount() const { return static_cast<int>(Send(widget_, LVM_GETITEMCOUNT)); }

BOOL CListCtrl::DeleteAllItems() { return Send(widget_, LVM_DELETEALLITEMS) > 0 ? TRUE : FALSE; }

int CListCtrl::GetColumnWidth(int column) const {
    return static_cast<int>(Send(widget_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
}

std::string CListCtrl::GetColumnHeading(int column) const {
    std::wstring buffer(256, L'\0');
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = buffer.data();
    col.cchTextMax = static_cast<int>(buffer.size());
    if (Send(widget_, LVM_GETCOLUMNW, static_cast<WPARAM>(column),
             reinterpret_cast<LPARAM>(&col)) <= 0) {
        return {};
    }
    buffer.resize(std::wcslen(buffer.c_str()));
    return Utf8(buffer);
}

unsigned CListCtrl::GetExtendedStyle() const {
    return static_cast<unsigned>(Send(widget_, LVM_GETEXTENDEDLISTVIEWSTYLE));
}

void CListCtrl::SetExtendedStyle(unsigned style) {
    Send(widget_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style));
}

int CListCtrl::GetSelectionMark() const {
    return static_cast<int>(Send(widget_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void CListCtrl::SetSelectionMark(int row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    if (Send(widget_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)) ==
        0) {
        return;
    }
    Send(widget_, LVM_SETSELECTIONMARK, 0, row);
    Send(widget_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

BOOL CListCtrl::GetCheck(int row) const {
    const LRESULT state = Send(widget_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), 0xF000);
    return ((static_cast<UINT>(state) & 0xF000u) >> 12) == 2 ? TRUE : FALSE;
}

BOOL CListCtrl::SetCheck(int row, BOOL check) {
    LVITEMW item{};
    item.stateMask = 0xF000;  // the state image: 1 unchecked, 2 checked
    item.state = (check ? 2u : 1u) << 12;
    return Send(widget_, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                reinterpret_cast<LPARAM>(&item)) != 0
               ? TRUE
               : FALSE;
}

int CListBox::AddString(const std::string& text) {
    return static_cast<int>(Send(widget_, LB_ADDSTRING, 0, TextParam(Wide(text))));
}

int CListBox::InsertString(int index, const std::string& text) {
    return static_cast<int>(
        Send(widget_, LB_INSERTSTRING, static_cast<WPARAM>(index), TextParam(Wide(text))));
}

int CListBox::DeleteString(int index) {
    return static_cast<int>(Send(widget_, LB_DELETESTRING, static_cast<WPARAM>(index)));
}

int CListBox::GetCount() const { return static_cast<int>(Send(widget_, LB_GETCOUNT)); }

std::string CListBox::GetText(int index) const {
    const LRESULT length = Send(widget_, LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length < 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    Send(widget_, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return Utf8(text);
}

int CListBox::SetTopIndex(int index) {
    return static_cast<int>(Send(widget_, LB_SETTOPINDEX, static_cast<WPARAM>(index)));
}

int CListBox::GetTopIndex() const { return static_cast<int>(Send(widget_, LB_GETTOPINDEX)); }

void CListBox::ResetContent() { Send(widget_, LB_RESETCONTENT); }

void CSpinButtonCtrl::SetRange32(int lower, int upper) {
    Send(widget_, UDM_SETRANGE32, static_cast<WPARAM>(lower), static_cast<LPARAM>(upper));
}

void CSpinButtonCtrl::GetRange32(int& lower, int& upper) const {
    Send(widget_, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower),
         reinterpret_cast<LPARAM>(&upper));
}

int CSpinButtonCtrl::SetPos32(int pos) {
    return static_cast<int>(Send(widget_, UDM_SETPOS32, 0, static_cast<LPARAM>(pos)));
}

int CSpinButtonCtrl::GetPos32() const {
    return static_cast<int>(Send(widget_, UDM_GETPOS32, 0, 0));
}
