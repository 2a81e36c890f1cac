#include "sim/simulated_module.h"

#include <cstdio>

#include "link/commands.h"
#include "sim/reply_frame.h"
#include "sim/request_parser.h"

SimulatedModule::SimulatedModule(SimOptions options)
    : options_(std::move(options)),
      created_(std::chrono::steady_clock::now()),
      state_(options_.probeCount, options_.seed) {
    for (const Fault& fault : options_.faults) faults_.Add(fault);
}

SimulatedModule::~SimulatedModule() {
    Stop();
}

bool SimulatedModule::Start() {
    return line_.Start(options_.baud, options_.port, options_.portDirectory, [this] { Run(); });
}

void SimulatedModule::Stop() {
    line_.Stop();
    std::lock_guard lock(mutex_);
    changed_.notify_all();
}

std::string SimulatedModule::LastError() const {
    return line_.LastError();
}

std::string SimulatedModule::SlavePath() const {
    return line_.SlavePath();
}

std::string SimulatedModule::PublishedPath() const {
    return line_.PublishedPath();
}

bool SimulatedModule::HungUp() const {
    std::lock_guard lock(mutex_);
    return hungUp_;
}

void SimulatedModule::InjectFault(const Fault& fault) {
    std::lock_guard lock(mutex_);
    faults_.Add(fault);
}

void SimulatedModule::ClearFaults() {
    std::lock_guard lock(mutex_);
    faults_.Clear();
}

void SimulatedModule::SetProbeCount(int count) {
    std::lock_guard lock(mutex_);
    state_.SetSignalCount(count);
}

int SimulatedModule::SignalCount() const {
    std::lock_guard lock(mutex_);
    return state_.SignalCount();
}

void SimulatedModule::SetTemperatures(const std::array<int, kPt100Inputs>& pt100Tenths,
                                      const std::vector<int>& probeTenths) {
    std::lock_guard lock(mutex_);
    state_.Temperatures().SetPoints(pt100Tenths, probeTenths);
}

void SimulatedModule::FreezeTemperatures(bool frozen) {
    std::lock_guard lock(mutex_);
    state_.Temperatures().Freeze(frozen);
}

void SimulatedModule::SetSocketProbe(std::optional<ProbeSn> probe) {
    std::lock_guard lock(mutex_);
    state_.SetSocketProbe(probe);
}

void SimulatedModule::SetBusProbes(std::vector<ProbeSn> probes) {
    std::lock_guard lock(mutex_);
    state_.SetBusProbes(std::move(probes));
}

std::vector<ProbeSn> SimulatedModule::BusProbes() const {
    std::lock_guard lock(mutex_);
    return state_.BusProbes();
}

ProbeSn SimulatedModule::SnEntry(int entry) const {
    std::lock_guard lock(mutex_);
    return state_.SnEntry(entry);
}

void SimulatedModule::ForceRegisterResults(std::vector<std::uint8_t> codes) {
    std::lock_guard lock(mutex_);
    state_.ForceRegisterResults(std::move(codes));
}

Pt100Params SimulatedModule::Pt100(int input) const {
    std::lock_guard lock(mutex_);
    return state_.Pt100(input);
}

std::vector<std::vector<std::uint8_t>> SimulatedModule::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

int SimulatedModule::RequestsSeen(std::uint8_t command) const {
    std::lock_guard lock(mutex_);
    const auto it = requestsByCommand_.find(command);
    return it == requestsByCommand_.end() ? 0 : it->second;
}

bool SimulatedModule::WaitForRequests(int count, std::chrono::milliseconds deadline) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, deadline,
                             [&] { return static_cast<int>(requests_.size()) >= count; });
}

int SimulatedModule::FramesHandled() const {
    std::lock_guard lock(mutex_);
    return framesHandled_;
}

bool SimulatedModule::WaitForFramesHandled(int count, std::chrono::milliseconds deadline) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, deadline, [&] { return framesHandled_ >= count; });
}

int SimulatedModule::FramesForOtherAddresses() const {
    std::lock_guard lock(mutex_);
    return otherAddresses_;
}

int SimulatedModule::ChecksumFailures() const {
    std::lock_guard lock(mutex_);
    return checksumFailures_;
}

double SimulatedModule::Uptime() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - created_).count();
}

void SimulatedModule::Trace(const char* label, const std::vector<std::uint8_t>& bytes) const {
    if (!options_.trace) return;
    std::string line = label;
    char hex[4];
    for (const std::uint8_t byte : bytes) {
        std::snprintf(hex, sizeof hex, " %02x", byte);
        line += hex;
    }
    options_.trace(line);
}

void SimulatedModule::Run() {
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
            const bool complete = parser.Feed(buffer[i]);
            {
                // Counted before any later frame is answered, so a test that saw the reply
                // also sees the count.
                std::lock_guard lock(mutex_);
                checksumFailures_ = parser.ChecksumFailures();
            }
            if (!complete) continue;
            for (const auto& frame : parser.TakeFrames()) {
                if (line_.Stopping()) break;
                Handle(frame);
            }
        }
    }
}

void SimulatedModule::Handle(const std::vector<std::uint8_t>& frame) {
    Trace("rx", frame);
    const std::uint8_t address = frame[3];
    const std::uint8_t command = frame[4];
    const std::vector<std::uint8_t> payload(frame.begin() + 7, frame.end() - 2);
    const auto ownAddress = static_cast<std::uint8_t>(options_.address & 0xFF);
    {
        std::lock_guard lock(mutex_);
        if (address != ownAddress || hungUp_) {
            if (address != ownAddress) ++otherAddresses_;
            ++framesHandled_;
            changed_.notify_all();
            return;
        }
        requests_.push_back(frame);
        ++requestsByCommand_[command];
        changed_.notify_all();
    }
    // The search walks the one-wire bus; the module answers nothing meanwhile.
    if (command == CMD_SEARCH_PROBES &&
        !line_.Pty().SleepUntil(std::chrono::steady_clock::now() + options_.searchDuration)) {
        return;
    }
    std::optional<std::vector<std::uint8_t>> data;
    FaultPlan plan;
    {
        std::lock_guard lock(mutex_);
        data = state_.Answer(command, payload, Uptime());
        if (data) plan = faults_.TakeFor(command);
    }
    if (data && options_.control && options_.control->Silent(ownAddress)) data.reset();
    if (data && options_.control) {
        options_.control->Apply(ownAddress, command, *data, ValueControl::Now());
    }
    if (data) Deliver(BuildReplyFrame(ownAddress, command, *data), plan);
    std::lock_guard lock(mutex_);
    ++framesHandled_;
    changed_.notify_all();
}

void SimulatedModule::Deliver(std::vector<std::uint8_t> reply, const FaultPlan& plan) {
    if (plan.hangUp) {
        Trace("hang-up instead of", reply);
        line_.Pty().HangUp();
        std::lock_guard lock(mutex_);
        hungUp_ = true;
        return;
    }
    if (plan.silence) {
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
        Send(reply);
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

bool SimulatedModule::Send(const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty()) return true;
    const int count = static_cast<int>(bytes.size());
    if (!options_.paceBytes) return line_.Pty().Write(bytes.data(), count);
    int baud = line_.Pty().LineBaud();
    if (baud <= 0) baud = options_.baud > 0 ? options_.baud : 9600;
    // Ten bits a byte: start, eight data bits, stop. A byte reaches the console once its stop
    // bit is through, one byte time after it started. Bytes go out as they fall due, so a
    // coarse sleep delays the next bytes a little but never changes the overall rate.
    const auto byteTime = std::chrono::nanoseconds(10'000'000'000LL / baud);
    const auto begin = std::chrono::steady_clock::now();
    int sent = 0;
    while (sent < count) {
        if (!line_.Pty().SleepUntil(begin + byteTime * (sent + 1))) return false;
        const auto elapsed = std::chrono::steady_clock::now() - begin;
        const int due = static_cast<int>(std::min<long long>(count, elapsed / byteTime));
        if (due > sent) {
            if (!line_.Pty().Write(bytes.data() + sent, due - sent)) return false;
            sent = due;
        }
    }
    return true;
}
