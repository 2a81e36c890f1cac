#include "link/temperature_block.h"

#include "link/module_commands.h"
#include "link/fault_log.h"

#include <string>

ReplyBlock g_rxBlock = {};

namespace {

constexpr int kHeaderSize = kFrameHeaderSize;
constexpr std::uint32_t kBlockWaitMs = 3000;

// Records the fault and logs it with the log's trailing full-width comma.
bool Failed(BlockFault kind, bool logFaults, const ReplyBlock& block, int count,
            BlockFault* fault) {
    if (fault != nullptr) *fault = kind;
    if (logFaults) {
        const std::string message = std::string(BlockFaultText(kind)) + "，";
        AppendFaultLog(message.c_str(), block.data(), count);
    }
    return false;
}

}  // namespace

const char* BlockFaultText(BlockFault fault) {
    switch (fault) {
        case BlockFault::None: return "成功";
        case BlockFault::ShortHeader: return "读错误，要读7个字节";
        case BlockFault::BadCount: return "温度个数错误";
        case BlockFault::ShortData: return "读温度错误";
        case BlockFault::BadChecksum: return "校验错误";
        case BlockFault::PortNotOpen: return "打开串口失败";
    }
    return "未知错误";
}

bool ExchangeTemperatureBlock(CommPort& port, int address, bool logFaults, ReplyBlock& block,
                              BlockFault* fault) {
    if (fault != nullptr) *fault = BlockFault::None;
    const CommandRequest command = TemperatureBlockRequest();
    const std::vector<std::uint8_t> request =
        BuildRequest(address, command.command, command.Data(), command.length);
    port.Write(request.data(), static_cast<int>(request.size()));

    port.WaitForInput(kHeaderSize, kBlockWaitMs);
    // The read asks for the whole header even if fewer bytes are queued; the port's read
    // timeout bounds the wait for the rest.
    const int headerGot = port.Read(block.data(), kHeaderSize);
    if (headerGot < kHeaderSize) {
        return Failed(BlockFault::ShortHeader, logFaults, block, headerGot, fault);
    }

    const int announced = block[5] * 256 + block[6];
    const int words = announced / 2;
    if (words > kMaxBlockWords || words < kMinBlockWords) {
        return Failed(BlockFault::BadCount, logFaults, block, kHeaderSize, fault);
    }

    const int rest = 2 * words + 2;  // data and checksum
    port.WaitForInput(static_cast<std::uint16_t>(rest), kBlockWaitMs);
    const int restGot = port.Read(block.data() + kHeaderSize, rest);
    if (restGot < rest) {
        return Failed(BlockFault::ShortData, logFaults, block, kHeaderSize + restGot, fault);
    }

    const int checked = kHeaderSize + 2 * words;
    const std::uint16_t checksum = FrameChecksum(block.data(), checked);
    if (block[checked] == (checksum >> 8) && block[checked + 1] == (checksum & 0xFF)) return true;
    return Failed(BlockFault::BadChecksum, logFaults, block, checked + 2, fault);
}
