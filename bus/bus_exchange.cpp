#include "bus/bus_exchange.h"

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

#include "link/module_commands.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint8_t kReplyMarker1 = 0x3F;
constexpr std::uint8_t kReplyMarker2 = 0x00;

// What the bytes at the front of `pending` are.
enum class Front { NeedMore, NotAHeader, OtherModule, BadCount, Ours };

Front Classify(const std::vector<std::uint8_t>& pending, std::uint8_t address,
               std::uint8_t command, int& frameSize) {
    if (pending.size() < static_cast<std::size_t>(kFrameHeaderSize)) return Front::NeedMore;
    if (pending[1] != kReplyMarker1 || pending[2] != kReplyMarker2 || pending[4] != command) {
        return Front::NotAHeader;
    }
    const int words = (pending[5] * 256 + pending[6]) / 2;
    const bool countOk = words >= kMinBlockWords && words <= kMaxBlockWords;
    frameSize = kFrameHeaderSize + 2 * words + 2;
    if (pending[3] != address) return countOk ? Front::OtherModule : Front::NotAHeader;
    return countOk ? Front::Ours : Front::BadCount;
}

bool ChecksumGood(const std::vector<std::uint8_t>& frame, int size) {
    const std::uint16_t sum = FrameChecksum(frame.data(), size - 2);
    return frame[static_cast<std::size_t>(size - 2)] == (sum >> 8) &&
           frame[static_cast<std::size_t>(size - 1)] == (sum & 0xFF);
}

}  // namespace

std::chrono::microseconds WireTime(int bytes, int baud) {
    if (baud <= 0) baud = 9600;
    return std::chrono::microseconds(10'000'000LL * bytes / baud);
}

BusExchangeResult ExchangeBusBlock(CommPort& port, int address, const BusExchangeTiming& timing,
                                   ReplyBlock& block) {
    BusExchangeResult result;
    const auto ownAddress = static_cast<std::uint8_t>(address & 0xFF);
    const CommandRequest command = TemperatureBlockRequest();
    const std::vector<std::uint8_t> request =
        BuildRequest(address, command.command, command.Data(), command.length);
    // Whatever is queued now is the tail of an earlier reply; it is nobody's answer to this.
    // Read away rather than purged: a purge of a pseudo-terminal waits for the kernel's buffer
    // work, a scheduling delay per module.
    std::uint8_t chunk[512];
    for (unsigned queued; (queued = port.QueuedInput()) > 0;) {
        const int got = port.Read(chunk, static_cast<int>(std::min<unsigned>(queued, sizeof chunk)));
        if (got <= 0) break;
        result.skippedBytes += got;
    }
    port.Write(request.data(), static_cast<int>(request.size()));
    // The timeout runs from the end of the request: what the port still holds of it has yet to
    // cross the line. A pseudo-terminal's peer has it at once.
    const auto requestLeft = WireTime(
        static_cast<int>(std::min<std::size_t>(port.QueuedOutput(), request.size())), timing.baud);
    auto deadline = Clock::now() + requestLeft + timing.timeout;
    if (timing.expectedReplyBytes > 0) {
        std::this_thread::sleep_for(requestLeft + WireTime(timing.expectedReplyBytes, timing.baud));
        // A reply that began in time is looked at, however long the sleep was.
        deadline = std::max(deadline, Clock::now() + std::chrono::milliseconds(1));
    }

    std::vector<std::uint8_t> pending;
    pending.reserve(512);
    BlockFault best = BlockFault::ShortHeader;  // the furthest this module's reply got
    int firstRead = 0;                          // bytes of the first read that found any
    for (;;) {
        // Find the front: skip to a start byte, then judge the header.
        int frameSize = 0;
        Front front = Front::NeedMore;
        for (;;) {
            const auto start = std::find(pending.begin(), pending.end(), kFrameStart);
            result.skippedBytes += static_cast<int>(start - pending.begin());
            pending.erase(pending.begin(), start);
            front = Classify(pending, ownAddress, command.command, frameSize);
            if (front != Front::NotAHeader) break;
            pending.erase(pending.begin());
            ++result.skippedBytes;
        }
        if (front == Front::BadCount) {
            // Its own header, but a length no block has: nothing after it can be trusted.
            std::copy_n(pending.begin(), kFrameHeaderSize, block.begin());
            result.fault = BlockFault::BadCount;
            return result;
        }
        std::size_t wanted = kFrameHeaderSize;
        if (front == Front::Ours || front == Front::OtherModule) {
            wanted = static_cast<std::size_t>(frameSize);
            if (front == Front::Ours && best == BlockFault::ShortHeader) {
                best = BlockFault::ShortData;
                // From here on the length tells how long the rest takes on the wire.
                const auto needed = Clock::now() +
                                    WireTime(frameSize - static_cast<int>(pending.size()),
                                             timing.baud) +
                                    timing.timeout;
                deadline = std::max(deadline, needed);
                // The rest cannot be here before it has crossed the line: one sleep through
                // its wire time, then a look, rather than a wake-up for every few bytes.
                std::this_thread::sleep_for(
                    WireTime(frameSize - static_cast<int>(pending.size()), timing.baud));
            }
            if (pending.size() >= wanted) {
                const bool good = ChecksumGood(pending, frameSize);
                if (front == Front::Ours && good) {
                    std::copy_n(pending.begin(), frameSize, block.begin());
                    result.fault = BlockFault::None;
                    result.replyBytes = frameSize;
                    result.arrivedAtOnce = firstRead >= frameSize;
                    return result;
                }
                if (front == Front::Ours) {
                    // A damaged reply from the module asked; a later start byte may still hold
                    // the real one, so only this start byte is passed over.
                    std::copy_n(pending.begin(), frameSize, block.begin());
                    best = BlockFault::BadChecksum;
                    pending.erase(pending.begin());
                    ++result.skippedBytes;
                } else if (good) {
                    // Another module's late reply, whole: passed over as one.
                    result.skippedBytes += frameSize;
                    pending.erase(pending.begin(), pending.begin() + frameSize);
                } else {
                    pending.erase(pending.begin());
                    ++result.skippedBytes;
                }
                continue;
            }
        }
        // Wait for the missing bytes, bounded by the deadline.
        const auto now = Clock::now();
        if (now >= deadline || port.Lost()) break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        const auto missing = static_cast<std::uint16_t>(wanted - pending.size());
        const unsigned queued = port.WaitForInput(missing, static_cast<std::uint32_t>(left.count()) + 1);
        if (queued == 0) continue;
        const int take = static_cast<int>(std::min<unsigned>(queued, sizeof chunk));
        const int got = port.Read(chunk, take);
        if (firstRead == 0) firstRead = got;
        pending.insert(pending.end(), chunk, chunk + got);
    }
    result.fault = best;
    return result;
}
