#pragma once
#include <cstdint>
#include <vector>

// Cuts request frames out of the byte stream of the line. Garbage, frames with a wrong
// checksum and headers that cannot be a request are skipped by searching for the next start
// byte after the one that failed, so a frame hidden behind noise is still found.
class RequestParser {
public:
    // Adds one received byte; true when a complete frame with a correct checksum became ready.
    bool Feed(std::uint8_t byte);
    // The frames completed so far, oldest first; the parser forgets them.
    std::vector<std::vector<std::uint8_t>> TakeFrames();
    // Forgets a partial frame (the sender went quiet in the middle of it).
    void DropPartial() { pending_.clear(); }
    bool HasPartial() const { return !pending_.empty(); }
    // Candidate frames dropped for a wrong checksum.
    int ChecksumFailures() const { return checksumFailures_; }

private:
    void Scan();

    std::vector<std::uint8_t> pending_;
    std::vector<std::vector<std::uint8_t>> frames_;
    int checksumFailures_ = 0;
};
