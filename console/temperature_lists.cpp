#include "console/temperature_lists.h"

#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "console/scanner_dlg.h"
#include "link/module_commands.h"
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

// The value column of one list as a block leaves it, written once per cell at the end, so that a
// cell showing the same as before is not touched (blanking it first and writing its value again
// would announce two changes of a cell that did not change).
class ValueColumn {
public:
    ValueColumn(CListCtrl& list, int rows) : list_(list), texts_(static_cast<std::size_t>(rows)) {}
    void Blank(int firstRow, int lastRow) {
        for (int row = firstRow; row <= lastRow; ++row) Set(row, " ");
    }
    void Set(int row, std::string text) { texts_[static_cast<std::size_t>(row)] = std::move(text); }
    void Write() {
        for (std::size_t row = 0; row < texts_.size(); ++row) {
            if (!texts_[row]) continue;
            const int r = static_cast<int>(row);
            if (list_.GetItemText(r, 1) != *texts_[row]) list_.SetItemText(r, 1, *texts_[row]);
        }
    }

private:
    CListCtrl& list_;
    std::vector<std::optional<std::string>> texts_;
};

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
    // The block's layout is the command layer's: the 4 PT100 words, then the probes.
    const std::optional<TemperatureBlockReply> decoded =
        DecodeTemperatureBlockReply(ReceivedReply(g_rxBlock, kReplyBufferSize));
    const std::vector<std::uint16_t> words = decoded ? decoded->words : std::vector<std::uint16_t>();
    const auto text = [&words](int i) {
        const std::uint16_t word = i < static_cast<int>(words.size()) ? words[i] : 0;
        return FormatTempWord(static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word));
    };
    const int n = static_cast<int>(words.size()) - kPt100Rows;
    ValueColumn left(m_listLeft, kLeftListRows);
    ValueColumn middle(m_listMiddle, kMiddleListRows);
    ValueColumn right(m_listRight, kRightListRows);

    for (int k = 0; k < kPt100Rows; ++k) right.Set(k, text(k));

    left.Blank(0, kLeftListRows - 1);
    if (n > kLeftListRows) middle.Blank(0, kMiddleListRows - 1);
    if (n > kLeftListRows + kMiddleListRows) right.Blank(4, kRightListRows - 1);

    for (int i = 0; i < n && i < kMaxProbes; ++i) {
        const ListCell cell = ProbeCell(i + 1);
        ValueColumn& column = cell.list == TemperatureList::Left     ? left
                              : cell.list == TemperatureList::Middle ? middle
                                                                     : right;
        column.Set(cell.row, text(kPt100Rows + i));
    }
    for (ValueColumn* column : {&left, &middle, &right}) column->Write();
}
