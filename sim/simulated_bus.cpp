#include "sim/simulated_bus.h"

#include <algorithm>
#include <cstdio>

#include "sim/reply_frame.h"
#include "sim/request_parser.h"

namespace {

constexpr auto kPacingStep = std::chrono::milliseconds(1);

}  // namespace

std::vector<Fault> GarblingFaults() {
    Fault noise;
    noise.kind = FaultKind::Garbage;
    noise.count = kEveryReply;
    noise.param = 5;
    Fault checksum;
    checksum.kind = FaultKind::BadChecksum;
    checksum.count = kEveryReply;
    return {noise, checksum};
}

std::vector<Fault> SilentFaults() {
    Fault silence;
    silence.kind = FaultKind::Silence;
    silence.count = kEveryReply;
    return {silence};
}

SimulatedBus::SimulatedBus(SimBusOptions options)
    : options_(std::move(options)), created_(std::chrono::steady_clock::now()) {
    for (const int address : options_.addresses) {
        auto module = std::make_unique<Module>(options_.probeCount,
                                               options_.seed + static_cast<unsigned>(address));
        if (const auto faults = options_.faults.find(address); faults != options_.faults.end()) {
            for (const Fault& fault : faults->second) module->faults.Add(fault);
        }
        modules_[address & 0xFF] = std::move(module);
    }
}

SimulatedBus::~SimulatedBus() {
    Stop();
}

bool SimulatedBus::Start() {
    return line_.Start(options_.baud, options_.port, options_.portDirectory, [this] { Run(); });
}

void SimulatedBus::Stop() {
    line_.Stop();
    std::lock_guard lock(mutex_);
    changed_.notify_all();
}

bool SimulatedBus::Replug() {
    Stop();
    return Start();
}

std::string SimulatedBus::LastError() const {
    return line_.LastError();
}

std::string SimulatedBus::SlavePath() const {
    return line_.SlavePath();
}

std::string SimulatedBus::PublishedPath() const {
    return line_.PublishedPath();
}

bool SimulatedBus::HasModule(int address) const {
    std::lock_guard lock(mutex_);
    return modules_.count(address) != 0;
}

void SimulatedBus::InjectFault(int address, const Fault& fault) {
    std::lock_guard lock(mutex_);
    if (const auto it = modules_.find(address); it != modules_.end()) it->second->faults.Add(fault);
}

void SimulatedBus::ClearFaults(int address) {
    std::lock_guard lock(mutex_);
    if (const auto it = modules_.find(address); it != modules_.end()) it->second->faults.Clear();
}

void SimulatedBus::SetTemperatures(int address, const std::array<int, kPt100Inputs>& pt100Tenths,
                                   const std::vector<int>& probeTenths) {
    std::lock_guard lock(mutex_);
    if (const auto it = modules_.find(address); it != modules_.end()) {
        it->second->state.Temperatures().SetPoints(pt100Tenths, probeTenths);
    }
}

void SimulatedBus::FreezeTemperatures(bool frozen) {
    std::lock_guard lock(mutex_);
    for (auto& [address, module] : modules_) module->state.Temperatures().Freeze(frozen);
}

int SimulatedBus::RequestsFor(int address) const {
    std::lock_guard lock(mutex_);
    const auto it = requestsByAddress_.find(address);
    return it == requestsByAddress_.end() ? 0 : it->second;
}

int SimulatedBus::FramesHandled() const {
    std::lock_guard lock(mutex_);
    return framesHandled_;
}

bool SimulatedBus::WaitForFramesHandled(int count, std::chrono::milliseconds deadline) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, deadline, [&] { return framesHandled_ >= count; });
}

void SimulatedBus::Trace(const char* label, const std::vector<std::uint8_t>& bytes) const {
    if (!options_.trace) return;
    std::string line = label;
    char hex[4];
    for (const std::uint8_t byte : bytes) {
        std::snprintf(hex, sizeof hex, " %02x", byte);
        line += hex;
    }
    options_.trace(line);
}

void SimulatedBus::Run() {
    RequestParser parser;
    auto lastByte = std::chrono::steady_clock::now();
    std::uint8_t buffer[256];
    while (!line_.Stopping()) {
        const PtyLine::Event event = line_.Pty().Wait(std::chrono::milliseconds(200));
        if (line_.Stopping()) break;
        if (event == PtyLine::Event::NoPeer) {
            parser.DropPartial();
            line_.Pty().SleepUntil(std::chrono::steady_clock::now() + SimulatedLine::kNoPeerPause);
            continue;
        }
        if (event != PtyLine::Event::Data) {
            if (event == PtyLine::Event::Woken && !line_.Stopping()) line_.Pty().ClearWake();
            if (parser.HasPartial() &&
                std::chrono::steady_clock::now() - lastByte > SimulatedLine::kStaleRequest) {
                parser.DropPartial();
            }
            continue;
        }
        const int got = line_.Pty().Read(buffer, static_cast<int>(sizeof buffer));
        if (got > 0) lastByte = std::chrono::steady_clock::now();
        for (int i = 0; i < got && !line_.Stopping(); ++i) {
            if (!parser.Feed(buffer[i])) continue;
            for (const auto& frame : parser.TakeFrames()) {
                if (line_.Stopping()) break;
                Handle(frame);
            }
        }
    }
}

void SimulatedBus::Handle(const std::vector<std::uint8_t>& frame) {
    Trace("rx", frame);
    const std::uint8_t address = frame[3];
    const std::uint8_t command = frame[4];
    const std::vector<std::uint8_t> payload(frame.begin() + 7, frame.end() - 2);
    std::optional<std::vector<std::uint8_t>> data;
    FaultPlan plan;
    {
        std::lock_guard lock(mutex_);
        ++requestsByAddress_[address];
        const auto it = modules_.find(address);
        if (it != modules_.end()) {
            const double uptime =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - created_).count();
            data = it->second->state.Answer(command, payload, uptime);
            if (data) plan = it->second->faults.TakeFor(command);
        }
    }
    if (data && options_.control && options_.control->Silent(address)) data.reset();
    if (data && options_.control) {
        options_.control->Apply(address, command, *data, ValueControl::Now());
    }
    if (data) Deliver(BuildReplyFrame(address, command, *data), plan);
    std::lock_guard lock(mutex_);
    ++framesHandled_;
    changed_.notify_all();
}

void SimulatedBus::Deliver(std::vector<std::uint8_t> reply, const FaultPlan& plan) {
    // A hang-up would take every module off the line; on a bus it is a silent module.
    if (plan.silence || plan.hangUp) {
        Trace("silent instead of", reply);
        return;
    }
    if (plan.announcedLength >= 0) {
        RewriteReplyLength(reply, static_cast<std::uint16_t>(plan.announcedLength));
    }
    if (plan.badChecksum) reply.back() ^= 0x5A;
    if (plan.cutAfter >= 0 && plan.cutAfter < static_cast<int>(reply.size())) {
        reply.resize(static_cast<std::size_t>(plan.cutAfter));
    }
    const auto& kNoise = SimulatedLine::kNoise;
    for (int i = 0; i < plan.extraBytes; ++i) reply.push_back(kNoise[i % sizeof kNoise]);
    std::vector<std::uint8_t> noise;
    for (int i = 0; i < plan.garbageBytes; ++i) noise.push_back(kNoise[i % sizeof kNoise]);
    reply.insert(reply.begin(), noise.begin(), noise.end());

    if (plan.lateMs > 0 && !line_.Pty().SleepUntil(std::chrono::steady_clock::now() +
                                             std::chrono::milliseconds(plan.lateMs))) {
        return;
    }
    Trace("tx", reply);
    if (plan.splitGapMs < 0) {
        if (Send(reply)) Trace("sent", {});
        return;
    }
    const auto half = reply.begin() + static_cast<long>(reply.size() / 2);
    if (!Send({reply.begin(), half})) return;
    if (!line_.Pty().SleepUntil(std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(plan.splitGapMs))) {
        return;
    }
    Send({half, reply.end()});
}

bool SimulatedBus::Send(const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty()) return true;
    const int count = static_cast<int>(bytes.size());
    if (!options_.paceBytes) return line_.Pty().Write(bytes.data(), count);
    int baud = line_.Pty().LineBaud();
    if (baud <= 0) baud = options_.baud > 0 ? options_.baud : 9600;
    const auto byteTime = std::chrono::nanoseconds(10'000'000'000LL / baud);
    // Bytes go out in batches at most a millisecond apart, each when its last byte has crossed
    // the line: a wake-up per byte (every 260 us at 38400 Bd) only gives a busy machine more
    // chances to be late, and the last byte lands on time either way.
    const int batch = std::max<int>(1, static_cast<int>(kPacingStep / byteTime));
    const auto begin = std::chrono::steady_clock::now();
    int sent = 0;
    while (sent < count) {
        const int next = std::min(count, sent + batch);
        if (!line_.Pty().SleepUntil(begin + byteTime * next)) return false;
        const auto elapsed = std::chrono::steady_clock::now() - begin;
        const int due = static_cast<int>(std::min<long long>(count, elapsed / byteTime));
        if (due > sent) {
            if (!line_.Pty().Write(bytes.data() + sent, due - sent)) return false;
            sent = due;
        }
    }
    return true;
}
