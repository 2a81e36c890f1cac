// Button 1014: the SN stored at an index, shown and put on the clipboard as a file line.
#include "console/scanner_dlg.h"
#include "console/reply_check.h"
#include "probes/sn_clipboard.h"
#include "probes/sn_text.h"

namespace {

constexpr int kLastSnIndex = 64;

// Successive reads walk the channels' entries; entry 0 (the registration socket) is re-read.
int NextSnIndex(int index) {
    if (index == 0) return 0;
    if (index >= 63) return 1;  // 64 too: its successor is outside the table
    return index + 1;
}

}  // namespace

void CScannerDlg::OnReadSn() {
    UpdateData(TRUE);
    // The field's exchange has already complained about a value outside the table; sending its
    // low byte would read another entry under this index's label.
    if (m_snIndex < 0 || m_snIndex > kLastSnIndex) return;
    const CommandRequest request = ReadSnRequest(static_cast<std::uint8_t>(m_snIndex & 0xFF));
    int status = 0;
    std::unique_ptr<ReplyBlock> reply =
        SendCommand(m_address, request.Data(), request.length, request.command, status);
    const auto decoded = DecodeReadSnReply(CommandReply(reply, status));
    if (!ReplyUsable(*this, status, decoded.has_value())) return;

    const std::string line = SnLine(m_snIndex, decoded->sn);
    std::string text = "SN号为:" + line;
    // The clipboard sentence only when it is true.
    if (CopyTextToClipboard(line)) text += "\n数字已送到剪贴板,按Ctrl+V粘贴ID号";
    MessageBox(text);

    m_snIndex = NextSnIndex(m_snIndex);
    reply.reset();
    UpdateData(FALSE);
}
