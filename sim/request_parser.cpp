#include "sim/request_parser.h"

#include <algorithm>

#include "link/frame.h"

bool RequestParser::Feed(std::uint8_t byte) {
    const std::size_t before = frames_.size();
    pending_.push_back(byte);
    Scan();
    return frames_.size() > before;
}

std::vector<std::vector<std::uint8_t>> RequestParser::TakeFrames() {
    std::vector<std::vector<std::uint8_t>> taken;
    taken.swap(frames_);
    return taken;
}

void RequestParser::Scan() {
    for (;;) {
        const auto start = std::find(pending_.begin(), pending_.end(), kFrameStart);
        pending_.erase(pending_.begin(), start);
        if (pending_.size() < 3) return;
        const auto dropStart = [this] { pending_.erase(pending_.begin()); };
        if (pending_[1] != 0x3F || pending_[2] != 0x00) {
            dropStart();
            continue;
        }
        if (pending_.size() < static_cast<std::size_t>(kFrameHeaderSize)) return;
        const int length = pending_[5] * 256 + pending_[6];
        // No request carries more; a larger length is noise, not a frame worth waiting for.
        if (length > kMaxPayload) {
            dropStart();
            continue;
        }
        const auto total = static_cast<std::size_t>(length + kFrameOverhead);
        if (pending_.size() < total) return;
        const std::uint16_t sum = FrameChecksum(pending_.data(), length + kFrameHeaderSize);
        const bool good = pending_[total - 2] == (sum >> 8) && pending_[total - 1] == (sum & 0xFF);
        if (!good) {
            ++checksumFailures_;
            dropStart();
            continue;
        }
        frames_.emplace_back(pending_.begin(), pending_.begin() + static_cast<long>(total));
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(total));
    }
}
