#pragma once
#include <cstdint>

#include "ui/controls.h"

// The PT100 dialog's frame log while that dialog is open, else null.
extern CListBox* g_traceList;

constexpr int kMaxTraceLines = 900;

// Appends one trace line to g_traceList, keeps the newest line in view and the list at 900 lines.
void TraceFrame(const char* label, const std::uint8_t* bytes, int count);
