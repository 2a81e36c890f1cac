#pragma once
// What a serial backend provides behind CommPort. Each platform's backend derives from it.
#include <cstdint>

#include "link/serial_port.h"

struct CommPort::Impl {
    virtual ~Impl() = default;
    virtual int Write(const std::uint8_t* bytes, int count) = 0;
    virtual int Read(std::uint8_t* bytes, int count) = 0;
    virtual unsigned QueuedInput() = 0;
    virtual unsigned QueuedOutput() { return 0; }
    virtual unsigned WaitForInput(std::uint16_t wanted, std::uint32_t timeoutMs) = 0;
    virtual void Purge() = 0;
    virtual bool Lost() const = 0;
};
