// scan: every baud and address asked for the PT100 temperatures, with a short wait each.
#include <algorithm>
#include <cstdio>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/interrupt.h"
#include "cli/module_session.h"
#include "cli/terminal.h"
#include "link/reply_verification.h"
#include "link/transaction.h"

namespace {

// 10 bits a byte: start, 8 data, stop.
std::uint32_t WireMs(std::size_t bytes, int baud) {
    return static_cast<std::uint32_t>((bytes * 10 * 1000 + static_cast<std::size_t>(baud) - 1) /
                                      static_cast<std::size_t>(baud));
}

class Progress {
public:
    Progress(const CliOutput& output, int total)
        : output_(output), total_(total), bar_(StderrIsTerminal()) {}

    void Step(int baud, int address) {
        ++done_;
        if (!bar_) return;
        constexpr int kWidth = 30;
        const int filled = done_ * kWidth / total_;
        char line[160];
        std::snprintf(line, sizeof line, "\r扫描 [%s%s] %d/%d  %d Bd 地址 %d ",
                      std::string(static_cast<std::size_t>(filled), '#').c_str(),
                      std::string(static_cast<std::size_t>(kWidth - filled), '.').c_str(), done_,
                      total_, baud, address);
        output_.err << line << std::flush;
    }
    void StartBaud(int baud, int first, int last) {
        if (bar_) return;
        char line[96];
        std::snprintf(line, sizeof line, "扫描 %d Bd, 地址 %d-%d", baud, first, last);
        output_.Message(line);
    }
    void Found(int baud, int address) {
        char line[96];
        std::snprintf(line, sizeof line, "%s找到模块: 地址 %d, %d Bd", bar_ ? "\r\x1b[K" : "",
                      address, baud);
        output_.Message(line);
    }
    void End() {
        if (bar_) output_.err << '\n';
    }

private:
    const CliOutput& output_;
    int total_;
    bool bar_;
    int done_ = 0;
};

// True when the module at `address` gave a verified reply to command 7.
bool Answers(CommPort& port, int address, int baud, std::uint32_t timeoutMs,
             const TraceSink& trace) {
    const CommandRequest request = Pt100TempsRequest();
    const std::vector<std::uint8_t> frame =
        BuildRequest(address, request.command, request.Data(), request.length);
    port.Purge();
    if (trace) trace("写", frame.data(), static_cast<int>(frame.size()));
    port.Write(frame.data(), static_cast<int>(frame.size()));
    const ReplyWait wait = ReplyWaitFor(request.command);
    const unsigned queued = port.WaitForInput(wait.bytes, WireMs(frame.size(), baud) + timeoutMs);
    ReplyBlock reply{};
    const int got = port.Read(reply.data(), static_cast<int>(std::min<unsigned>(queued, kReplyBufferSize)));
    if (trace) trace("读", reply.data(), got);
    const ReplyBytes bytes = ReceivedReply(reply, got);
    // A late answer of the address before must not be credited to this one.
    return VerifyReplyFrame(bytes) == ReplyFrameFault::None && bytes[3] == (address & 0xFF) &&
           DecodePt100TempsReply(bytes).has_value();
}

}  // namespace

int RunScan(const Invocation& invocation, const CliOutput& output) {
    InstallInterruptHandler();
    const int addresses = invocation.lastAddress - invocation.firstAddress + 1;
    Progress progress(output, addresses * static_cast<int>(invocation.bauds.size()));
    TraceSink trace;
    if (invocation.trace) {
        trace = [&output](const char* label, const std::uint8_t* bytes, int count) {
            output.err << FormatTraceLine(label, bytes, count).substr(1) << '\n';
        };
    }
    nlohmann::ordered_json found = nlohmann::ordered_json::array();
    for (const int baud : invocation.bauds) {
        if (Interrupted()) break;
        Invocation atBaud = invocation;
        atBaud.baud = baud;
        ModuleSession session(atBaud, output);
        if (const int status = session.Open(TimeoutProfile::Interactive); status != kExitOk) {
            progress.End();
            return status;
        }
        progress.StartBaud(baud, invocation.firstAddress, invocation.lastAddress);
        CommPort& port = session.Port();
        for (int address = invocation.firstAddress; address <= invocation.lastAddress; ++address) {
            if (Interrupted()) break;
            if (Answers(port, address, baud, static_cast<std::uint32_t>(invocation.timeoutMs), trace)) {
                progress.Found(baud, address);
                found.push_back({{"address", address}, {"baud", baud}});
                if (!output.json) output.out << "地址 " << address << '\t' << baud << " Bd\n" << std::flush;
            }
            progress.Step(baud, address);
        }
    }
    progress.End();
    if (Interrupted()) output.Message("扫描已中断");
    const nlohmann::ordered_json object = {{"modules", found}, {"interrupted", Interrupted()}};
    if (found.empty()) return output.Fail(kExitNoReply, "没有找到应答的模块", object);
    if (output.json) output.Json(object);
    return kExitOk;
}
