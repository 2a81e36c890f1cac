#pragma once
// A whole reply frame checked as the temperature block is: its length field against what
// arrived, and its checksum. The window takes command replies unchecked; the command-line tool
// and the port scan take only verified ones.
#include "link/module_commands.h"

enum class ReplyFrameFault {
    None,
    Missing,      // nothing arrived
    Short,        // fewer bytes than a frame, or than its length field announces
    BadChecksum,
};

ReplyFrameFault VerifyReplyFrame(ReplyBytes reply);
// "无应答", "应答不完整", "校验错误"; "成功" for None.
const char* ReplyFrameFaultText(ReplyFrameFault fault);
