#pragma once
// A QEV-K7R2 module behind a pseudo-terminal, for the console's tests and for trying the
// console without hardware. One I/O thread answers the requests; every public member may be
// called from any thread.
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/fault.h"
#include "sim/module_state.h"
#include "sim/simulated_line.h"
#include "sim/value_control.h"

struct SimOptions {
    int port = 0;           // publish as COM<port>; 0: don't publish
    int address = 0;        // bus address; only its low byte is on the wire
    int probeCount = 20;    // probe channels in the temperature block, 0..64
    bool paceBytes = true;  // send replies at the line's bit rate, 10 bits a byte
    int baud = 9600;        // the line's rate until the console sets one
    unsigned seed = 1;      // probe serial numbers, set points, drift
    std::chrono::milliseconds searchDuration{1500};  // how long a probe search takes
    std::vector<Fault> faults;                       // in force from the start
    std::string portDirectory;                       // where COMn goes; empty: PortDirectory()
    // Receives one line per request received and reply sent; empty: no trace.
    std::function<void(const std::string&)> trace;
    // Values, silence and probe counts a test drives, by address; none: the module's own.
    std::shared_ptr<ValueControl> control;
};

class SimulatedModule {
public:
    explicit SimulatedModule(SimOptions options);
    SimulatedModule(const SimulatedModule&) = delete;
    SimulatedModule& operator=(const SimulatedModule&) = delete;
    ~SimulatedModule();

    // Creates the line, publishes it and starts answering. False (see LastError()) when the
    // line cannot be created or the port cannot be published; nothing is left running then.
    bool Start();
    // Ends the I/O thread, removes the published link and closes the line. Idempotent.
    void Stop();
    std::string LastError() const;

    std::string SlavePath() const;
    std::string PublishedPath() const;  // empty when not published
    bool HungUp() const;                // a hang-up fault took the module off the line

    void InjectFault(const Fault& fault);
    void ClearFaults();

    // The signal count, which is the number of probe values in the temperature block.
    void SetProbeCount(int count);
    int SignalCount() const;
    // Set points in tenths of a degree; probes are channels 1.. in order. PT100 readings add
    // each input's offset. Frozen temperatures read exactly their set points.
    void SetTemperatures(const std::array<int, kPt100Inputs>& pt100Tenths,
                         const std::vector<int>& probeTenths);
    void FreezeTemperatures(bool frozen);
    // The probe in the registration socket (none: the socket is empty).
    void SetSocketProbe(std::optional<ProbeSn> probe);
    // The probes a search will find.
    void SetBusProbes(std::vector<ProbeSn> probes);
    std::vector<ProbeSn> BusProbes() const;
    ProbeSn SnEntry(int entry) const;
    // See ModuleState::ForceRegisterResults.
    void ForceRegisterResults(std::vector<std::uint8_t> codes);
    Pt100Params Pt100(int input) const;

    // Requests with a correct checksum addressed to this module, oldest first.
    std::vector<std::vector<std::uint8_t>> Requests() const;
    int RequestsSeen(std::uint8_t command) const;
    bool WaitForRequests(int count, std::chrono::milliseconds deadline) const;
    // Well-formed frames the module has finished with: replied to, or decided not to answer
    // (another address, an unknown command, a silence fault). Once this count covers a
    // request, any reply to it is already on the line.
    int FramesHandled() const;
    bool WaitForFramesHandled(int count, std::chrono::milliseconds deadline) const;
    int FramesForOtherAddresses() const;
    int ChecksumFailures() const;

private:
    void Run();
    void Handle(const std::vector<std::uint8_t>& frame);
    void Deliver(std::vector<std::uint8_t> reply, const FaultPlan& plan);
    bool Send(const std::vector<std::uint8_t>& bytes);
    double Uptime() const;
    void Trace(const char* label, const std::vector<std::uint8_t>& bytes) const;

    const SimOptions options_;
    const std::chrono::steady_clock::time_point created_;
    SimulatedLine line_;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    ModuleState state_;
    FaultBook faults_;
    std::vector<std::vector<std::uint8_t>> requests_;
    std::map<std::uint8_t, int> requestsByCommand_;
    int framesHandled_ = 0;
    int otherAddresses_ = 0;
    int checksumFailures_ = 0;
    bool hungUp_ = false;
};
