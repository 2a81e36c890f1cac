#include "link/fault_log.h"

#include <cstdio>

#include "link/file_append.h"
#include "link/text_codec.h"

char g_startDir[kStartDirCapacity] = {};

std::string FaultLogPath() {
    return std::string(g_startDir) + PathSeparator() + kFaultLogName;
}

std::string FormatFaultRecord(const std::string& timeOfDay, const char* message,
                              const std::uint8_t* bytes, int count) {
    const char* format = "\n%s %s 字节数:%d 数据:";
    const char* text = message != nullptr ? message : "";
    const int length = std::snprintf(nullptr, 0, format, timeOfDay.c_str(), text, count);
    std::string record(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    std::snprintf(record.data(), record.size() + 1, format, timeOfDay.c_str(), text, count);
    if (bytes != nullptr) {
        char hex[4];
        for (int i = 0; i < count; ++i) {
            std::snprintf(hex, sizeof hex, "%02x ", bytes[i]);
            record += hex;
        }
    }
    return record;
}

void AppendFaultLog(const char* message, const std::uint8_t* bytes, int count) {
    const std::string record = FormatFaultRecord(LocalTimeOfDay(), message, bytes, count);
    // Opened and closed per record, so each record is on disk when the call returns.
    AppendToRegularFile(FaultLogPath(), ToCrLf(Utf8ToGbk(record)));
}
