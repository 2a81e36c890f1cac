// The trend window over a store filled by hand: channels enabled by their first value, the
// selection buttons, spans, pause, the statistics, hovering and the picture export.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <cmath>
#include <regex>

#include "link/temp_word.h"
#include "res/resource.h"
#include "trend/qt/trend_chart.h"
#include "trend/trend_store.h"
#include "trend/trend_widget.h"
#include "trend/trend_window.h"
#include "ui/testing/scoped_hooks.h"
#include "ui/testing/wait.h"
#include "ui/wnd.h"

namespace {

constexpr long long kStartMs = 1'800'000'000'000;  // a fixed moment in 2027

class TrendWindowTest : public testing::Test {
protected:
    void SetUp() override {
        owner.Attach(&ownerWidget);
        window.Open(owner, dir.path().toStdString());
        ASSERT_NE(Widget(), nullptr);
    }
    void TearDown() override { window.Close(); }

    TrendWidget* Widget() { return window.Widget(); }
    TrendChart* Chart() { return Widget()->Chart(); }
    const ChartLayout& Layout() { return Chart()->Layout(); }
    bool Shown(int channel) { return Chart()->LineOf(channel) != nullptr; }
    const std::vector<RasterPoint>& Line(int channel) { return Chart()->LineOf(channel)->points; }
    template <class W>
    W* Find(int id) {
        return Widget()->findChild<W*>(QStringLiteral("ctl_%1").arg(id));
    }
    QTableWidget* Table() { return Find<QTableWidget>(IDC_TREND_CHANNELS); }
    std::string Cell(int row, int column) { return Table()->item(row, column)->text().toStdString(); }
    void Click(int id) { QTest::mouseClick(Find<QAbstractButton>(id), Qt::LeftButton); }
    // Readings a second apart: the PT100 inputs at 20.0 and `probes` probes at 21.0 + i / 10.
    void Add(int count, int probes, int offset = 0) {
        for (int i = 0; i < count; ++i, ++added) {
            Reading r;
            r.time = std::chrono::system_clock::time_point(
                std::chrono::milliseconds(kStartMs + 1000LL * added));
            for (int k = 0; k < kReadingPt100s; ++k) r.words.push_back(TempWordFromTenths(200));
            for (int p = 0; p < probes; ++p) r.words.push_back(TempWordFromTenths(210 + i + offset));
            store.Add(r);
        }
        window.StoreChanged();
        QCoreApplication::processEvents();  // the chart is drawn at the next turn
    }
    // The value axis holds [low, high] with a margin, its ends on whole round steps.
    void ExpectValueAxisAround(double low, double high) {
        const ValueAxis& axis = Layout().values;
        EXPECT_LT(axis.low, low);
        EXPECT_GT(axis.low, low - 1.0);
        EXPECT_GT(axis.high, high);
        EXPECT_LT(axis.high, high + 1.0);
        const double mantissa = axis.step / std::pow(10.0, std::floor(std::log10(axis.step) + 1e-9));
        EXPECT_TRUE(std::abs(mantissa - 1) < 1e-6 || std::abs(mantissa - 2) < 1e-6 ||
                    std::abs(mantissa - 5) < 1e-6)
            << axis.step;
        EXPECT_NEAR(std::remainder(axis.low, axis.step), 0.0, 1e-9);
        EXPECT_NEAR(std::remainder(axis.high, axis.step), 0.0, 1e-9);
    }

    QTemporaryDir dir;
    QWidget ownerWidget;
    CWnd owner;
    TrendStore store;
    TrendWindow window{store};
    int added = 0;
    uitest::MessageBoxRecorder boxes;
};

TEST_F(TrendWindowTest, ChannelsAreEnabledByTheirFirstValueAndSelectedByTheButtons) {
    EXPECT_EQ(Widget()->windowTitle().toStdString(), "温度趋势");
    ASSERT_EQ(Table()->rowCount(), kReadingChannels);
    EXPECT_EQ(Cell(0, 0), "PT100温度1");
    EXPECT_EQ(Cell(67, 0), "温度64");
    EXPECT_EQ(Table()->horizontalHeaderItem(5)->text().toStdString(), "次数");
    EXPECT_FALSE(Table()->item(4, 0)->flags() & Qt::ItemIsEnabled);

    Add(3, 2);
    EXPECT_TRUE(Table()->item(5, 0)->flags() & Qt::ItemIsEnabled);
    EXPECT_EQ(Table()->item(5, 0)->checkState(), Qt::Checked);
    EXPECT_FALSE(Table()->item(6, 0)->flags() & Qt::ItemIsEnabled) << "probe 3 never had a value";
    EXPECT_TRUE(Shown(5));
    EXPECT_EQ(Line(5).size(), 3u);
    EXPECT_FALSE(Shown(6));
    // 当前, 最小, 最大, 平均, 次数
    EXPECT_EQ((std::vector<std::string>{Cell(4, 1), Cell(4, 2), Cell(4, 3), Cell(4, 4), Cell(4, 5)}),
              (std::vector<std::string>{"21.2", "21.0", "21.2", "21.10", "3"}));
    ExpectValueAxisAround(20.0, 21.2);  // the y axis takes what is shown

    Click(IDC_TREND_SELECT_NONE);
    EXPECT_EQ(Table()->item(0, 0)->checkState(), Qt::Unchecked);
    EXPECT_FALSE(Shown(0));
    Table()->item(4, 0)->setCheckState(Qt::Checked);  // one line alone
    EXPECT_TRUE(Shown(4));
    EXPECT_FALSE(Shown(5));
    ExpectValueAxisAround(21.0, 21.2);
    Click(IDC_TREND_SELECT_ALL);
    EXPECT_TRUE(Shown(5));
    EXPECT_EQ(Table()->item(6, 0)->checkState(), Qt::Unchecked) << "a disabled channel stays off";
}

TEST_F(TrendWindowTest, SpansEndAtTheNewestReadingAndPauseFreezesTheChartOnly) {
    Add(7200, 1);  // two hours, a second apart
    const long long newest = kStartMs + 7199 * 1000LL;
    EXPECT_EQ(Layout().toMs, newest);
    EXPECT_EQ(Layout().fromMs, newest - 600'000) << "10 minutes at first";
    Click(IDC_TREND_SPAN_1MIN);
    EXPECT_EQ(Layout().fromMs, newest - 60'000);
    EXPECT_EQ(Line(4).size(), 61u) << "fewer samples than pixel columns: all of them";
    Click(IDC_TREND_SPAN_1H);
    EXPECT_EQ(Layout().fromMs, newest - 3'600'000);
    Click(IDC_TREND_SPAN_ALL);
    EXPECT_EQ(Layout().fromMs, kStartMs);
    const int width = Layout().plot.width;
    EXPECT_LE(Line(4).size(), 2u * width) << "decimated to the plot's width";

    Click(IDC_TREND_PAUSE);
    const RasterPoint last = Line(4).back();
    Add(5, 1, 100);
    EXPECT_EQ(Line(4).back().x, last.x) << "frozen";
    EXPECT_EQ(Line(4).back().y, last.y);
    EXPECT_EQ(Cell(4, 5), "7205") << "the statistics go on";
    Click(IDC_TREND_PAUSE);
    EXPECT_EQ(Layout().toMs, newest + 5000);
}

TEST_F(TrendWindowTest, HoveringALineShowsTheTimeAndValueOfTheNearestPoint) {
    Add(3, 1);  // probe 1: 21.0, 21.1, 21.2 a second apart; the PT100 inputs flat at 20.0
    const RasterPoint onLine{static_cast<double>(kStartMs + 1400), 21.14};
    const std::string time = QDateTime::fromMSecsSinceEpoch(kStartMs + 1000)
                                 .toString(QStringLiteral("HH:mm:ss"))
                                 .toStdString();
    const std::string expected = "温度1\n时间: " + time + "\n温度: 21.1 °C";
    EXPECT_EQ(Widget()->HoverText(4, onLine.x), expected) << "the drawn point nearest in time";

    Click(IDC_TREND_SPAN_1MIN);  // a pixel is 0.15 s or so: the pointer tells 1.4 s from 1.5 s
    QWidget* viewport = Chart();
    QTest::mouseMove(viewport, Chart()->Position(onLine));
    EXPECT_TRUE(uitest::WaitUntil([&] { return QToolTip::text().toStdString() == expected; }));
    QTest::mouseMove(viewport, Chart()->Position({onLine.x, 20.6}));
    EXPECT_TRUE(uitest::WaitUntil([&] { return !QToolTip::isVisible(); }))
        << "between the lines: nothing";
    QTest::mouseMove(viewport, Chart()->Position({onLine.x, 20.0}));
    EXPECT_TRUE(uitest::WaitUntil([&] {
        return QToolTip::text().toStdString().rfind("PT100温度", 0) == 0;
    })) << "the flat lines are hovered too";
}

TEST_F(TrendWindowTest, ExportSavesThePictureWhereChosenAndReportsAFailure) {
    Add(10, 4);
    FileDialogRequest request;
    std::string chosen = dir.path().toStdString() + "/trend.png";
    uitest::ScopedFileDialogHook hook([&](const FileDialogRequest& r) {
        request = r;
        return std::optional<std::string>(chosen);
    });
    Click(IDC_TREND_EXPORT);
    EXPECT_FALSE(request.open);
    EXPECT_TRUE(std::regex_match(request.fileName,
                                 std::regex(dir.path().toStdString() +
                                            "/K7R2_trend_[0-9]{8}_[0-9]{6}\\.png")));
    QFile png(QString::fromStdString(chosen));
    ASSERT_TRUE(png.open(QIODevice::ReadOnly));
    EXPECT_EQ(png.read(8), QByteArray("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(boxes.Count(), 0u);

    chosen = dir.path().toStdString() + "/missing/trend.png";
    Click(IDC_TREND_EXPORT);
    EXPECT_EQ(boxes.Last().text, "图片保存失败!");
}

}  // namespace
