// Button 1006: register a probe in the selected mode.
#include <cstdio>

#include "console/scanner_dlg.h"
#include "console/reply_check.h"
#include "link/register_result.h"
#include "probes/sn_text.h"

namespace {

constexpr int kModeSemiAuto = 0;
constexpr int kModeManual = 1;

}  // namespace

void CScannerDlg::OnRegister() {
    UpdateData(TRUE);
    const int mode = m_regMode;
    const auto channel = static_cast<std::uint8_t>(m_channel & 0xFF);

    CommandRequest request = SearchProbesRequest();
    if (mode == kModeSemiAuto) {
        request = RegisterChannelRequest(channel);
    } else if (mode == kModeManual) {
        SnBytes sn{};
        int okCount = 0;
        for (std::size_t k = 0; k < sn.size(); ++k) {
            bool ok = false;
            sn[k] = static_cast<std::uint8_t>(ParseHexByte(*m_snByteRefs[k], ok) & 0xFF);
            if (ok) ++okCount;
        }
        const std::optional<CommandRequest> registration = RegisterSnRequest(channel, sn);
        if (okCount < 8 || !registration) {
            MessageBox("SN号输入格式错误!");
            return;
        }
        request = *registration;
    }
    // Only the low byte travels: channel 300 would overwrite the probe registered at 44.
    if (request.length > 0 && (m_channel < 0 || m_channel > 0xFF)) {
        MessageBox("注册错误!通道号无效!");
        return;
    }

    int status = 0;
    std::unique_ptr<ReplyBlock> reply =
        SendCommand(m_address, request.Data(), request.length, request.command, status);
    const ReplyBytes received = CommandReply(reply, status);

    if (mode == kModeSemiAuto) {
        const auto decoded = DecodeRegisterChannelReply(received);
        if (!ReplyUsable(*this, status, decoded.has_value())) return;
        if (decoded->outcome == ChannelRegistration::NoValidSn) {
            MessageBox("注册错误!SN号无效!");
            return;
        }
        if (decoded->outcome == ChannelRegistration::InvalidChannel) {
            MessageBox("注册错误!通道号无效!");
            return;
        }
        ++m_channel;
        MessageBox("注册成功!\r\nSN号为:" + CompactSnText(decoded->sn));
    } else if (mode == kModeManual) {
        const auto decoded = DecodeRegisterSnReply(received);
        if (!ReplyUsable(*this, status, decoded.has_value())) return;
        if (decoded->result == REGISTER_OK) {
            MessageBox("注册成功!");
            ++m_channel;
        } else {
            MessageBox(RegisterFailureText(decoded->result));
        }
    } else {
        const auto decoded = DecodeSearchProbesReply(received);
        if (!ReplyUsable(*this, status, decoded.has_value())) return;
        char text[64];
        std::snprintf(text, sizeof text, "共搜索到的探头数为%d", decoded->found);
        MessageBox(text);
    }
    reply.reset();
    UpdateData(FALSE);
}
