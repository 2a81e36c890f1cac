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
class QDateTimeAxis;
class QPointF;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class QValueAxis;
class QChart;
class QChartView;
class TrendLines;
class TrendStore;

class TrendWidget : public QWidget {
    Q_OBJECT
public:
    enum class Span { OneMinute, TenMinutes, OneHour, All };

    TrendWidget(const TrendStore& store, std::string startDir, QWidget* owner);

    // The store has changed: the table now, the chart at the next event-loop turn.
    void StoreChanged();
    // Draws the chart from the store at once (also while paused: the caller asks for it).
    void RedrawChart();
    // The text shown while hovering over a channel's line near `point` (x: ms since the epoch).
    std::string HoverText(int channel, const QPointF& point) const;

    QChartView* View() const { return view_; }
    const TrendLines& Lines() const { return *lines_; }
    // Where a value is drawn, in the chart view's coordinates.
    QPoint ViewPosition(const QPointF& value) const;
    int ChartRedraws() const { return redraws_; }

private:
    void BuildTable();
    void UpdateTable();
    void SetAllChecked(bool checked);
    void OnItemChanged(QTableWidgetItem* item);
    void ScheduleChart();
    void ShowHover(int channel, const QPointF& value, const QPoint& screen);
    void ExportPicture();
    long long SpanMs() const;
    bool Selected(int channel) const;

    const TrendStore& store_;
    std::string startDir_;
    QChart* chart_ = nullptr;
    QChartView* view_ = nullptr;
    QDateTimeAxis* axisX_ = nullptr;
    QValueAxis* axisY_ = nullptr;
    TrendLines* lines_ = nullptr;
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
