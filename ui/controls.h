#pragma once
// Typed access to the controls of a dialog template.
#include <cstdint>
#include <string>

#include "ui/wnd.h"


class CEdit : public CWnd {
public:
    void SetSel(int start, int end);
};

class CButton : public CWnd {
public:
    int GetCheck() const;
    void SetCheck(int check);
};

class CStatic : public CWnd {
public:
    void SetIcon(HICON icon);
};

class CComboBox : public CWnd {
public:
    int GetCount() const;
    int GetCurSel() const;  // -1 when nothing is selected (or, editable, once text is typed)
    int SetCurSel(int index);
    std::string GetLBText(int index) const;
    int AddString(const std::string& text);
    void ResetContent();
    int FindString(int startAfter, const std::string& prefix) const;
    int SelectString(int startAfter, const std::string& prefix);
};

class CListCtrl : public CWnd {
public:
    int InsertColumn(int column, const std::string& heading, int format = LVCFMT_LEFT,
                     int width = -1);
    int InsertItem(int row, const std::string& label);
    BOOL SetItemText(int row, int column, const std::string& text);
    std::string GetItemText(int row, int column) const;
    int GetItemCount() const;
    BOOL DeleteAllItems();
    int GetColumnWidth(int column) const;
    std::string GetColumnHeading(int column) const;
    unsigned GetExtendedStyle() const;
    void SetExtendedStyle(unsigned style);
    // Rows' check boxes (LVS_EX_CHECKBOXES); a change is announced with LVN_ITEMCHANGED.
    // The selected row (the list selects one at a time), -1 when none; selecting a row also
    // scrolls it into view.
    int GetSelectionMark() const;
    void SetSelectionMark(int row);
    BOOL GetCheck(int row) const;
    BOOL SetCheck(int row, BOOL check = TRUE);
    // A small square of one colour (0xAARRGGBB) before the row's label, as a chart's legend
    // shows a line's colour. Give every row its swatch, after the rows are inserted.
    BOOL SetItemSwatch(int row, std::uint32_t colour);
    // The colour the row's swatch is drawn in (opaque), 0 when it has none.
    std::uint32_t GetItemSwatch(int row) const;
};

class CListBox : public CWnd {
public:
    int AddString(const std::string& text);
    int InsertString(int index, const std::string& text);
    int DeleteString(int index);  // returns the count left, or -1
    int GetCount() const;
    std::string GetText(int index) const;
    int SetTopIndex(int index);
    int GetTopIndex() const;
    void ResetContent();
};

class CSpinButtonCtrl : public CWnd {
public:
    void SetRange32(int lower, int upper);
    void GetRange32(int& lower, int& upper) const;
    int SetPos32(int pos);
    int GetPos32() const;
    // The 16-bit forms of the same messages.
    void SetRange(int lower, int upper) { SetRange32(lower, upper); }
    int SetPos(int pos) { return SetPos32(pos); }
    int GetPos() const { return GetPos32(); }
};
