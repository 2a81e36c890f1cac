// The PT100 dialog's commands to the module: parameters, calibrations, offset, temperatures.
#include <string>

#include "console/reply_check.h"
#include "console/scanner_dlg.h"
#include "link/temp_word.h"
#include "pt100/offset_text.h"
#include "pt100/pt100_dlg.h"

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

ReplyBytes CPt100Dlg::Transact(const CommandRequest& request, int& status) {
    status = -1;
    reply_.reset();
    if (g_mainDlg != nullptr) {
        g_mainDlg->UpdateData(TRUE);
        reply_ = g_mainDlg->SendCommand(g_mainDlg->m_address, request.Data(), request.length,
                                        request.command, status);
    }
    return CommandReply(reply_, status);
}

void CPt100Dlg::OnReadParams() {
    const int channel = ChannelIndex();
    if (channel < 0) return;
    int status = -1;
    const auto decoded =
        DecodePt100ParamsReply(Transact(Pt100ParamsRequest(static_cast<std::uint8_t>(channel)), status));
    if (!ReplyUsable(*this, status, decoded.has_value())) return;
    m_editZeroAd.SetWindowText(std::to_string(decoded->zeroAd));
    m_editOffset.SetWindowText(FormatOffsetByte(decoded->offset));  // moves the spin as typing would
    m_editRes1Ad.SetWindowText(std::to_string(decoded->res1Ad));
    m_editRes2Ad.SetWindowText(std::to_string(decoded->res2Ad));
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
    int status = -1;
    const auto decoded = DecodePt100CalibrateReply(
        type, Transact(Pt100CalibrateRequest(type, static_cast<std::uint8_t>(channel)), status));
    if (!ReplyUsable(*this, status, decoded.has_value())) return;
    if (decoded->zeroAd) m_editZeroAd.SetWindowText(std::to_string(*decoded->zeroAd));
    if (decoded->res1Ad) m_editRes1Ad.SetWindowText(std::to_string(*decoded->res1Ad));
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
    int status = -1;
    const auto decoded = DecodePt100SetOffsetReply(
        Transact(Pt100SetOffsetRequest(static_cast<std::uint8_t>(channel), *offset), status));
    ReplyUsable(*this, status, decoded.has_value());  // only the status counts
}

void CPt100Dlg::OnReadTemps() {
    int status = -1;
    const auto decoded = DecodePt100TempsReply(Transact(Pt100TempsRequest(), status));
    if (!ReplyUsable(*this, status, decoded.has_value())) return;
    m_editTemp1.SetWindowText(FormatTempWord(decoded->words[0]));
    m_editTemp2.SetWindowText(FormatTempWord(decoded->words[1]));
    m_editTemp3.SetWindowText(FormatTempWord(decoded->words[2]));
    m_editTemp4.SetWindowText(FormatTempWord(decoded->words[3]));
}
