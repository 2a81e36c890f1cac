#include "trend/trend_widget.h"

#include <algorithm>
#include <cstdio>

#include <QButtonGroup>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>

#include "link/file_append.h"
#include "record/local_time.h"
#include "res/resource.h"
#include "trend/decimate.h"
#include "trend/qt/number_cell_delegate.h"
#include "trend/qt/trend_chart.h"
#include "record/readings_csv.h"
#include "trend/trend_store.h"
#include "ui/file_dialog.h"
#include "ui/wnd.h"

namespace {

enum Column { kName, kCurrent, kMin, kMax, kMean, kCount, kColumns };

QString Tenths(std::int16_t tenths) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", tenths / 10.0);
    return QString::fromLatin1(text);
}

// Neighbouring channels far apart on the colour wheel, so that lines next to each other in the
// table are told apart in the chart.
QColor ChannelColour(int channel) {
    const int hue = static_cast<int>(channel * 137.508) % 360;
    return QColor::fromHsv(hue, 210, channel < kReadingPt100s ? 150 : 205);
}

QIcon Swatch(const QColor& colour) {
    QPixmap pixmap(12, 12);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

QString Name(int id) { return QStringLiteral("ctl_%1").arg(id); }

}  // namespace

TrendWidget::TrendWidget(const TrendStore& store, std::string startDir, QWidget* owner)
    : QWidget(owner, Qt::Window), store_(store), startDir_(std::move(startDir)) {
    setObjectName(QStringLiteral("dlg_%1").arg(IDD_TREND));
    setWindowTitle(QStringLiteral("温度趋势"));
    setAttribute(Qt::WA_DeleteOnClose);
    if (owner != nullptr) setFont(owner->font());

    chart_ = new TrendChart(this);
    chart_->setObjectName(Name(IDC_TREND_CHART));
    chart_->setAccessibleName(QStringLiteral("温度趋势图"));
    chart_->setMinimumSize(480, 320);
    chart_->onHover = [this](int channel, const RasterPoint& value, const QPoint& screen) {
        ShowHover(channel, value, screen);
    };
    // The lines are decimated to the plot's width: a new width wants them again.
    chart_->onPlotWidthChanged = [this](int columns) {
        if (columns != drawnColumns_) ScheduleChart();
    };

    auto* spanLabel = new QLabel(QStringLiteral("跨度:"), this);
    spans_ = new QButtonGroup(this);
    auto* top = new QHBoxLayout();
    top->addWidget(spanLabel);
    const struct {
        int id;
        const char* text;
        Span span;
    } spanButtons[] = {{IDC_TREND_SPAN_1MIN, "1 分钟", Span::OneMinute},
                       {IDC_TREND_SPAN_10MIN, "10 分钟", Span::TenMinutes},
                       {IDC_TREND_SPAN_1H, "1 小时", Span::OneHour},
                       {IDC_TREND_SPAN_ALL, "全部", Span::All}};
    for (const auto& b : spanButtons) {
        auto* radio = new QRadioButton(QString::fromUtf8(b.text), this);
        radio->setObjectName(Name(b.id));
        radio->setAccessibleName(QString::fromUtf8(b.text));
        radio->setChecked(b.span == span_);
        spans_->addButton(radio, static_cast<int>(b.span));
        top->addWidget(radio);
    }
    connect(spans_, &QButtonGroup::idClicked, this, [this](int id) {
        span_ = static_cast<Span>(id);
        RedrawChart();  // a new span is asked for: shown also while paused
    });
    top->addStretch();
    pause_ = new QPushButton(QStringLiteral("暂停"), this);
    pause_->setObjectName(Name(IDC_TREND_PAUSE));
    pause_->setAccessibleName(QStringLiteral("暂停"));
    pause_->setCheckable(true);
    connect(pause_, &QPushButton::toggled, this, [this](bool paused) {
        if (!paused) RedrawChart();
    });
    top->addWidget(pause_);
    auto* exportButton = new QPushButton(QStringLiteral("导出图片…"), this);
    exportButton->setObjectName(Name(IDC_TREND_EXPORT));
    exportButton->setAccessibleName(QStringLiteral("导出图片"));
    connect(exportButton, &QPushButton::clicked, this, &TrendWidget::ExportPicture);
    top->addWidget(exportButton);

    BuildTable();
    auto* selectAll = new QPushButton(QStringLiteral("全选"), this);
    selectAll->setObjectName(Name(IDC_TREND_SELECT_ALL));
    selectAll->setAccessibleName(QStringLiteral("全选"));
    connect(selectAll, &QPushButton::clicked, this, [this] { SetAllChecked(true); });
    auto* selectNone = new QPushButton(QStringLiteral("全不选"), this);
    selectNone->setObjectName(Name(IDC_TREND_SELECT_NONE));
    selectNone->setAccessibleName(QStringLiteral("全不选"));
    connect(selectNone, &QPushButton::clicked, this, [this] { SetAllChecked(false); });
    auto* selectRow = new QHBoxLayout();
    selectRow->addWidget(selectAll);
    selectRow->addWidget(selectNone);
    selectRow->addStretch();
    auto* side = new QVBoxLayout();
    side->addWidget(table_);
    side->addLayout(selectRow);

    auto* body = new QHBoxLayout();
    body->addWidget(chart_, 1);
    body->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(body, 1);
    resize(1000, 620);

    chartTimer_.setSingleShot(true);
    chartTimer_.setInterval(0);
    connect(&chartTimer_, &QTimer::timeout, this, [this] {
        if (!pause_->isChecked()) RedrawChart();
    });
    UpdateTable();
    RedrawChart();
}

void TrendWidget::BuildTable() {
    table_ = new QTableWidget(kReadingChannels, kColumns, this);
    table_->setObjectName(Name(IDC_TREND_CHANNELS));
    table_->setAccessibleName(QStringLiteral("通道"));
    table_->setHorizontalHeaderLabels({QStringLiteral("通道"), QStringLiteral("当前"),
                                       QStringLiteral("最小"), QStringLiteral("最大"),
                                       QStringLiteral("平均"), QStringLiteral("次数")});
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    // The columns fit their widest texts: no line breaking or eliding to work out at each
    // repaint.
    table_->setWordWrap(false);
    table_->setTextElideMode(Qt::ElideNone);
    // Widths fixed once for the widest texts: sizing to contents would lay out every cell again
    // at each reading.
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    auto* numbers = new NumberCellDelegate(table_);
    for (int column = kCurrent; column < kColumns; ++column) {
        table_->setItemDelegateForColumn(column, numbers);
    }
    fillingTable_ = true;
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        auto* name = new QTableWidgetItem(Swatch(ChannelColour(channel)),
                                          QString::fromStdString(ChannelLabel(channel)));
        // Enabled once the channel has had a value; checked then, so that a new probe shows.
        name->setFlags(Qt::ItemIsUserCheckable);
        name->setCheckState(Qt::Unchecked);
        table_->setItem(channel, kName, name);
        for (int column = kCurrent; column < kColumns; ++column) {
            auto* cell = new QTableWidgetItem();
            cell->setFlags(Qt::ItemIsEnabled);
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(channel, column, cell);
        }
    }
    fillingTable_ = false;
    const QFontMetrics metrics = table_->fontMetrics();
    const int number = metrics.horizontalAdvance(QStringLiteral("-3276.70")) + 12;
    table_->setColumnWidth(kName, metrics.horizontalAdvance(QStringLiteral("PT100温度4")) + 48);
    for (int column = kCurrent; column < kColumns; ++column) table_->setColumnWidth(column, number);
    int width = table_->verticalScrollBar()->sizeHint().width() + 2 * table_->frameWidth();
    for (int column = 0; column < kColumns; ++column) width += table_->columnWidth(column);
    table_->setFixedWidth(width);
    connect(table_, &QTableWidget::itemChanged, this, &TrendWidget::OnItemChanged);
}

void TrendWidget::UpdateTable() {
    fillingTable_ = true;
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        const ChannelStats& s = store_.Stats(channel);
        auto& shown = shownCounts_[static_cast<std::size_t>(channel)];
        if (s.count == shown) continue;
        if (shown == 0) {
            QTableWidgetItem* name = table_->item(channel, kName);
            name->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
            name->setCheckState(Qt::Checked);
        }
        shown = s.count;
        char mean[32], count[32];
        std::snprintf(mean, sizeof mean, "%.2f", s.Mean());
        std::snprintf(count, sizeof count, "%lld", s.count);
        table_->item(channel, kCurrent)->setText(Tenths(s.lastTenths));
        table_->item(channel, kMin)->setText(Tenths(s.minTenths));
        table_->item(channel, kMax)->setText(Tenths(s.maxTenths));
        table_->item(channel, kMean)->setText(QString::fromLatin1(mean));
        table_->item(channel, kCount)->setText(QString::fromLatin1(count));
    }
    fillingTable_ = false;
}

void TrendWidget::StoreChanged() {
    UpdateTable();
    ScheduleChart();
}

void TrendWidget::ScheduleChart() {
    if (!pause_->isChecked() && !chartTimer_.isActive()) chartTimer_.start();
}

bool TrendWidget::Selected(int channel) const {
    const QTableWidgetItem* name = table_->item(channel, kName);
    return (name->flags() & Qt::ItemIsEnabled) != 0 && name->checkState() == Qt::Checked;
}

void TrendWidget::SetAllChecked(bool checked) {
    fillingTable_ = true;
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        QTableWidgetItem* name = table_->item(channel, kName);
        if ((name->flags() & Qt::ItemIsEnabled) != 0) {
            name->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
        }
    }
    fillingTable_ = false;
    RedrawChart();
}

void TrendWidget::OnItemChanged(QTableWidgetItem* item) {
    if (fillingTable_ || item->column() != kName) return;
    RedrawChart();
}

long long TrendWidget::SpanMs() const {
    switch (span_) {
        case Span::OneMinute:
            return 60LL * 1000;
        case Span::TenMinutes:
            return 10LL * 60 * 1000;
        case Span::OneHour:
            return 60LL * 60 * 1000;
        case Span::All:
            break;
    }
    return 0;
}

void TrendWidget::RedrawChart() {
    ++redraws_;
    const int columns = std::max(1, chart_->Layout().plot.width);
    drawnColumns_ = columns;
    const std::size_t size = store_.Size();
    const std::int64_t newest = size > 0 ? store_.TimeMs(size - 1) : 0;
    std::int64_t from = span_ == Span::All && size > 0 ? store_.TimeMs(0) : newest - SpanMs();
    std::int64_t to = newest;
    if (to - from < 10000) from = to - 10000;  // a first reading still gets a readable axis
    const std::vector<std::size_t> starts = ColumnStarts(store_, from, to + 1, columns);

    std::vector<ChartLine> lines;
    std::vector<TrendPoint> points;
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        if (!Selected(channel)) continue;
        points.clear();
        DecimateMinMax(store_, channel, starts, points);
        ChartLine line;
        line.channel = channel;
        line.colour = ChannelColour(channel).rgba();
        line.points.reserve(points.size());
        for (const TrendPoint& p : points) {
            line.points.push_back({static_cast<double>(store_.TimeMs(p.index)), p.tenths / 10.0});
        }
        lines.push_back(std::move(line));
    }
    chart_->SetScene(from, to, std::move(lines));
}

void TrendWidget::ShowHover(int channel, const RasterPoint& value, const QPoint& screen) {
    if (channel < 0) {
        QToolTip::hideText();
        return;
    }
    QToolTip::showText(screen, QString::fromStdString(HoverText(channel, value.x)), chart_);
}

std::string TrendWidget::HoverText(int channel, double timeMs) const {
    const ChartLine* line = chart_->LineOf(channel);
    const RasterPoint* it = line != nullptr ? NearestInTime(*line, timeMs) : nullptr;
    if (it == nullptr) return {};
    const auto time = std::chrono::system_clock::time_point(
        std::chrono::milliseconds(static_cast<long long>(it->x)));
    const std::string iso = IsoLocalTime(time);  // 2026-12-07T15:38:26.123+08:00
    char text[96];
    std::snprintf(text, sizeof text, "%s\n时间: %s\n温度: %.1f °C", ChannelLabel(channel).c_str(),
                  iso.substr(11, 8).c_str(), it->y);
    return text;
}

void TrendWidget::ExportPicture() {
    CWnd owner;
    owner.Attach(this);
    const std::string name = startDir_ + PathSeparator() + "K7R2_trend_" +
                             CompactLocalTime(std::chrono::system_clock::now()) + ".png";
    CFileDialog dialog(FALSE, "png", name.c_str(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       "PNG 图片 (*.png)|*.png||", &owner);
    if (dialog.DoModal() != IDOK) return;
    const QPixmap picture = chart_->grab();
    if (!picture.save(QString::fromStdString(dialog.GetPathName()), "PNG")) {
        owner.MessageBox("图片保存失败!");
    }
}
