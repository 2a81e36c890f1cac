#pragma once
#include "link/frame.h"
#include "link/serial_port.h"

constexpr int kMinBlockWords = 4;
constexpr int kMaxBlockWords = 68;

// The user-interface thread's temperature block; the acquisition worker keeps its own.
extern ReplyBlock g_rxBlock;

// Requests the temperature block on an open port and reads it into `block` in two steps
// (header, then the announced data and checksum). True when a complete block with a correct
// checksum is in `block`. With logFaults, each failure appends a record to the fault log.
bool ExchangeTemperatureBlock(CommPort& port, int address, bool logFaults, ReplyBlock& block);
