#pragma once
// The trend window's widgets: the chart of the selected channels against wall-clock time, the
// channel table with check boxes and statistics, the span choice, pause and picture export.
#include <array>
#include <string>

#include <QTimer>
#include <QWidget>

#include "record/reading.h"

class QAbstractButton;
class QButtonGroup;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class TrendChart;
class TrendStore;
struct RasterPoint;

class TrendWidget : public QWidget {
    Q_OBJECT
public:
    enum class Span { OneMinute, TenMinutes, OneHour, All };

    TrendWidget(const TrendStore& store, std::string startDir, QWidget* owner);

    // The store has changed: the table now, the chart at the next event-loop turn.
    void StoreChanged();
    // Draws the chart from the store at once (also while paused: the caller asks for it).
    void RedrawChart();
    // The text shown while hovering over a channel's line near `timeMs` (ms since the epoch).
    std::string HoverText(int channel, double timeMs) const;

    TrendChart* Chart() const { return chart_; }
    int ChartRedraws() const { return redraws_; }

private:
    void BuildTable();
    void UpdateTable();
    void SetAllChecked(bool checked);
    void OnItemChanged(QTableWidgetItem* item);
    void ScheduleChart();
    void ShowHover(int channel, const RasterPoint& value, const QPoint& screen);
    void ExportPicture();
    long long SpanMs() const;
    bool Selected(int channel) const;

    const TrendStore& store_;
    std::string startDir_;
    TrendChart* chart_ = nullptr;
    std::array<long long, kReadingChannels> shownCounts_{};
    QTableWidget* table_ = nullptr;
    QButtonGroup* spans_ = nullptr;
    QPushButton* pause_ = nullptr;
    QTimer chartTimer_;
    Span span_ = Span::TenMinutes;
    bool fillingTable_ = false;
    int redraws_ = 0;
    int drawnColumns_ = 0;
};
