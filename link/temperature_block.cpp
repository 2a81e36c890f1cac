#include "link/temperature_block.h"

#include "link/commands.h"
#include "link/fault_log.h"

ReplyBlock g_rxBlock = {};

namespace {

constexpr int kHeaderSize = kFrameHeaderSize;
constexpr std::uint32_t kBlockWaitMs = 3000;

}  // namespace

bool ExchangeTemperatureBlock(CommPort& port, int address, bool logFaults, ReplyBlock& block) {
    const std::vector<std::uint8_t> request =
        BuildRequest(address, CMD_READ_TEMPERATURES, nullptr, 0);
    port.Write(request.data(), static_cast<int>(request.size()));

    port.WaitForInput(kHeaderSize, kBlockWaitMs);
    // The read asks for the whole header even if fewer bytes are queued; the port's read
    // timeout bounds the wait for the rest.
    const int headerGot = port.Read(block.data(), kHeaderSize);
    if (headerGot < kHeaderSize) {
        if (logFaults) AppendFaultLog("读错误，要读7个字节，", block.data(), headerGot);
        return false;
    }

    const int announced = block[5] * 256 + block[6];
    const int words = announced / 2;
    if (words > kMaxBlockWords || words < kMinBlockWords) {
        if (logFaults) AppendFaultLog("温度个数错误，", block.data(), kHeaderSize);
        return false;
    }

    const int rest = 2 * words + 2;  // data and checksum
    port.WaitForInput(static_cast<std::uint16_t>(rest), kBlockWaitMs);
    const int restGot = port.Read(block.data() + kHeaderSize, rest);
    if (restGot < rest) {
        if (logFaults) AppendFaultLog("读温度错误，", block.data(), kHeaderSize + restGot);
        return false;
    }

    const int checked = kHeaderSize + 2 * words;
    const std::uint16_t checksum = FrameChecksum(block.data(), checked);
    if (block[checked] == (checksum >> 8) && block[checked + 1] == (checksum & 0xFF)) return true;
    if (logFaults) AppendFaultLog("校验错误，", block.data(), checked + 2);
    return false;
}
