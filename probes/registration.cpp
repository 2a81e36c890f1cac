// Button 1006: register a probe in the selected mode.
#include <cstdio>

#include "console/scanner_dlg.h"
#include "link/commands.h"
#include "probes/register_result.h"
#include "console/reply_check.h"
#include "probes/sn_text.h"

namespace {

constexpr int kModeSemiAuto = 0;
constexpr int kModeManual = 1;

constexpr SnBytes kNoProbeSn = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
constexpr SnBytes kBadChannelSn = {0, 0, 0, 0, 0, 0, 0, 0};

}  // namespace

void CScannerDlg::OnRegister() {
    UpdateData(TRUE);
    const int mode = m_regMode;
    std::uint8_t payload[kMaxPayload] = {};
    payload[0] = static_cast<std::uint8_t>(m_channel & 0xFF);

    std::uint8_t command = CMD_SEARCH_PROBES;
    int length = 0;
    if (mode == kModeSemiAuto) {
        command = CMD_REGISTER_CHANNEL;
        length = 1;
    } else if (mode == kModeManual) {
        int okCount = 0;
        for (int k = 1; k <= 8; ++k) {
            bool ok = false;
            payload[k] = static_cast<std::uint8_t>(ParseHexByte(*m_snByteRefs[k - 1], ok) & 0xFF);
            if (ok) ++okCount;
        }
        if (okCount < 8 || payload[1] != kSnFamilyByte) {
            MessageBox("SN号输入格式错误!");
            return;
        }
        command = CMD_REGISTER_SN;
        length = 9;
    }
    // Only the low byte travels: channel 300 would overwrite the probe registered at 44.
    if (length > 0 && (m_channel < 0 || m_channel > 0xFF)) {
        MessageBox("注册错误!通道号无效!");
        return;
    }

    int status = 0;
    std::unique_ptr<ReplyBlock> reply = SendCommand(m_address, payload, length, command, status);
    if (!ReplyUsable(*this, status, mode == kModeSemiAuto ? kSnReplyMinLength : kFrameOverhead)) {
        return;
    }
    const std::uint8_t result = (*reply)[kFrameHeaderSize];

    if (mode == kModeSemiAuto) {
        const SnBytes sn = SnFromReply(*reply);
        if (sn == kNoProbeSn) {
            MessageBox("注册错误!SN号无效!");
            return;
        }
        if (sn == kBadChannelSn) {
            MessageBox("注册错误!通道号无效!");
            return;
        }
        ++m_channel;
        MessageBox("注册成功!\r\nSN号为:" + CompactSnText(sn));
    } else if (mode == kModeManual) {
        if (result == REGISTER_OK) {
            MessageBox("注册成功!");
            ++m_channel;
        } else {
            MessageBox(RegisterFailureText(result));
        }
    } else {
        char text[64];
        std::snprintf(text, sizeof text, "共搜索到的探头数为%d", result);
        MessageBox(text);
    }
    reply.reset();
    UpdateData(FALSE);
}
