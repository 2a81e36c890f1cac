#pragma once
// A port that reports what passes through it: each write as a "写" line, and the bytes read
// since the last write as one "读" line when the exchange is done. The temperature block is
// read in two steps; its trace still shows one reply.
#include <memory>
#include <vector>

#include "link/serial_port.h"
#include "link/serial_port_impl.h"
#include "link/transaction.h"

class TracedPort final : public CommPort::Impl {
public:
    TracedPort(CommPort& inner, TraceSink sink) : inner_(inner), sink_(std::move(sink)) {}

    int Write(const std::uint8_t* bytes, int count) override {
        sink_("写", bytes, count);
        return inner_.Write(bytes, count);
    }
    int Read(std::uint8_t* bytes, int count) override {
        const int got = inner_.Read(bytes, count);
        if (got > 0) read_.insert(read_.end(), bytes, bytes + got);
        return got;
    }
    unsigned QueuedInput() override { return inner_.QueuedInput(); }
    unsigned QueuedOutput() override { return inner_.QueuedOutput(); }
    unsigned WaitForInput(std::uint16_t wanted, std::uint32_t timeoutMs) override {
        return inner_.WaitForInput(wanted, timeoutMs);
    }
    void Purge() override { inner_.Purge(); }
    bool Lost() const override { return inner_.Lost(); }

    // The "读" line of the exchange, also when nothing arrived.
    void EndExchange() {
        sink_("读", read_.data(), static_cast<int>(read_.size()));
        read_.clear();
    }

private:
    CommPort& inner_;
    TraceSink sink_;
    std::vector<std::uint8_t> read_;
};
