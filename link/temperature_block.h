#pragma once
#include "link/frame.h"
#include "link/serial_port.h"

constexpr int kMinBlockWords = 4;
constexpr int kMaxBlockWords = 68;

// The user-interface thread's temperature block; the acquisition worker keeps its own.
extern ReplyBlock g_rxBlock;

// Why a reading brought no usable block.
enum class BlockFault {
    None,
    ShortHeader,   // fewer than 7 header bytes arrived
    BadCount,      // the header announces fewer than 4 or more than 68 temperatures
    ShortData,     // fewer data bytes than announced arrived
    BadChecksum,
    PortNotOpen,   // the port could not be opened (not written by the exchange itself)
};

// The fault's own words, as the fault log writes them but without the closing full-width comma:
// "读错误，要读7个字节", "温度个数错误", "读温度错误", "校验错误", "打开串口失败"; "成功" for None.
const char* BlockFaultText(BlockFault fault);

// Requests the temperature block on an open port and reads it into `block` in two steps
// (header, then the announced data and checksum). True when a complete block with a correct
// checksum is in `block`. With logFaults, each failure appends a record to the fault log.
// `fault`, when given, receives why the exchange failed (None on success).
bool ExchangeTemperatureBlock(CommPort& port, int address, bool logFaults, ReplyBlock& block,
                              BlockFault* fault = nullptr);
