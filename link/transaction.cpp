#include "link/transaction.h"

#include <algorithm>
#include <cstdio>

#include "link/commands.h"
#include "link/sleep_ms.h"

ReplyWait ReplyWaitFor(std::uint8_t command) {
    // The probe search takes the module several seconds and answers with one data byte.
    if (command == CMD_SEARCH_PROBES) return ReplyWait{10, 10000};
    return ReplyWait{17, 3000};
}

int ExchangeCommandFrame(CommPort& port, const std::vector<std::uint8_t>& request,
                         std::uint8_t command, ReplyBlock& reply, const TraceSink& trace) {
    const int requestSize = static_cast<int>(request.size());
    if (requestSize == 0) return 0;  // nothing to send, so no reply to wait 3 s for
    if (trace) trace("写", request.data(), requestSize);
    port.Write(request.data(), requestSize);
    SleepMilliseconds(kRequestPauseMs);
    const ReplyWait wait = ReplyWaitFor(command);
    const unsigned queued = port.WaitForInput(wait.bytes, wait.timeoutMs);
    // Handlers read fixed offsets of short replies too; zeroes give them defined values.
    reply.fill(0);
    const int wanted = static_cast<int>(std::min<unsigned>(queued, kReplyBufferSize));
    const int got = port.Read(reply.data(), wanted);
    if (trace) trace("读", reply.data(), got);
    return got;
}

std::string FormatTraceLine(const char* label, const std::uint8_t* bytes, int count) {
    std::string line = "\n";
    line += label != nullptr ? label : "";
    line += ' ';
    if (bytes == nullptr) return line;
    char hex[4];
    for (int i = 0; i < count; ++i) {
        std::snprintf(hex, sizeof hex, "%02x ", bytes[i]);
        line += hex;
    }
    return line;
}
