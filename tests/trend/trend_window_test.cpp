// The trend window over a store filled by hand: channels checked at their first value, the
// selection buttons, spans, pause, the statistics, hovering and the picture export, with the
// dialog layer's controls clicked as a user would.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <regex>

#include "link/temp_word.h"
#include "res/resource.h"
#include "tests/trend/chart_range.h"
#include "trend/chart_paint.h"
#include "trend/trend_dialog.h"
#include "trend/trend_store.h"
#include "trend/trend_window.h"
#include "ui/testing/scoped_hooks.h"
#include "ui/testing/ui_driver.h"
#include "ui/testing/wait.h"
#include "ui/wnd.h"

namespace {

constexpr long long kStartMs = 1'800'000'000'000;  // a fixed moment in 2027

class TrendWindowTest : public testing::Test {
protected:
    void SetUp() override {
        owner.Attach(&ownerWidget);
        window.Open(owner, dir.path().toStdString());
        ASSERT_NE(Dialog(), nullptr);
    }
    void TearDown() override { window.Close(); }

    CTrendDlg* Dialog() { return window.Dialog(); }
    TrendChartControl& Chart() { return Dialog()->Chart(); }
    QWidget* ChartWidget() { return uitest::Control(*Dialog(), IDC_TREND_CHART); }
    const ChartLayout& Layout() { return Chart().Layout(); }
    bool Shown(int channel) { return Chart().LineOf(channel) != nullptr; }
    const std::vector<RasterPoint>& Line(int channel) { return Chart().LineOf(channel)->points; }
    QTableWidget* Table() { return uitest::ControlAs<QTableWidget>(*Dialog(), IDC_TREND_CHANNELS); }
    std::string Cell(int row, int column) {
        return uitest::CellText(*Dialog(), IDC_TREND_CHANNELS, row, column);
    }
    bool Checked(int row) { return Table()->item(row, 0)->checkState() == Qt::Checked; }
    void Click(int id) { ASSERT_TRUE(uitest::Click(*Dialog(), id)); }
    // A click on the row's check box.
    void ClickCheck(int row) { ASSERT_TRUE(uitest::ToggleListRowCheck(*Dialog(), IDC_TREND_CHANNELS, row)); }
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

TEST_F(TrendWindowTest, ControlsAreNamedAndChannelsAreCheckedByTheirFirstValue) {
    EXPECT_EQ(Dialog()->GetWindowText(), "温度趋势");
    for (const auto& [id, name] : std::vector<std::pair<int, std::string>>{
             {IDC_TREND_SPAN_1MIN, "1 分钟"},
             {IDC_TREND_SPAN_ALL, "全部"},
             {IDC_TREND_PAUSE, "暂停"},
             {IDC_TREND_EXPORT, "导出图片…"},
             {IDC_TREND_SELECT_NONE, "全不选"},
             {IDC_TREND_CHART, "温度趋势图"},
             {IDC_TREND_CHANNELS, "通道"}}) {
        EXPECT_EQ(uitest::AccessibleName(*Dialog(), id), name) << id;
    }
    EXPECT_TRUE(uitest::IsChecked(*Dialog(), IDC_TREND_SPAN_10MIN));
    ASSERT_EQ(uitest::RowCount(*Dialog(), IDC_TREND_CHANNELS), kReadingChannels);
    EXPECT_EQ(Cell(0, 0), "PT100温度1");
    EXPECT_EQ(Cell(67, 0), "温度64");
    EXPECT_EQ(uitest::HeaderText(*Dialog(), IDC_TREND_CHANNELS, 5), "次数");
    EXPECT_FALSE(Checked(4));
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    EXPECT_NEAR(static_cast<double>(Layout().toMs), static_cast<double>(now), 60'000.0)
        << "no reading yet: the time axis ends now";

    Add(3, 2);
    EXPECT_TRUE(Checked(5));
    EXPECT_FALSE(Checked(6)) << "probe 3 never had a value";
    EXPECT_TRUE(Shown(5));
    EXPECT_EQ(Line(5).size(), 3u);
    EXPECT_FALSE(Shown(6));
    // 当前, 最小, 最大, 平均, 次数
    EXPECT_EQ((std::vector<std::string>{Cell(4, 1), Cell(4, 2), Cell(4, 3), Cell(4, 4), Cell(4, 5)}),
              (std::vector<std::string>{"21.2", "21.0", "21.2", "21.10", "3"}));
    ExpectValueAxisAround(20.0, 21.2);  // the y axis takes what is shown

    Click(IDC_TREND_SELECT_NONE);
    EXPECT_FALSE(Checked(0));
    EXPECT_FALSE(Shown(0));
    ClickCheck(4);  // one line alone
    EXPECT_TRUE(Checked(4));
    EXPECT_TRUE(Shown(4));
    EXPECT_FALSE(Shown(5));
    ExpectValueAxisAround(21.0, 21.2);
    ClickCheck(6);
    EXPECT_FALSE(Checked(6)) << "a channel without a value stays off";
    Click(IDC_TREND_SELECT_ALL);
    EXPECT_TRUE(Shown(5));
    EXPECT_FALSE(Checked(6));
}

TEST_F(TrendWindowTest, EachChannelsNameStandsBesideASwatchOfItsLinesColour) {
    auto* list = static_cast<CListCtrl*>(Dialog()->GetDlgItem(IDC_TREND_CHANNELS));
    ASSERT_NE(list, nullptr);
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        EXPECT_EQ(list->GetItemSwatch(channel), ChannelColour(channel) | 0xFF000000u) << channel;
    }
    EXPECT_NE(list->GetItemSwatch(4), list->GetItemSwatch(5)) << "neighbours told apart";
    Add(3, 1);
    ASSERT_TRUE(Shown(4));
    EXPECT_EQ(Chart().LineOf(4)->colour | 0xFF000000u, list->GetItemSwatch(4))
        << "the line is drawn in its swatch's colour";
    // Drawn where the view paints the row: the swatch's pixels are on screen beside the name.
    QTableWidget* table = Table();
    const QImage shown = table->viewport()->grab().toImage();
    const QRect row = table->visualItemRect(table->item(4, 0));
    int swatchPixels = 0;
    for (int x = row.left(); x < row.right(); ++x) {
        swatchPixels += (shown.pixel(x, row.center().y()) & 0xFFFFFFu) == (ChannelColour(4) & 0xFFFFFFu);
    }
    EXPECT_GE(swatchPixels, 8);
}

// The statistics are painted from texts shaped once, not by the style: they must look the same,
// selected or not, and show each reading's new numbers.
TEST_F(TrendWindowTest, StatisticsLookAsTheStyleDrawsThemAndFollowEachReading) {
    Add(30, 8);
    QTableWidget* table = Table();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                      table->visualItemRect(table->item(5, 2)).center());
    ASSERT_TRUE(table->item(5, 3)->isSelected()) << "the whole row";
    auto shot = [&] { return table->viewport()->grab().toImage(); };
    const QImage ours = shot();
    QAbstractItemDelegate* cells = table->itemDelegate();
    QStyledItemDelegate style;
    table->setItemDelegate(&style);
    EXPECT_TRUE(ours == shot()) << "a pixel differs from the style's painting";
    table->setItemDelegate(cells);

    const QRect count = table->visualItemRect(table->item(4, 5));
    Add(1, 8, 50);
    ASSERT_EQ(Cell(4, 5), "31");
    EXPECT_FALSE(ours.copy(count) == shot().copy(count)) << "the new count is shown";
}

TEST_F(TrendWindowTest, SpansEndAtTheNewestReadingAndPauseFreezesTheChartOnly) {
    // A range laid out for a plot whose width its own labels then change is drawn again.
    const auto shows = [&](long long spanMs, long long newest) {
        uitest::WaitUntil([&] { return bool(ShowsSpanUpTo(Layout(), spanMs, newest)); });
        return ShowsSpanUpTo(Layout(), spanMs, newest);
    };
    Add(7200, 1);  // two hours, a second apart
    const long long newest = kStartMs + 7199 * 1000LL;
    EXPECT_TRUE(shows(600'000, newest)) << "10 minutes at first";
    Click(IDC_TREND_SPAN_1MIN);
    EXPECT_TRUE(shows(60'000, newest));
    EXPECT_GE(Line(4).size(), 61u) << "fewer samples than pixel columns: all of them";
    EXPECT_LE(Line(4).size(), 62u);
    Click(IDC_TREND_SPAN_1H);
    EXPECT_TRUE(shows(3'600'000, newest));
    Click(IDC_TREND_SPAN_ALL);
    EXPECT_TRUE(shows(newest - kStartMs, newest));
    const int width = Layout().plot.width;
    EXPECT_LE(Line(4).size(), 2u * width) << "decimated to the plot's width";

    Click(IDC_TREND_PAUSE);
    EXPECT_EQ(uitest::Text(*Dialog(), IDC_TREND_PAUSE), "继续");
    const RasterPoint last = Line(4).back();
    Add(5, 1, 100);
    EXPECT_EQ(Line(4).back().x, last.x) << "frozen";
    EXPECT_EQ(Line(4).back().y, last.y);
    EXPECT_EQ(Cell(4, 5), "7205") << "the statistics go on";
    Click(IDC_TREND_PAUSE);
    EXPECT_EQ(uitest::Text(*Dialog(), IDC_TREND_PAUSE), "暂停");
    EXPECT_TRUE(shows(newest + 5000 - kStartMs, newest + 5000));
}

TEST_F(TrendWindowTest, HoveringALineLabelsTheTimeAndValueOfTheNearestPoint) {
    Add(3, 1);  // probe 1: 21.0, 21.1, 21.2 a second apart; the PT100 inputs flat at 20.0
    const RasterPoint onLine{static_cast<double>(kStartMs + 1400), 21.14};
    const std::string time = QDateTime::fromMSecsSinceEpoch(kStartMs + 1000)
                                 .toString(QStringLiteral("HH:mm:ss"))
                                 .toStdString();
    const std::string expected = "温度1\n时间: " + time + "\n温度: 21.1 °C";
    EXPECT_EQ(Dialog()->HoverText(4, onLine.x), expected) << "the drawn point nearest in time";

    Click(IDC_TREND_SPAN_1MIN);  // a pixel is 0.15 s or so: the pointer tells 1.4 s from 1.5 s
    auto pointAt = [&](const RasterPoint& value) {
        const RasterPoint p = Chart().Position(value);
        return QPoint(static_cast<int>(p.x), static_cast<int>(p.y));
    };
    QTest::mouseMove(ChartWidget(), pointAt(onLine));
    EXPECT_TRUE(uitest::WaitUntil([&] { return Chart().HoverLabel() == expected; }));
    QTest::mouseMove(ChartWidget(), pointAt({onLine.x, 20.6}));
    EXPECT_TRUE(uitest::WaitUntil([&] { return Chart().HoverLabel().empty(); }))
        << "between the lines: nothing";
    QTest::mouseMove(ChartWidget(), pointAt({onLine.x, 20.0}));
    EXPECT_TRUE(uitest::WaitUntil([&] { return Chart().HoverLabel().rfind("PT100温度", 0) == 0; }))
        << "the flat lines are hovered too";
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
    QImage picture(QString::fromStdString(chosen), "PNG");
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), ChartWidget()->size());
    // A pixel of the first line where the layout put it: the picture is the chart, not a blank.
    // (PT100温度4 is drawn last of the four flat PT100 lines.)
    const RasterPoint p = Chart().Position(Line(3).front());
    EXPECT_EQ(picture.pixel(static_cast<int>(p.x), static_cast<int>(p.y)) & 0xFFFFFFu,
              ChannelColour(3) & 0xFFFFFFu);
    EXPECT_EQ(boxes.Count(), 0u);

    chosen = dir.path().toStdString() + "/missing/trend.png";
    Click(IDC_TREND_EXPORT);
    EXPECT_EQ(boxes.Last().text, "图片保存失败!");
}

// What a backend's paint target receives: each backend draws these calls and nothing else, so
// the same scene gives both platforms the same chart.
class RecordingTarget : public PaintTarget {
public:
    void FillRect(int x, int y, int cx, int cy, std::uint32_t colour) override {
        calls.push_back(Format("fill %d %d %d %d %08x", x, y, cx, cy, colour));
    }
    void DrawLine(int x1, int y1, int x2, int y2, std::uint32_t colour) override {
        calls.push_back(Format("line %d %d %d %d %08x", x1, y1, x2, y2, colour));
    }
    void DrawText(int x, int y, int cx, int cy, const std::string& text, TextAlignment align,
                  std::uint32_t colour) override {
        calls.push_back(Format("text %d %d %d %d %d %08x ", x, y, cx, cy,
                               static_cast<int>(align), colour) + text);
    }
    void DrawImage(int x, int y, int cx, int cy, const std::uint32_t* pixels) override {
        calls.push_back(Format("image %d %d %d %d", x, y, cx, cy));
        images.emplace_back(pixels, pixels + static_cast<std::ptrdiff_t>(cx) * cy);
    }
    std::vector<std::string> calls;
    std::vector<std::vector<std::uint32_t>> images;

private:
    template <class... A>
    static std::string Format(const char* format, A... args) {
        char text[128];
        std::snprintf(text, sizeof text, format, args...);
        return text;
    }
};

TEST_F(TrendWindowTest, TheControlPaintsItsLayoutWithTextsMeasuredInItsOwnFont) {
    Add(30, 2);
    RecordingTarget painted;
    Chart().OnPaint(painted);
    ASSERT_FALSE(painted.calls.empty());
    // Laid out afresh with the control's measure, the scene paints to the very same calls.
    const ChartLayout again = LayoutChart(Chart().Scene(), ControlTextMeasurer(Chart()));
    RecordingTarget expected;
    PaintPrimitives(expected, again, again.primitives);
    EXPECT_EQ(painted.calls, expected.calls);
    ASSERT_EQ(painted.images.size(), 1u);
    EXPECT_EQ(painted.images[0], again.lines.pixels);
    // Every text's box is the size the control's font gives it.
    int texts = 0;
    for (const ChartPrimitive& primitive : again.primitives) {
        if (const auto* text = std::get_if<TextPrimitive>(&primitive)) {
            const TextExtent extent = Chart().GetTextExtent(text->text);
            EXPECT_EQ(text->box.width, extent.cx) << text->text;
            EXPECT_EQ(text->box.height, extent.cy) << text->text;
            ++texts;
        }
    }
    EXPECT_GE(texts, 4) << "titles and labels";
}

// After a reading only what changed is painted again (the lines, the time labels that moved,
// a value axis that grew, the hover marker), yet the screen must show the whole new chart as a
// fresh paint draws it.
TEST_F(TrendWindowTest, TheScreenShowsTheWholeNewChartThoughOnlyWhatChangedIsPaintedAgain) {
    QWidget* chart = ChartWidget();
    QWidget* top = chart->window();
    auto onScreen = [&] {
        const QImage shot = QGuiApplication::primaryScreen()->grabWindow(top->winId()).toImage();
        return shot.copy(QRect(chart->mapTo(top, QPoint(0, 0)), chart->size()))
            .convertToFormat(QImage::Format_RGB32);
    };
    auto fresh = [&] { return chart->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    Add(20, 2);
    ASSERT_TRUE(uitest::WaitUntil([&] { return onScreen() == fresh(); }));
    for (int round = 0; round < 12; ++round) {
        if (round == 6) {  // the pointer on probe 1's line: a marker and its label follow it
            const RasterPoint p = Chart().Position(Line(4)[Line(4).size() / 2]);
            QTest::mouseMove(chart, QPoint(static_cast<int>(p.x), static_cast<int>(p.y)));
            ASSERT_TRUE(uitest::WaitUntil([&] { return !Chart().HoverLabel().empty(); }));
        }
        Add(1, 2, round % 4 == 3 ? 40 : 0);  // now and then a value past the axis, which grows
        ASSERT_TRUE(uitest::WaitUntil([&] { return onScreen() == fresh(); }))
            << "after reading " << round;
    }
    // Over an hour a column holds several readings: most of them draw the newest columns
    // again, and the screen must show no less.
    Click(IDC_TREND_SPAN_1H);
    const int redraws = Dialog()->ChartRedraws();
    int partial = 0;
    for (int round = 0; round < 12; ++round) {
        Add(1, 2);
        ASSERT_TRUE(uitest::WaitUntil([&] { return onScreen() == fresh(); }))
            << "after reading " << round << " in the hour";
        if (Layout().linesDrawn.x > Layout().plot.x) ++partial;
    }
    EXPECT_GE(Dialog()->ChartRedraws() - redraws, 12);
    EXPECT_GT(partial, 6);
}

TEST_F(TrendWindowTest, ClosedByItsCloseBoxTheWindowOpensAgainFromTheStore) {
    Add(3, 1);
    ASSERT_TRUE(uitest::PressCloseBox(*Dialog()));
    EXPECT_TRUE(uitest::WaitUntil([&] { return !window.IsOpen(); }));
    window.StoreChanged();  // nothing to follow: no crash
    window.Open(owner, dir.path().toStdString());
    ASSERT_NE(Dialog(), nullptr);
    EXPECT_EQ(Cell(4, 5), "3");
    EXPECT_TRUE(Shown(4));
}

}  // namespace
