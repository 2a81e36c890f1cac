#include "probes/sn_text.h"

#include <cstdio>

SnBytes SnFromReply(const ReplyBlock& reply) {
    SnBytes sn{};
    for (std::size_t i = 0; i < sn.size(); ++i) sn[i] = reply[kSnReplyOffset + i];
    return sn;
}

std::string CompactSnText(const SnBytes& sn) {
    char text[32];
    std::snprintf(text, sizeof text, "%X-%X-%X-%X-%X-%X-%X-%X", sn[0], sn[1], sn[2], sn[3], sn[4],
                  sn[5], sn[6], sn[7]);
    return text;
}

std::string SnLine(int index, const SnBytes& sn) {
    char text[48];  // room for any int index
    std::snprintf(text, sizeof text, "%02d:%02X-%02X-%02X-%02X-%02X-%02X-%02X-%02X", index, sn[0],
                  sn[1], sn[2], sn[3], sn[4], sn[5], sn[6], sn[7]);
    return text;
}
