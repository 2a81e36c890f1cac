// The PT100 dialog's commands to the module: parameters, calibrations, offset, temperatures.
#include <cstdio>

#include "console/reply_check.h"
#include "console/scanner_dlg.h"
#include "link/commands.h"
#include "link/temp_word.h"
#include "pt100/offset_text.h"
#include "pt100/pt100_dlg.h"

namespace {

std::string Decimal(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return text;
}

int Word(const ReplyBlock& reply, int high) {
    return reply[high] * 256 + reply[high + 1];
}

// Reply bytes each command reads, the last one counted from the frame's first byte.
constexpr int kLastParamByte = 13;
constexpr int kLastTempByte = 14;
constexpr int kNoByteRead = 0;

}  // namespace

int CPt100Dlg::ChannelIndex() {
    const int selected = m_comboChannel.GetCurSel();
    if (selected >= 0) return selected;
    // Typed into the field: the channel it names. Anything else would reach the module as
    // channel 0xFF.
    const std::string typed = m_comboChannel.GetWindowText();
    for (int i = 0; i < m_comboChannel.GetCount(); ++i) {
        if (m_comboChannel.GetLBText(i) == typed) return i;
    }
    MessageBox("请选择通道!");
    return -1;
}

std::unique_ptr<ReplyBlock> CPt100Dlg::Transact(std::uint8_t command, const std::uint8_t* payload,
                                                int payloadLength, int lastByteUsed) {
    int status = -1;
    std::unique_ptr<ReplyBlock> reply;
    if (g_mainDlg != nullptr) {
        g_mainDlg->UpdateData(TRUE);
        reply =
            g_mainDlg->SendCommand(g_mainDlg->m_address, payload, payloadLength, command, status);
    }
    if (!ReplyUsable(*this, status, lastByteUsed + 1)) return nullptr;
    return reply;
}

void CPt100Dlg::OnReadParams() {
    const int channel = ChannelIndex();
    if (channel < 0) return;
    const std::uint8_t payload[1] = {static_cast<std::uint8_t>(channel)};
    const auto reply = Transact(CMD_PT100_READ_PARAMS, payload, 1, kLastParamByte);
    if (!reply) return;
    const ReplyBlock& r = *reply;
    m_editZeroAd.SetWindowText(Decimal(r[7]));
    m_editOffset.SetWindowText(FormatOffsetByte(r[8]));  // moves the spin as typing would
    m_editRes1Ad.SetWindowText(Decimal(Word(r, 10)));
    m_editRes2Ad.SetWindowText(Decimal(Word(r, 12)));
}

void CPt100Dlg::OnCalibrateZero() {
    Calibrate(PT100_CAL_ZERO);
}
void CPt100Dlg::OnCalibrateRes1() {
    Calibrate(PT100_CAL_RES1);
}
void CPt100Dlg::OnCalibrateRes2() {
    Calibrate(PT100_CAL_RES2);
}

void CPt100Dlg::Calibrate(std::uint8_t type) {
    const int channel = ChannelIndex();
    if (channel < 0) return;
    const std::uint8_t payload[2] = {type, static_cast<std::uint8_t>(channel)};
    const int lastByte = type == PT100_CAL_ZERO ? 7 : type == PT100_CAL_RES1 ? 8 : kNoByteRead;
    const auto reply = Transact(CMD_PT100_CALIBRATE, payload, 2, lastByte);
    if (!reply) return;
    if (type == PT100_CAL_ZERO) {
        m_editZeroAd.SetWindowText(Decimal((*reply)[7]));
    } else if (type == PT100_CAL_RES1) {
        m_editRes1Ad.SetWindowText(Decimal(Word(*reply, 7)));
    }
    // The reply to a resistor-2 calibration carries no defined value: nothing is shown, and
    // "读取参数" reads the new one back.
}

void CPt100Dlg::OnSetOffset() {
    const int channel = ChannelIndex();
    if (channel < 0) return;
    const std::optional<std::uint8_t> offset =
        OffsetByteFromCelsius(LeadingDecimal(m_editOffset.GetWindowText()));
    if (!offset) {
        MessageBox("设定值超出范围", nullptr, MB_ICONWARNING);
        return;
    }
    const std::uint8_t payload[2] = {static_cast<std::uint8_t>(channel), *offset};
    Transact(CMD_PT100_SET_OFFSET, payload, 2, kNoByteRead);  // only the status counts
}

void CPt100Dlg::OnReadTemps() {
    const auto reply = Transact(CMD_PT100_READ_TEMPS, nullptr, 0, kLastTempByte);
    if (!reply) return;
    const ReplyBlock& r = *reply;
    m_editTemp1.SetWindowText(FormatTempWord(r[7], r[8]));
    m_editTemp2.SetWindowText(FormatTempWord(r[9], r[10]));
    m_editTemp3.SetWindowText(FormatTempWord(r[11], r[12]));
    m_editTemp4.SetWindowText(FormatTempWord(r[13], r[14]));
}
