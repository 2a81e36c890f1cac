#include "trend/trend_dialog.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "link/file_append.h"
#include "record/local_time.h"
#include "record/readings_csv.h"
#include "res/dialog_templates.h"
#include "res/resource.h"
#include "trend/decimate.h"
#include "trend/trend_store.h"

namespace {

enum Column { kName, kCurrent, kMin, kMax, kMean, kCount, kColumns };

constexpr UINT WM_TREND_REDRAW = WM_USER + 40;

// As printf's "%.<decimals>f" gives it, at a fraction of its cost: the list formats a hundred
// and more statistics at every reading.
std::string Fixed(double value, int decimals) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed,
                                   decimals);
    return std::string(text, end.ptr);
}

std::string Tenths(std::int16_t tenths) { return Fixed(tenths / 10.0, 1); }

// Hue in degrees, saturation and value 0..255, as the colour wheel's usual conversion.
ChartColour FromHsv(int hue, int saturation, int value) {
    const double s = saturation / 255.0, v = value / 255.0;
    const double c = v * s;
    const double h = hue / 60.0;
    const double x = c * (1 - std::abs(std::fmod(h, 2.0) - 1));
    double r = 0, g = 0, b = 0;
    switch (static_cast<int>(h) % 6) {
        case 0: r = c, g = x; break;
        case 1: r = x, g = c; break;
        case 2: g = c, b = x; break;
        case 3: g = x, b = c; break;
        case 4: r = x, b = c; break;
        default: r = c, b = x; break;
    }
    const double m = v - c;
    auto byte = [&](double part) {
        return static_cast<ChartColour>(std::lround((part + m) * 255)) & 0xFF;
    };
    return 0xFF000000u | byte(r) << 16 | byte(g) << 8 | byte(b);
}

}  // namespace

ChartColour ChannelColour(int channel) {
    const int hue = static_cast<int>(channel * 137.508) % 360;
    return FromHsv(hue, 210, channel < kReadingPt100s ? 150 : 205);
}

CTrendDlg::CTrendDlg(const TrendStore& store, std::string startDir, CWnd* parent)
    : CDialog(TrendDialogTemplate(), parent), store_(store), startDir_(std::move(startDir)) {}

const MessageMap& CTrendDlg::GetMessageMap() const {
    using D = CTrendDlg;
    static const MessageMap map = {
        ON_BN_CLICKED(IDC_TREND_SPAN_1MIN, &D::OnSpan1Min),
        ON_BN_CLICKED(IDC_TREND_SPAN_10MIN, &D::OnSpan10Min),
        ON_BN_CLICKED(IDC_TREND_SPAN_1H, &D::OnSpan1H),
        ON_BN_CLICKED(IDC_TREND_SPAN_ALL, &D::OnSpanAll),
        ON_BN_CLICKED(IDC_TREND_PAUSE, &D::OnPause),
        ON_BN_CLICKED(IDC_TREND_EXPORT, &D::OnExport),
        ON_BN_CLICKED(IDC_TREND_SELECT_ALL, &D::OnSelectAll),
        ON_BN_CLICKED(IDC_TREND_SELECT_NONE, &D::OnSelectNone),
        ON_NOTIFY(LVN_ITEMCHANGED, IDC_TREND_CHANNELS, &D::OnChannelChanged),
        ON_MESSAGE(WM_TREND_REDRAW, &D::OnScheduledRedraw),
    };
    return map;
}

void CTrendDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TREND_CHANNELS, m_channels);
}

BOOL CTrendDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_chart.hoverText = [this](int channel, double timeMs) { return HoverText(channel, timeMs); };
    // The lines are decimated to the plot's width: a new width wants them again.
    m_chart.onPlotWidthChanged = [this](int columns) {
        if (columns != drawnColumns_) Schedule();
    };
    m_chart.SubclassDlgItem(IDC_TREND_CHART, this);
    static_cast<CButton*>(GetDlgItem(IDC_TREND_SPAN_10MIN))->SetCheck(TRUE);
    BuildList();
    UpdateList();
    RedrawChart();
    return TRUE;
}

void CTrendDlg::BuildList() {
    m_channels.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    // Wide enough for "PT100温度4" with its check box, and for "-3276.70".
    m_channels.InsertColumn(kName, "通道", LVCFMT_LEFT, 100);
    const char* const headings[] = {"当前", "最小", "最大", "平均", "次数"};
    for (int column = kCurrent; column < kColumns; ++column) {
        m_channels.InsertColumn(column, headings[column - kCurrent], LVCFMT_RIGHT, 56);
    }
    fillingList_ = true;
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        m_channels.InsertItem(channel, ChannelLabel(channel));
    }
    // Each name beside its line's colour: the chart has no legend of its own.
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        m_channels.SetItemSwatch(channel, ChannelColour(channel));
    }
    fillingList_ = false;
}

void CTrendDlg::UpdateList() {
    fillingList_ = true;
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        const ChannelStats& s = store_.Stats(channel);
        auto& shown = shownCounts_[static_cast<std::size_t>(channel)];
        if (s.count == shown) continue;
        // Checked at its first value, so that a new probe shows.
        if (shown == 0) m_channels.SetCheck(channel, TRUE);
        shown = s.count;
        SetTenthsCell(channel, kCurrent, s.lastTenths);
        SetTenthsCell(channel, kMin, s.minTenths);
        SetTenthsCell(channel, kMax, s.maxTenths);
        SetCell(channel, kMean, Fixed(s.Mean(), 2));
        SetCell(channel, kCount, std::to_string(s.count));
    }
    fillingList_ = false;
}

void CTrendDlg::SetTenthsCell(int channel, int column, std::int16_t tenths) {
    // Compared before formatting: the extremes and a steady value stay for many readings.
    int& shown = shownTenths_[static_cast<std::size_t>(channel)]
                             [static_cast<std::size_t>(column - kCurrent)];
    if (shown == tenths) return;
    shown = tenths;
    SetCell(channel, column, Tenths(tenths));
}

void CTrendDlg::SetCell(int channel, int column, const std::string& text) {
    // A cell given a text repaints, the same text or not: most of the statistics (the extremes,
    // a steady current value) stay as they are from one reading to the next.
    std::string& shown = shownTexts_[static_cast<std::size_t>(channel)]
                                    [static_cast<std::size_t>(column - kCurrent)];
    if (shown == text) return;
    shown = text;
    m_channels.SetItemText(channel, column, text);
}

void CTrendDlg::StoreChanged() {
    // The statistics and the chart at the next event-loop turn: readings that arrive together
    // are shown once.
    if (IsCreated()) Schedule();
}

void CTrendDlg::Schedule() {
    if (redrawPosted_) return;
    redrawPosted_ = PostMessage(GetSafeHwnd(), WM_TREND_REDRAW) != FALSE;
}

LRESULT CTrendDlg::OnScheduledRedraw(WPARAM, LPARAM) {
    redrawPosted_ = false;
    UpdateList();  // also while paused: the statistics go on
    if (!paused_) RedrawChart();
    return 0;
}

bool CTrendDlg::Selected(int channel) const {
    // A channel that never had a value has nothing to show, whatever its box says.
    return shownCounts_[static_cast<std::size_t>(channel)] > 0 && m_channels.GetCheck(channel);
}

void CTrendDlg::SetAllChecked(bool checked) {
    fillingList_ = true;
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        if (shownCounts_[static_cast<std::size_t>(channel)] > 0) {
            m_channels.SetCheck(channel, checked ? TRUE : FALSE);
        }
    }
    fillingList_ = false;
    RedrawChart();
}

void CTrendDlg::OnChannelChanged(NMHDR* header, LRESULT* result) {
    *result = 0;
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if (fillingList_ || (change->uChanged & LVIF_STATE) == 0 ||
        ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK) == 0) {
        return;
    }
    const int channel = change->iItem;
    if (channel < 0 || channel >= kReadingChannels) return;
    if (shownCounts_[static_cast<std::size_t>(channel)] == 0 && m_channels.GetCheck(channel)) {
        // No value yet: the box stays empty until the first one checks it.
        fillingList_ = true;
        m_channels.SetCheck(channel, FALSE);
        fillingList_ = false;
        return;
    }
    RedrawChart();
}

void CTrendDlg::SetSpan(Span span) {
    span_ = span;
    RedrawChart();  // a new span is asked for: shown also while paused
}

void CTrendDlg::OnPause() {
    paused_ = !paused_;
    // The button says what it does next; a screen reader reads the caption.
    GetDlgItem(IDC_TREND_PAUSE)->SetWindowText(paused_ ? "继续" : "暂停");
    if (!paused_) RedrawChart();
}

long long CTrendDlg::SpanMs() const {
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

void CTrendDlg::RedrawChart() {
    ++redraws_;
    const int columns = std::max(1, m_chart.Layout().plot.width);
    drawnColumns_ = columns;
    const std::size_t size = store_.Size();
    // Before the first reading the axis ends now, not at the start of the clock's epoch.
    const std::int64_t newest =
        size > 0 ? store_.TimeMs(size - 1)
                 : std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count();
    std::int64_t from = span_ == Span::All && size > 0 ? store_.TimeMs(0) : newest - SpanMs();
    std::int64_t to = newest;
    if (to - from < 10000) from = to - 10000;  // a first reading still gets a readable axis
    // The range ends on a whole column of time, each column as long as the span needs: the
    // lines then move by whole pixels or not at all, and a reading that falls in the newest
    // column redraws only the last columns of the chart. The span still fits whole.
    std::vector<std::size_t> starts;
    if (columns >= 3) {
        const std::int64_t step =
            std::max<std::int64_t>(1, (to - from + columns - 3) / (columns - 2));
        to = (to + step - 1) / step * step;
        from = to - step * (columns - 1);
        // A slice of readings per pixel column, centred on it: a range moved by whole columns
        // keeps every other column's points, and its image moves with it.
        const std::int64_t first = from - step / 2;
        starts = ColumnStarts(store_, first, first + step * columns, columns);
    } else {
        starts = ColumnStarts(store_, from, to + 1, columns);
    }

    std::vector<ChartLine> lines;
    lines.reserve(kReadingChannels);
    std::vector<TrendPoint> points;
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        if (!Selected(channel)) continue;
        points.clear();
        DecimateMinMax(store_, channel, starts, points);
        ChartLine line;
        line.channel = channel;
        line.colour = ChannelColour(channel);
        line.points.reserve(points.size());
        for (const TrendPoint& p : points) {
            line.points.push_back({static_cast<double>(store_.TimeMs(p.index)), p.tenths / 10.0});
        }
        lines.push_back(std::move(line));
    }
    m_chart.SetScene(from, to, std::move(lines));
}

std::string CTrendDlg::HoverText(int channel, double timeMs) const {
    const ChartLine* line = m_chart.LineOf(channel);
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

void CTrendDlg::OnExport() {
    const std::string name = startDir_ + PathSeparator() + "K7R2_trend_" +
                             CompactLocalTime(std::chrono::system_clock::now()) + ".png";
    CFileDialog dialog(FALSE, "png", name.c_str(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       "PNG 图片 (*.png)|*.png||", this);
    if (dialog.DoModal() != IDOK) return;
    if (!m_chart.SavePng(dialog.GetPathName())) MessageBox("图片保存失败!");
}
