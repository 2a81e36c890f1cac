// Whatever a module (or the line) sends back: every decoder must read only the bytes that
// arrived, and a verified frame must hold what its length field announces.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "link/module_commands.h"
#include "link/reply_verification.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The reply lives in a buffer of exactly its size, so a read past it is caught.
    const ReplyBytes reply(data, size);
    DecodeSignalCountReply(reply);
    DecodeRegisterChannelReply(reply);
    DecodeReadSnReply(reply);
    DecodeRegisterSnReply(reply);
    DecodeSearchProbesReply(reply);
    DecodePt100TempsReply(reply);
    DecodePt100ParamsReply(reply);
    for (const std::uint8_t type : {PT100_CAL_ZERO, PT100_CAL_RES1, PT100_CAL_RES2, std::uint8_t{0}}) {
        DecodePt100CalibrateReply(type, reply);
    }
    DecodePt100SetOffsetReply(reply);
    const auto block = DecodeTemperatureBlockReply(reply);
    if (block && reply.size() < kFrameHeaderSize + 2 * block->words.size()) std::abort();
    if (VerifyReplyFrame(reply) == ReplyFrameFault::None &&
        reply.size() < static_cast<std::size_t>(kFrameOverhead + reply[5] * 256 + reply[6])) {
        std::abort();
    }
    return 0;
}
