#pragma once
// k7r2's link to the module: the port opened once for the whole run, every command sent with
// the window's transaction and its reply accepted only when verified.
#include <string>

#include "cli/cli_output.h"
#include "cli/exit_status.h"
#include "cli/command_line.h"
#include "link/module_commands.h"
#include "link/port_target.h"
#include "link/serial_port.h"
#include "record/reading.h"

class ModuleSession {
public:
    ModuleSession(const Invocation& invocation, const CliOutput& output);

    // Opens the port; kExitOk, or kExitPortFailed after saying why.
    int Open(TimeoutProfile profile);
    // After a loss: opens the port again, silently, on the device the run first opened: the
    // COMn link (followed afresh, so an adapter back as another device is found), or
    // --device's path; never the ttyS fallback of a link that has gone. False while it cannot
    // be opened.
    bool Reopen(TimeoutProfile profile);
    bool IsOpen() const { return port_.IsOpen(); }
    void Close() { port_.Close(); }

    // One command. kExitOk with the verified reply in `reply` (valid until the next command),
    // or kExitNoReply after the window's message and the detail.
    int Command(const CommandRequest& request, ReplyBytes& reply);
    // Decodes a verified reply; a frame too short for the decoder's fields fails like a bad one.
    template <class Decoded>
    int Decode(const Decoded& decoded) const {
        if (decoded) return 0;
        return Fail(kExitNoReply, "返回数据错误! 应答数据不足");
    }

    // One temperature block, as a reading (also when it failed; `failed` says how to report it).
    // A port whose device hung up or failed is closed: nothing will come through it again.
    Reading ReadBlock();
    // The message and exit status for a failed reading.
    int BlockFailure(const Reading& reading) const;

    const PollSettings& Settings() const { return settings_; }
    // The message of the last failure the session reported.
    const std::string& LastFailure() const { return lastFailure_; }
    // The open port, for exchanges of their own (the scan's short waits).
    CommPort& Port() { return port_; }

private:
    int Fail(int status, const std::string& text) const;

    PollSettings settings_;
    bool trace_;
    const CliOutput& output_;
    PortTarget target_;
    CommPort port_;
    ReplyBlock reply_{};
    mutable std::string lastFailure_;
};

// The settings a run opens: --device pins a port number to the device path.
PollSettings SessionSettings(const Invocation& invocation);
