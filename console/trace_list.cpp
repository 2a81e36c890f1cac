#include "console/trace_list.h"

#include "link/transaction.h"

CListBox* g_traceList = nullptr;

void TraceFrame(const char* label, const std::uint8_t* bytes, int count) {
    if (g_traceList == nullptr) return;
    g_traceList->AddString(FormatTraceLine(label, bytes, count));
    g_traceList->SetTopIndex(g_traceList->GetCount() - 1);
    if (g_traceList->GetCount() > kMaxTraceLines) g_traceList->DeleteString(0);
}
