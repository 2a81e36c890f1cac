#include "console/reply_check.h"

#include "ui/wnd.h"

bool ReplyUsable(CWnd& owner, int status, int needed) {
    if (status == -1) {
        owner.MessageBox("打开串口错误!");
        return false;
    }
    // The block is zero-filled past what arrived: a cut reply would read as real zero bytes.
    if (status < needed) {
        owner.MessageBox("读数据错误!");
        return false;
    }
    return true;
}
