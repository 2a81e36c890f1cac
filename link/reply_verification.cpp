#include "link/reply_verification.h"

ReplyFrameFault VerifyReplyFrame(ReplyBytes reply) {
    if (reply.empty()) return ReplyFrameFault::Missing;
    if (reply.size() < static_cast<std::size_t>(kFrameOverhead)) return ReplyFrameFault::Short;
    const std::size_t data = static_cast<std::size_t>(reply[5] * 256 + reply[6]);
    const std::size_t checked = kFrameHeaderSize + data;
    if (reply.size() < checked + 2) return ReplyFrameFault::Short;
    const std::uint16_t sum = FrameChecksum(reply.data(), static_cast<int>(checked));
    if (reply[checked] != (sum >> 8) || reply[checked + 1] != (sum & 0xFF)) {
        return ReplyFrameFault::BadChecksum;
    }
    return ReplyFrameFault::None;
}

const char* ReplyFrameFaultText(ReplyFrameFault fault) {
    switch (fault) {
        case ReplyFrameFault::None: return "成功";
        case ReplyFrameFault::Missing: return "无应答";
        case ReplyFrameFault::Short: return "应答不完整";
        case ReplyFrameFault::BadChecksum: return "校验错误";
    }
    return "未知错误";
}
