#pragma once
#include <cstdint>
#include <string>

constexpr int kStartDirCapacity = 4096;
// The directory the program started in, without a trailing separator. A plain buffer, so that
// a worker still logging while the process ends never reads a destroyed object.
extern char g_startDir[kStartDirCapacity];

constexpr const char* kFaultLogName = "K7R2_log.txt";

// Appends "\n%s %s 字节数:%d 数据:" + "%02x " per byte to the fault log in g_startDir,
// in code page 936 with CR LF line ends. Silent when the file cannot be opened.
void AppendFaultLog(const char* message, const std::uint8_t* bytes, int count);

// The record as UTF-8 text with "\n" line ends, for a given time of day "HH:MM:SS".
std::string FormatFaultRecord(const std::string& timeOfDay, const char* message,
                              const std::uint8_t* bytes, int count);
std::string FaultLogPath();
