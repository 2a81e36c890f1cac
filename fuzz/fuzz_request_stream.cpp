// The simulated module reads whatever the line carries: any byte stream must leave it with only
// well-formed request frames, and never crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "link/frame.h"
#include "sim/request_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RequestParser parser;
    for (std::size_t i = 0; i < size; ++i) parser.Feed(data[i]);
    for (const auto& frame : parser.TakeFrames()) {
        const int n = static_cast<int>(frame.size());
        if (n < kFrameOverhead || frame[0] != kFrameStart) std::abort();
        if ((frame[5] << 8 | frame[6]) != n - kFrameOverhead) std::abort();
        const std::uint16_t sum = FrameChecksum(frame.data(), n - 2);
        if (frame[n - 2] != (sum >> 8) || frame[n - 1] != (sum & 0xFF)) std::abort();
    }
    return 0;
}
