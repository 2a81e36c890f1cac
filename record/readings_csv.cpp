#include "record/readings_csv.h"

#include <cstdio>

#include "record/local_time.h"

namespace {

constexpr const char* kRecordEnd = "\r\n";

}  // namespace

std::string ChannelLabel(int channel) {
    char text[32];
    if (channel < kReadingPt100s) {
        std::snprintf(text, sizeof text, "PT100温度%d", channel + 1);
    } else {
        std::snprintf(text, sizeof text, "温度%d", channel - kReadingPt100s + 1);
    }
    return text;
}

std::string CsvHeaderRecord() {
    std::string record = "时间,状态";
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        record += ',';
        record += ChannelLabel(channel);
    }
    return record + kRecordEnd;
}

std::string CsvRecord(const Reading& reading) {
    std::string record = IsoLocalTime(reading.time);
    record += ',';
    record += BlockFaultText(reading.fault);
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        record += ',';
        record += ChannelText(reading, channel);
    }
    return record + kRecordEnd;
}
