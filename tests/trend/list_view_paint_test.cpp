// The list view paints its grid itself and repaints changed cells together once the event loop
// turns: what reaches the window must match the table's own painting and the cells' newest texts.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>

#include "ui/qt/control_widgets.h"
#include "ui/qt/list_text_cells.h"
#include "ui/testing/wait.h"

namespace {

constexpr int kRows = 40;
constexpr int kColumns = 4;

// Both tables alike: the same size, cells, grid, alignment and delegate.
void Fill(QTableWidget& table) {
    table.verticalHeader()->setVisible(false);
    table.horizontalHeader()->setHighlightSections(false);
    table.verticalHeader()->setDefaultSectionSize(20);
    table.setItemDelegate(new ListTextCells(&table));
    table.setShowGrid(true);
    table.setSelectionBehavior(QAbstractItemView::SelectRows);
    table.setRowCount(kRows);
    table.setColumnCount(kColumns);
    for (int column = 0; column < kColumns; ++column) table.setColumnWidth(column, 70);
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            auto* cell = new QTableWidgetItem(QString::number(row * 10.0 + column / 10.0, 'f', 1));
            if (column > 0) cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table.setItem(row, column, cell);
        }
    }
    table.resize(300, 200);
}

// What the window shows now, as painted bit by bit into its buffer.
QImage OnScreen(QWidget& widget) {
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(widget.winId());
    return shot.toImage().convertToFormat(QImage::Format_RGB32);
}

// The whole widget painted anew.
QImage Fresh(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(ListViewPaint, GridAndCellsAreThoseOfTheTablesOwnPainting) {
    QTableWidget reference;
    ListViewWidget list(nullptr);
    Fill(reference);
    Fill(list);
    for (QTableWidget* table : {&reference, static_cast<QTableWidget*>(&list)}) {
        table->selectRow(2);
        table->horizontalScrollBar()->setValue(15);  // a column's line cut by the view's edge
    }
    EXPECT_EQ(Fresh(list), Fresh(reference));
}

TEST(ListViewPaint, ChangedCellsShowTheirNewestText) {
    ListViewWidget list(nullptr);
    Fill(list);
    list.show();
    ASSERT_TRUE(uitest::WaitUntil([&] { return OnScreen(list) == Fresh(list); }));

    // Twice in one turn of the event loop, in view; and in a row out of view.
    list.item(1, 1)->setText(QStringLiteral("-12.5"));
    list.item(1, 1)->setText(QStringLiteral("88.8"));
    list.item(3, 2)->setText(QStringLiteral("7.0"));
    list.item(kRows - 1, 3)->setText(QStringLiteral("123.4"));
    EXPECT_TRUE(uitest::WaitUntil([&] { return OnScreen(list) == Fresh(list); }));
    // A block of neighbouring cells changed together, a selected row among them.
    list.selectRow(5);
    ASSERT_TRUE(uitest::WaitUntil([&] { return OnScreen(list) == Fresh(list); }));
    for (int row = 4; row <= 6; ++row) {
        for (int column = 1; column <= 2; ++column) {
            list.item(row, column)->setText(QString::number(-row - column / 10.0, 'f', 1));
        }
    }
    EXPECT_TRUE(uitest::WaitUntil([&] { return OnScreen(list) == Fresh(list); }));

    list.scrollToBottom();
    EXPECT_TRUE(uitest::WaitUntil([&] { return OnScreen(list) == Fresh(list); }));
    // Scrolled sideways by a few pixels: the cells at the edge are painted only in part.
    list.setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    list.setColumnWidth(kColumns - 1, 120);
    ASSERT_TRUE(uitest::WaitUntil([&] { return list.horizontalScrollBar()->maximum() > 7; }));
    list.horizontalScrollBar()->setValue(7);
    EXPECT_TRUE(uitest::WaitUntil([&] { return OnScreen(list) == Fresh(list); }));
    list.item(kRows - 3, 0)->setText(QStringLiteral("-0.5"));
    EXPECT_TRUE(uitest::WaitUntil([&] { return OnScreen(list) == Fresh(list); }));
    // Changed while the window is hidden, shown again.
    list.hide();
    list.item(kRows - 2, 1)->setText(QStringLiteral("5.5"));
    list.show();
    EXPECT_TRUE(uitest::WaitUntil([&] { return OnScreen(list) == Fresh(list); }));
}

}  // namespace
