#include "console/reply_check.h"

#include "ui/wnd.h"

ReplyBytes CommandReply(const std::unique_ptr<ReplyBlock>& reply, int status) {
    return reply ? ReceivedReply(*reply, status) : ReplyBytes();
}

bool ReplyUsable(CWnd& owner, int status, bool decoded) {
    if (status == -1) {
        owner.MessageBox("打开串口错误!");
        return false;
    }
    // The block is zero-filled past what arrived: a cut reply would read as real zero bytes.
    if (!decoded) {
        owner.MessageBox("读数据错误!");
        return false;
    }
    return true;
}
