#pragma once
// The trend window "温度趋势": the chart of the selected channels against wall-clock time, the
// channel list with check boxes and statistics, the span choice, pause and picture export.
// A dialog of our layer: the same code on both platforms.
#include <array>
#include <cstdint>
#include <string>

#include "record/reading.h"
#include "trend/trend_chart_control.h"
#include "ui/afxwin.h"

class TrendStore;

class CTrendDlg : public CDialog {
public:
    enum class Span { OneMinute, TenMinutes, OneHour, All };

    CTrendDlg(const TrendStore& store, std::string startDir, CWnd* parent);

    // The store has changed: the list and the chart follow at the next event-loop turn.
    void StoreChanged();
    // Draws the chart from the store at once (also while paused: the caller asks for it).
    void RedrawChart();
    // The text shown while hovering over a channel's line near `timeMs` (ms since the epoch).
    std::string HoverText(int channel, double timeMs) const;

    TrendChartControl& Chart() { return m_chart; }
    int ChartRedraws() const { return redraws_; }
    bool Paused() const { return paused_; }

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    void OnSpan1Min() { SetSpan(Span::OneMinute); }
    void OnSpan10Min() { SetSpan(Span::TenMinutes); }
    void OnSpan1H() { SetSpan(Span::OneHour); }
    void OnSpanAll() { SetSpan(Span::All); }
    void OnPause();
    void OnExport();
    void OnSelectAll() { SetAllChecked(true); }
    void OnSelectNone() { SetAllChecked(false); }
    void OnChannelChanged(NMHDR* header, LRESULT* result);
    LRESULT OnScheduledRedraw(WPARAM, LPARAM);

protected:
    const MessageMap& GetMessageMap() const override;

private:
    void BuildList();
    void UpdateList();
    void SetSpan(Span span);
    void SetAllChecked(bool checked);
    void SetCell(int channel, int column, const std::string& text);
    void SetTenthsCell(int channel, int column, std::int16_t tenths);
    void Schedule();
    long long SpanMs() const;
    bool Selected(int channel) const;

    const TrendStore& store_;
    std::string startDir_;
    TrendChartControl m_chart;
    CListCtrl m_channels;
    std::array<long long, kReadingChannels> shownCounts_{};
    // The statistics' texts as the list shows them (当前, 最小, 最大, 平均, 次数).
    std::array<std::array<std::string, 5>, kReadingChannels> shownTexts_{};
    // The values behind 当前, 最小 and 最大 as shown; none shown at first.
    static constexpr int kNoneShown = -100000;
    std::array<std::array<int, 3>, kReadingChannels> shownTenths_ = [] {
        std::array<std::array<int, 3>, kReadingChannels> none{};
        for (auto& row : none) row.fill(kNoneShown);
        return none;
    }();
    Span span_ = Span::TenMinutes;
    bool paused_ = false;
    bool fillingList_ = false;
    bool redrawPosted_ = false;
    int redraws_ = 0;
    int drawnColumns_ = 0;
};

// The colour of a channel's line: neighbouring channels far apart on the colour wheel, so that
// lines next to each other in the list are told apart in the chart.
ChartColour ChannelColour(int channel);
