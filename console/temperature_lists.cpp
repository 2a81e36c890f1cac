#include "console/temperature_lists.h"

#include <cstdio>
#include <string>

#include "console/scanner_dlg.h"
#include "link/temp_word.h"
#include "link/temperature_block.h"

ListCell ProbeCell(int probe) {
    if (probe <= kLeftListRows) return {TemperatureList::Left, probe - 1};
    if (probe <= kLeftListRows + kMiddleListRows) return {TemperatureList::Middle, probe - 27};
    return {TemperatureList::Right, probe - 48};
}

namespace {

std::string Label(const char* format, int number) {
    char text[32];
    std::snprintf(text, sizeof text, format, number);
    return text;
}

void AddColumns(CListCtrl& list) {
    list.InsertColumn(0, "内容", LVCFMT_LEFT, kLabelColumnWidth);
    list.InsertColumn(1, "值", LVCFMT_LEFT, kValueColumnWidth);
}

void AddProbeRows(CListCtrl& list, int firstProbe, int rows) {
    for (int i = 0; i < rows; ++i)
        list.InsertItem(list.GetItemCount(), Label("温度%d", firstProbe + i));
}

void BlankValues(CListCtrl& list, int firstRow, int lastRow) {
    for (int row = firstRow; row <= lastRow; ++row) list.SetItemText(row, 1, " ");
}

}  // namespace

void CScannerDlg::SetupTemperatureLists() {
    AddColumns(m_listLeft);
    AddProbeRows(m_listLeft, 1, kLeftListRows);

    AddColumns(m_listMiddle);
    AddProbeRows(m_listMiddle, 27, kMiddleListRows);

    AddColumns(m_listRight);
    for (int k = 1; k <= kPt100Rows; ++k)
        m_listRight.InsertItem(m_listRight.GetItemCount(), Label("PT100温度%d", k));
    m_listRight.InsertItem(m_listRight.GetItemCount(), "");
    AddProbeRows(m_listRight, 53, kMaxProbes - 52);

    for (CListCtrl* list : {&m_listLeft, &m_listMiddle, &m_listRight}) {
        list->SetExtendedStyle(list->GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT |
                               LVS_EX_TWOCLICKACTIVATE);
    }
}

void CScannerDlg::ShowTemperatures() {
    const ReplyBlock& block = g_rxBlock;
    const int n = (256 * block[5] + block[6] - 8) / 2;

    for (int k = 0; k < kPt100Rows; ++k)
        m_listRight.SetItemText(k, 1, FormatTempWord(block[7 + 2 * k], block[8 + 2 * k]));

    BlankValues(m_listLeft, 0, kLeftListRows - 1);
    if (n > kLeftListRows) BlankValues(m_listMiddle, 0, kMiddleListRows - 1);
    if (n > kLeftListRows + kMiddleListRows) BlankValues(m_listRight, 4, kRightListRows - 1);

    for (int i = 0; i < n && i < kMaxProbes; ++i) {
        const ListCell cell = ProbeCell(i + 1);
        CListCtrl& list = cell.list == TemperatureList::Left     ? m_listLeft
                          : cell.list == TemperatureList::Middle ? m_listMiddle
                                                                 : m_listRight;
        list.SetItemText(cell.row, 1, FormatTempWord(block[15 + 2 * i], block[16 + 2 * i]));
    }
}
