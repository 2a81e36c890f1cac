// The console's style leaves out the row panels that draw nothing: a list must look exactly as
// under the platform style, its selected and alternate rows included.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QTableWidget>

#include "ui/qt/console_style.h"

namespace {

QImage Shot(QTableWidget& table, QStyle& style) {
    table.setStyle(&style);
    return table.grab().toImage();
}

class ConsoleStyleTest : public testing::Test {
protected:
    void SetUp() override {
        table.setColumnCount(3);
        table.setRowCount(5);
        table.verticalHeader()->hide();
        table.setSelectionBehavior(QAbstractItemView::SelectRows);
        for (int row = 0; row < 5; ++row) {
            for (int column = 0; column < 3; ++column) {
                const QString text = QString::number(row * 10 + column);
                table.setItem(row, column, new QTableWidgetItem(text));
            }
        }
        table.resize(260, 180);
    }
    QTableWidget table;
    ConsoleStyle console;
    DeferredIconStyle platform;
};

TEST_F(ConsoleStyleTest, ListsLookAsUnderThePlatformStyle) {
    const QImage plain = Shot(table, platform);
    EXPECT_TRUE(Shot(table, console) == plain);

    table.selectRow(2);
    const QImage selected = Shot(table, platform);
    ASSERT_TRUE(selected != plain) << "the selection shows";
    EXPECT_TRUE(Shot(table, console) == selected);

    table.setAlternatingRowColors(true);
    table.setPalette([&] {
        QPalette p = table.palette();
        p.setColor(QPalette::AlternateBase, QColor(200, 230, 200));
        return p;
    }());
    const QImage alternate = Shot(table, platform);
    ASSERT_TRUE(alternate != selected) << "the alternate rows show";
    EXPECT_TRUE(Shot(table, console) == alternate);
    table.setStyle(nullptr);
}

}  // namespace
