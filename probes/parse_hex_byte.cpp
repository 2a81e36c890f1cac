// One SN byte typed or read from a file: one or two upper-case hexadecimal digits.
#include "console/scanner_dlg.h"
#include "link/sn_text.h"

int CScannerDlg::ParseHexByte(std::string text, bool& ok) {
    return ::ParseHexByte(text, ok);
}
