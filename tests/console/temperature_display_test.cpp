// Showing a temperature block: which cells a block writes, blanks or leaves alone.
#include <algorithm>
#include <iterator>
#include <memory>
#include <vector>

#include "console/temperature_lists.h"
#include "link/temp_word.h"
#include "link/temperature_block.h"
#include "tests/console/scanner_fixture.h"
#if UITEST_BACKEND_QT
#include <QCoreApplication>
#include <QPaintEvent>
#include <QRegion>
#include <QTableWidget>
#endif

namespace {

// A block as the exchange leaves it: PT100 words, then one word per probe.
void LoadBlock(const std::vector<int>& pt100Tenths, const std::vector<int>& probeTenths) {
    g_rxBlock.fill(0);
    const int length = 2 * static_cast<int>(pt100Tenths.size() + probeTenths.size());
    g_rxBlock[5] = static_cast<std::uint8_t>(length >> 8);
    g_rxBlock[6] = static_cast<std::uint8_t>(length);
    int at = 7;
    for (const auto* values : {&pt100Tenths, &probeTenths}) {
        for (int tenths : *values) {
            const std::uint16_t word = TempWordFromTenths(tenths);
            g_rxBlock[at++] = static_cast<std::uint8_t>(word >> 8);
            g_rxBlock[at++] = static_cast<std::uint8_t>(word);
        }
    }
}

std::vector<int> Probes(int count, int base) {
    std::vector<int> values;
    for (int i = 1; i <= count; ++i) values.push_back(base + i);
    return values;
}

std::string Tenths(int tenths) {
    const std::uint16_t word = TempWordFromTenths(tenths);
    return FormatTempWord(static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word));
}

class TemperatureDisplayTest : public ScannerWindowTest {
protected:
    std::string Probe(int p) {
        const ListCell cell = ProbeCell(p);
        const int ids[] = {IDC_LIST_LEFT, IDC_LIST_MIDDLE, IDC_LIST_RIGHT};
        return Cell(ids[static_cast<int>(cell.list)], cell.row);
    }
    void FillEveryCell(const std::string& text) {
        for (CListCtrl* list : {&dlg.m_listLeft, &dlg.m_listMiddle, &dlg.m_listRight})
            for (int row = 0; row < list->GetItemCount(); ++row) list->SetItemText(row, 1, text);
    }
};

TEST_F(TemperatureDisplayTest, BlockWithoutProbesShowsPt100AndBlanksOnlyTheLeftList) {
    FillEveryCell("old");
    LoadBlock({235, -235, 0, 32767}, {});
    dlg.ShowTemperatures();
    EXPECT_EQ(Cell(IDC_LIST_RIGHT, 0), "23.5");
    EXPECT_EQ(Cell(IDC_LIST_RIGHT, 1), "-23.5");
    EXPECT_EQ(Cell(IDC_LIST_RIGHT, 2), "0.0");
    EXPECT_EQ(Cell(IDC_LIST_RIGHT, 3), "3276.7");
    for (int row = 0; row < 26; ++row) EXPECT_EQ(Cell(IDC_LIST_LEFT, row), " ") << row;
    EXPECT_EQ(Cell(IDC_LIST_MIDDLE, 0), "old");
    EXPECT_EQ(Cell(IDC_LIST_RIGHT, 4), "old");
    EXPECT_EQ(Cell(IDC_LIST_RIGHT, 16), "old");
}

TEST_F(TemperatureDisplayTest, ThirtyProbesFillLeftAndTopOfMiddleAndLeaveTheRightProbeRows) {
    FillEveryCell("old");
    LoadBlock({1, 2, 3, 4}, Probes(30, 100));
    dlg.ShowTemperatures();
    for (int p = 1; p <= 30; ++p) EXPECT_EQ(Probe(p), Tenths(100 + p)) << p;
    for (int row = 4; row < 26; ++row) EXPECT_EQ(Cell(IDC_LIST_MIDDLE, row), " ") << row;
    for (int row = 4; row < 17; ++row) EXPECT_EQ(Cell(IDC_LIST_RIGHT, row), "old") << row;
}

TEST_F(TemperatureDisplayTest, SixtyFourProbesFillEveryValueCellButTheUnlabelledRow) {
    FillEveryCell("old");
    LoadBlock({1, 2, 3, 4}, Probes(64, -40));
    dlg.ShowTemperatures();
    for (int p = 1; p <= 64; ++p) EXPECT_EQ(Probe(p), Tenths(-40 + p)) << p;
    EXPECT_EQ(Cell(IDC_LIST_RIGHT, 4), " ");
}

TEST_F(TemperatureDisplayTest, FewerProbesAfterMoreLeaveTheUnreachedListAsItWas) {
    LoadBlock({1, 2, 3, 4}, Probes(40, 200));
    dlg.ShowTemperatures();
    LoadBlock({1, 2, 3, 4}, Probes(10, 500));
    dlg.ShowTemperatures();
    for (int p = 1; p <= 10; ++p) EXPECT_EQ(Probe(p), Tenths(500 + p)) << p;
    for (int p = 11; p <= 26; ++p) EXPECT_EQ(Probe(p), " ") << p;
    for (int p = 27; p <= 40; ++p) EXPECT_EQ(Probe(p), Tenths(200 + p)) << "earlier reading";
}

TEST_F(TemperatureDisplayTest, NegativeZeroWordShowsItsSign) {
    LoadBlock({0, 0, 0, 0}, {});
    g_rxBlock[7] = 0x80;  // sign bit with a zero magnitude
    dlg.ShowTemperatures();
    EXPECT_EQ(Cell(IDC_LIST_RIGHT, 0), "-0.0");
}

}  // namespace

namespace {

// A block that repeats the last one changes no cell, and one new reading changes one: only
// that cell is repainted (and announced to a screen reader, which the same call does), not
// a blank and a rewrite of every row.
TEST_F(TemperatureDisplayTest, OnlyTheCellWhoseTextChangesIsPaintedAgain) {
#if UITEST_BACKEND_QT
    struct PaintSpy : QObject {
        QRegion painted;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) {
                painted += static_cast<QPaintEvent*>(event)->region();
            }
            return false;
        }
    };
    const int ids[] = {IDC_LIST_LEFT, IDC_LIST_MIDDLE, IDC_LIST_RIGHT};
    PaintSpy spies[3];
    QTableWidget* views[3] = {};
    for (int list = 0; list < 3; ++list) {
        views[list] = uitest::ControlAs<QTableWidget>(dlg, ids[list]);
        ASSERT_NE(views[list], nullptr);
        views[list]->viewport()->installEventFilter(&spies[list]);
    }
    LoadBlock({1, 2, 3, 4}, Probes(40, 100));
    dlg.ShowTemperatures();
    dlg.ShowWindow(true);
    ASSERT_TRUE(uitest::WaitUntil([&] {
        return std::all_of(std::begin(spies), std::end(spies),
                           [](const PaintSpy& spy) { return !spy.painted.isEmpty(); });
    })) << "shown";
    for (PaintSpy& spy : spies) spy.painted = QRegion();

    dlg.ShowTemperatures();  // the same block
    std::vector<int> probes = Probes(40, 100);
    probes[30] = 500;
    LoadBlock({1, 2, 3, 4}, probes);
    dlg.ShowTemperatures();
    EXPECT_EQ(Probe(31), Tenths(500));
    const ListCell cell = ProbeCell(31);
    const int changed = static_cast<int>(cell.list);
    // Both blocks' changes are repainted together, when the loop next turns.
    ASSERT_TRUE(uitest::WaitUntil([&] { return !spies[changed].painted.isEmpty(); }));
    QTableWidget& view = *views[changed];
    EXPECT_EQ(spies[changed].painted,
              QRegion(view.visualRect(view.model()->index(cell.row, 1)) & view.viewport()->rect()));
    for (int list = 0; list < 3; ++list) {
        if (list != changed) {
            EXPECT_TRUE(spies[list].painted.isEmpty()) << "list " << list;
        }
        views[list]->viewport()->removeEventFilter(&spies[list]);
    }
#else
    GTEST_SKIP() << "Watches the Qt lists' paint events";
#endif
}

}  // namespace
