#include "cli/module_session.h"

#include <chrono>
#include <cstdio>

#include "cli/exit_status.h"
#include "cli/traced_port.h"
#include "link/port_directory.h"
#include "link/port_open_fault.h"
#include "link/reply_verification.h"
#include "link/temperature_block.h"
#include "link/transaction.h"

namespace {

// The port number that --device is pinned to; no COMn link is ever numbered 0.
constexpr int kDevicePort = 0;

// "\\.\COM12" or "COM12": the number Windows opens; 0 for a path.
int ComNumberOf(std::string name) {
    if (name.rfind("\\\\.\\", 0) == 0) name = name.substr(4);
    if (name.size() < 4 || name.compare(0, 3, "COM") != 0) return 0;
    int number = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        number = number * 10 + (name[i] - '0');
    }
    return number <= 255 ? number : 0;
}

}  // namespace

PollSettings SessionSettings(const Invocation& invocation) {
    PollSettings settings;
    settings.port = invocation.port;
    settings.baud = invocation.baud;
    settings.address = invocation.address;
    settings.period = invocation.periodMs;
    if (!invocation.device.empty()) {
        if (const int number = ComNumberOf(invocation.device); number > 0) {
            settings.port = number;
        } else {
            PinPortPath(kDevicePort, invocation.device);
            settings.port = kDevicePort;
        }
    }
    return settings;
}

ModuleSession::ModuleSession(const Invocation& invocation, const CliOutput& output)
    : settings_(SessionSettings(invocation)), trace_(invocation.trace), output_(output) {}

int ModuleSession::Open(TimeoutProfile profile) {
    port_ = target_.Open(settings_, profile);
    if (port_) return kExitOk;
    const PortOpenFault fault = DiagnosePortOpen(settings_);
    return Fail(kExitPortFailed,
                        "打开串口错误! " + PortOpenFaultText(fault, PortOpenTarget(settings_)));
}

int ModuleSession::Fail(int status, const std::string& text) const {
    lastFailure_ = text;
    return output_.Fail(status, text);
}

bool ModuleSession::Reopen(TimeoutProfile profile) {
    if (!port_) port_ = target_.Open(settings_, profile);
    return port_.IsOpen();
}

int ModuleSession::Command(const CommandRequest& request, ReplyBytes& reply) {
    const std::vector<std::uint8_t> frame =
        BuildRequest(settings_.address, request.command, request.Data(), request.length);
    TraceSink trace;
    if (trace_) {
        trace = [this](const char* label, const std::uint8_t* bytes, int count) {
            output_.err << FormatTraceLine(label, bytes, count).substr(1) << '\n';
        };
    }
    // Left-overs of an earlier reply must not pass for this one.
    port_.Purge();
    const int got = ExchangeCommandFrame(port_, frame, request.command, reply_, trace);
    reply = ReceivedReply(reply_, got);
    const ReplyFrameFault fault = VerifyReplyFrame(reply);
    if (fault == ReplyFrameFault::None) return kExitOk;
    char detail[64];
    std::snprintf(detail, sizeof detail, " %s, 收到%d字节", ReplyFrameFaultText(fault), got);
    // Fewer bytes than a frame is what the window reports as a read error.
    const bool readError = got < kFrameOverhead;
    return Fail(kExitNoReply,
                        std::string(readError ? "读数据错误!" : "返回数据错误!") + detail);
}

Reading ModuleSession::ReadBlock() {
    ReplyBlock block{};
    BlockFault fault = BlockFault::None;
    bool good = false;
    port_.Purge();
    if (trace_) {
        auto traced = std::make_unique<TracedPort>(
            port_, [this](const char* label, const std::uint8_t* bytes, int count) {
                output_.err << FormatTraceLine(label, bytes, count).substr(1) << '\n';
            });
        TracedPort* tracer = traced.get();
        CommPort wrapper(std::move(traced));
        good = ExchangeTemperatureBlock(wrapper, settings_.address, false, block, &fault);
        tracer->EndExchange();
    } else {
        good = ExchangeTemperatureBlock(port_, settings_.address, false, block, &fault);
    }
    if (port_.Lost()) port_.Close();
    const auto now = std::chrono::system_clock::now();
    return good ? ReadingFromBlock(block, now) : FailedReading(fault, now);
}

int ModuleSession::BlockFailure(const Reading& reading) const {
    const bool readError =
        reading.fault == BlockFault::ShortHeader || reading.fault == BlockFault::ShortData;
    return Fail(kExitNoReply, std::string(readError ? "读数据错误! " : "返回数据错误! ") +
                                          BlockFaultText(reading.fault));
}
