#include "console/scanner_dlg.h"
#include "console/trace_list.h"
#include "link/transaction.h"

std::unique_ptr<ReplyBlock> CScannerDlg::SendCommand(int address, const std::uint8_t* payload,
                                                     int payloadLength, std::uint8_t command,
                                                     int& status) {
    UpdateData(TRUE);
    const std::vector<std::uint8_t> request =
        BuildRequest(address, command, payload, payloadLength);
    if (request.empty()) {  // a payload no command carries: nothing is sent
        status = -1;
        return nullptr;
    }
    CommPort port = OpenConfiguredPort();
    if (!port) {
        status = -1;
        return nullptr;
    }
    auto reply = std::make_unique<ReplyBlock>();  // zero-filled: handlers read fixed offsets
    TraceSink trace;
    if (g_traceList != nullptr) trace = TraceFrame;
    const int got = ExchangeCommandFrame(port, request, command, *reply, trace);
    port.Close();
    if (got >= kFrameOverhead) {
        status = got;
        return reply;
    }
    status = 0;
    return nullptr;
}
