#pragma once
// One module's temperature block on a shared bus. Unlike the one-module exchange, it must not
// take another module's bytes for its own: it accepts only a reply from the address it asked,
// with a good checksum, skips whatever comes before it, and never waits longer than the bus's
// timeout for a module that does not answer, nor longer than the announced length needs for
// one that does.
#include <chrono>

#include "link/frame.h"
#include "link/serial_port.h"
#include "link/temperature_block.h"

struct BusExchangeTiming {
    std::chrono::milliseconds timeout{300};  // for the reply to begin, and for any gap in it
    int baud = 9600;                         // for the wire time of the announced length
    // The length this module's last good reply had, 0 when none is known. The reply cannot be
    // whole before it has crossed the line, so the exchange sleeps through that much before its
    // first look instead of waking for every few bytes as they arrive. Only a hint: a shorter
    // reply is still taken, at most this wire time later.
    int expectedReplyBytes = 0;
};

struct BusExchangeResult {
    BlockFault fault = BlockFault::ShortHeader;
    int skippedBytes = 0;  // noise and other modules' replies passed over
    int replyBytes = 0;    // the whole reply's length, when it was taken
    // The first read that found any bytes found the whole reply: a line that delivers faster
    // than its rate (a pseudo-terminal whose peer does not pace its replies), or a look late.
    bool arrivedAtOnce = false;
};

// Writes the request for `address` on an open port and reads its reply into `block`.
BusExchangeResult ExchangeBusBlock(CommPort& port, int address, const BusExchangeTiming& timing,
                                   ReplyBlock& block);

// The time `bytes` take on the line at `baud`, ten bits a byte.
std::chrono::microseconds WireTime(int bytes, int baud);
