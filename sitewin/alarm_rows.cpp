#include "sitewin/alarm_rows.h"

#include <cmath>
#include <cstdio>

#include "record/local_time.h"
#include "record/readings_csv.h"

namespace {

std::string Figure(double value, const char* format) {
    if (std::isnan(value)) return "";
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

std::array<std::string, kAlarmRowColumns> AlarmRowTexts(const AlarmEvent& event) {
    std::string time = IsoLocalTime(event.time).substr(0, 19);
    if (time.size() > 10) time[10] = ' ';
    return {
        time,
        event.id == 0 ? "" : std::to_string(event.id),
        std::to_string(event.bus),
        std::to_string(event.address),
        event.module,
        event.channel < 0 ? "" : ChannelLabel(event.channel),
        event.channelName,
        AlarmKindText(event.kind),
        Figure(event.value, "%.1f"),
        Figure(event.limit, "%g"),
        AlarmStateText(event.state),
        event.user,
    };
}

const char* AlarmRowHeading(int column) {
    static const char* headings[kAlarmRowColumns] = {"时间", "编号", "总线", "地址", "模块", "通道",
                                                     "名称", "类别", "值", "限值", "状态", "用户"};
    return headings[column];
}

int AlarmRowWidth(int column) {
    static const int widths[kAlarmRowColumns] = {150, 40, 36, 36, 70, 76, 90, 64, 46, 46, 80, 60};
    return widths[column];
}
