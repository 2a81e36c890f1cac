// Button 1027: register every probe listed in a text file, one line after the other.
#include <cstdio>

#include "console/reply_check.h"
#include "console/scanner_dlg.h"
#include "link/module_commands.h"
#include "link/register_result.h"
#include "link/registration_file.h"
#include "probes/registration_line.h"

namespace {

std::string LineMessage(const char* format, int number) {
    char text[128];
    std::snprintf(text, sizeof text, format, number);
    return text;
}

}  // namespace

void CScannerDlg::OnFileRegister() {
    // One file at a time, and it must exist: a name typed into an open dialog that names no
    // file would otherwise end the operation without a word. The dialog starts in the current
    // directory, and choosing a file leaves g_startDir (the fault log's home) as it was.
    CFileDialog dialog(TRUE, nullptr, nullptr, OFN_EXPLORER | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                       "Data Files (*.txt)|*.txt||", this);
    UpdateData(TRUE);
    if (dialog.DoModal() != IDOK) return;

    RegistrationFile file;
    if (!file.Open(dialog.GetPathName())) return;
    int lineNumber = 1;
    int registered = 0;
    std::string line;
    while (file.NextLine(line)) {
        const RegistrationLine parsed = ParseRegistrationLine(line);
        if (parsed.verdict == LineVerdict::LayoutError) {
            MessageBox(LineMessage("第%d行格式错误,该行无注册,程序退出!", lineNumber));
            return;
        }
        if (parsed.verdict == LineVerdict::SnError) {
            MessageBox(LineMessage("第%d行SN号格式错误,该行无注册,程序退出!", lineNumber));
            return;
        }
        const CommandRequest request = *RegisterSnRequest(parsed.channel, parsed.sn);
        int status = 0;
        std::unique_ptr<ReplyBlock> reply =
            SendCommand(m_address, request.Data(), request.length, request.command, status);
        const auto decoded = DecodeRegisterSnReply(CommandReply(reply, status));
        if (!decoded) {
            MessageBox(LineMessage("第%d行注册失败错误,该行无注册,程序退出!", lineNumber));
            return;
        }
        const std::uint8_t result = decoded->result;
        reply.reset();
        if (result == REGISTER_OK) {
            ++registered;
            MessageBox(LineMessage("探头%d注册成功!", registered));
        } else {
            MessageBox(RegisterFailureText(result));
        }
        ++lineNumber;
    }
}
