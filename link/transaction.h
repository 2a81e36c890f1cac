#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/frame.h"
#include "link/serial_port.h"

// How long a command's reply is waited for, and for how many bytes.
struct ReplyWait {
    std::uint16_t bytes;
    std::uint32_t timeoutMs;
};
ReplyWait ReplyWaitFor(std::uint8_t command);

constexpr int kRequestPauseMs = 50;

// Receives each traced frame: label "写" for a request, "读" for a reply (count may be 0).
using TraceSink = std::function<void(const char* label, const std::uint8_t* bytes, int count)>;

// One request/reply on an open port: trace the request, write it, pause 50 ms, wait for the
// reply, read what is queued (at most kReplyBufferSize bytes) into `reply`, trace it.
// Returns the number of reply bytes read. `trace` may be empty. An empty request (one that
// BuildRequest refused) sends, traces and waits for nothing and returns 0.
int ExchangeCommandFrame(CommPort& port, const std::vector<std::uint8_t>& request,
                         std::uint8_t command, ReplyBlock& reply, const TraceSink& trace);

// "\n%s " with the label, then "%02x " per byte.
std::string FormatTraceLine(const char* label, const std::uint8_t* bytes, int count);
