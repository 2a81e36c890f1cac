// One SN byte typed or read from a file: one or two upper-case hexadecimal digits.
#include "console/scanner_dlg.h"

int CScannerDlg::ParseHexByte(std::string text, bool& ok) {
    ok = false;
    if (text.size() > 2) return -2;
    int value = 0;
    for (const char c : text) {
        int digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return -1;  // lower case, blanks, signs, line ends and non-ASCII bytes alike
        }
        value = value * 16 + digit;
    }
    ok = true;  // the empty text counts as the byte 0
    return value;
}
