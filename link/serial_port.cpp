#include "link/serial_port.h"

#include <cstdio>
#include <utility>

#include "link/serial_port_impl.h"

CommTimeouts TimeoutsOf(TimeoutProfile profile) {
    // The acquisition loop gives up sooner on a missing byte so that it can try again.
    const std::uint32_t readConstant = profile == TimeoutProfile::Polling ? 300 : 1000;
    return CommTimeouts{0, 5, readConstant, 100, 500};
}

std::string DeviceName(int port) {
    char name[32];
    std::snprintf(name, sizeof name, "\\\\.\\COM%d", port);
    return name;
}

CommPort::CommPort() = default;
CommPort::CommPort(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
CommPort::CommPort(CommPort&&) noexcept = default;
CommPort& CommPort::operator=(CommPort&&) noexcept = default;
CommPort::~CommPort() = default;

bool CommPort::IsOpen() const {
    return impl_ != nullptr;
}

int CommPort::Write(const std::uint8_t* bytes, int count) {
    if (!impl_ || bytes == nullptr || count <= 0) return 0;
    return impl_->Write(bytes, count);
}

int CommPort::Read(std::uint8_t* bytes, int count) {
    if (!impl_ || bytes == nullptr || count <= 0) return 0;
    return impl_->Read(bytes, count);
}

unsigned CommPort::QueuedInput() {
    return impl_ ? impl_->QueuedInput() : 0;
}

unsigned CommPort::QueuedOutput() {
    return impl_ ? impl_->QueuedOutput() : 0;
}

unsigned CommPort::WaitForInput(std::uint16_t wanted, std::uint32_t timeoutMs) {
    // A closed port has nothing to wait for; returning at once avoids a pointless full wait.
    return impl_ ? impl_->WaitForInput(wanted, timeoutMs) : 0;
}

void CommPort::Purge() {
    if (impl_) impl_->Purge();
}

bool CommPort::Lost() const {
    return impl_ && impl_->Lost();
}

void CommPort::Close() {
    impl_.reset();
}
