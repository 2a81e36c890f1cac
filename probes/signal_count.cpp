// Button 1004: the module's signal count.
#include <cstdio>

#include "console/scanner_dlg.h"
#include "console/reply_check.h"

namespace {

std::string SignalCountText(int count, bool succeeded) {
    char text[64];
    if (succeeded) {
        std::snprintf(text, sizeof text, "设置的信号数为%d成功!", count);
    } else {
        std::snprintf(text, sizeof text, "设置的信号数为%d失败!", count);
    }
    return text;
}

}  // namespace

void CScannerDlg::OnSetSignalCount() {
    UpdateData(TRUE);
    // Only one byte travels: 300 would quietly set the module to 44.
    if (m_signalCount < 0 || m_signalCount > 0xFF) {
        MessageBox(SignalCountText(m_signalCount, false));
        return;
    }
    const CommandRequest request =
        SetSignalCountRequest(static_cast<std::uint8_t>(m_signalCount & 0xFF));
    int status = 0;
    std::unique_ptr<ReplyBlock> reply =
        SendCommand(m_address, request.Data(), request.length, request.command, status);
    const auto decoded = DecodeSignalCountReply(CommandReply(reply, status));
    if (!ReplyUsable(*this, status, decoded.has_value())) return;
    const int reported = decoded->reported;
    MessageBox(SignalCountText(reported, reported == m_signalCount));
}
