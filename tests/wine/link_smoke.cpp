// Runs under Wine against the simulated module: the Win32 serial backend's real calls on COM1
// (mapped to the simulator's pseudo-terminal), and files under a Chinese path through the wide
// API. Started by tests/wine/link_smoke.sh from a directory named 工作; exits 0 when every check
// holds, else prints each failed check.
#include <windows.h>

#include <cstdio>
#include <string>

#include "link/commands.h"
#include "link/fault_log.h"
#include "link/file_append.h"
#include "link/fopen_utf8.h"
#include "link/frame.h"
#include "link/serial_port.h"
#include "link/temperature_block.h"
#include "link/transaction.h"
#include "link/wide_text_win32.h"

namespace {

int failures = 0;

void Check(bool ok, const char* what) {
    if (!ok) {
        std::printf("FAILED: %s\n", what);
        ++failures;
    }
}

bool WellFormedReply(const ReplyBlock& reply, int count, std::uint8_t command, int dataBytes) {
    if (count != kFrameHeaderSize + dataBytes + 2) return false;
    if (reply[0] != kFrameStart || reply[1] != 0x3F || reply[2] != 0x00 || reply[4] != command) {
        return false;
    }
    if (reply[5] * 256 + reply[6] != dataBytes) return false;
    const std::uint16_t checksum = FrameChecksum(reply.data(), count - 2);
    return reply[count - 2] == (checksum >> 8) && reply[count - 1] == (checksum & 0xFF);
}

void SerialChecks() {
    PollSettings settings;
    settings.port = 1;
    settings.baud = 9600;
    CommPort port = OpenCommPort(settings, TimeoutProfile::Interactive);
    Check(port.IsOpen(), "COM1 opens through CreateFileW");
    if (!port) return;
    // No check of the exclusive open here: Wine lets a second handle open a COM device.

    ReplyBlock reply{};
    const auto request = BuildRequest(0, CMD_PT100_READ_TEMPS, nullptr, 0);
    const int got = ExchangeCommandFrame(port, request, CMD_PT100_READ_TEMPS, reply, {});
    Check(WellFormedReply(reply, got, CMD_PT100_READ_TEMPS, 8),
          "the PT100 temperatures come back as one well-formed 17-byte reply");

    BlockFault fault = BlockFault::BadChecksum;
    Check(ExchangeTemperatureBlock(port, 0, false, reply, &fault) && fault == BlockFault::None,
          "a whole temperature block is read in its two steps");
    Check(reply[5] * 256 + reply[6] == 2 * (4 + 20), "the block holds 4 PT100s and 20 probes");
    Check(!port.Lost(), "a healthy line is not lost");

    // Nothing answers another address: the read times out short, and that is no loss.
    const int silent = ExchangeCommandFrame(port, BuildRequest(7, CMD_PT100_READ_TEMPS, nullptr, 0),
                                            CMD_PT100_READ_TEMPS, reply, {});
    Check(silent == 0, "a silent module gives no bytes");
    Check(!port.Lost(), "a silent module is not a lost device");
    port.Close();
    Check(OpenCommPort(settings, TimeoutProfile::Polling).IsOpen(), "COM1 opens again after close");
}

void ChinesePathChecks() {
    const std::string here = CurrentDirectory();
    Check(here.size() > 6 && here.compare(here.size() - 6, 6, "工作") == 0,
          "the current directory comes back as UTF-8");
    const std::string folder = here + "\\桌面";
    CreateDirectoryW(WideFromUtf8(folder).c_str(), nullptr);
    const std::string file = folder + "\\探头.txt";
    const std::string line = "1 28 11 22 33 44 55 66 77\r\n";
    Check(AppendToRegularFile(file, line), "a file under 桌面 is written through CreateFileW");

    std::FILE* in = FopenUtf8(file, "rb");
    Check(in != nullptr, "the file under 桌面 opens through _wfopen");
    if (in != nullptr) {
        char buffer[128] = {};
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, in);
        std::fclose(in);
        Check(std::string(buffer, n) == line, "and reads back byte for byte");
    }

    std::snprintf(g_startDir, sizeof g_startDir, "%s", folder.c_str());
    AppendFaultLog("校验错误，", nullptr, 0);
    Check(FaultLogPath() == folder + "\\" + kFaultLogName, "the fault log goes to the start folder");
}

}  // namespace

int main() {
    SerialChecks();
    ChinesePathChecks();
    std::printf("link_smoke: %d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
