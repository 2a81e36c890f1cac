#pragma once
// Several modules sharing one RS-485 line, as on a site: one pseudo-terminal, one I/O thread,
// and behind it a module per address, each with its own probes, values and faults. A request
// is answered only by the module it is addressed to; the others stay quiet, as on a real bus.
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/fault.h"
#include "sim/module_state.h"
#include "sim/simulated_line.h"
#include "sim/value_control.h"

struct SimBusOptions {
    int port = 0;                 // publish as COM<port>; 0: don't publish
    std::vector<int> addresses;   // the modules on the line, 0..255 each
    int probeCount = 64;          // every module's probe channels, 0..64
    bool paceBytes = true;        // replies at the line's bit rate, 10 bits a byte
    int baud = 9600;              // the line's rate until the other side sets one
    unsigned seed = 1;            // each module seeds with seed + its address
    std::map<int, std::vector<Fault>> faults;  // per address, in force from the start
    std::string portDirectory;    // where COMn goes; empty: PortDirectory()
    std::function<void(const std::string&)> trace;
    std::shared_ptr<ValueControl> control;   // values driven per address; null: none
};

// A module that answers every request with a corrupted reply: noise before it and a wrong
// checksum, so that a reader must neither accept it nor lose its place on the line.
std::vector<Fault> GarblingFaults();
// A module that never answers.
std::vector<Fault> SilentFaults();

class SimulatedBus {
public:
    explicit SimulatedBus(SimBusOptions options);
    SimulatedBus(const SimulatedBus&) = delete;
    SimulatedBus& operator=(const SimulatedBus&) = delete;
    ~SimulatedBus();

    bool Start();  // false (see LastError()) when the line or its link cannot be made
    void Stop();   // idempotent
    std::string LastError() const;
    std::string SlavePath() const;
    std::string PublishedPath() const;

    bool HasModule(int address) const;
    void InjectFault(int address, const Fault& fault);
    void ClearFaults(int address);
    // Set points in tenths of a degree for one module; see SimulatedModule::SetTemperatures.
    void SetTemperatures(int address, const std::array<int, kPt100Inputs>& pt100Tenths,
                         const std::vector<int>& probeTenths);
    void FreezeTemperatures(bool frozen);
    // Closes the line as an unplugged adapter does, and opens a new one under the same link.
    bool Replug();

    // Well-formed requests to one address (a module or nobody), and all frames finished with.
    int RequestsFor(int address) const;
    int FramesHandled() const;
    bool WaitForFramesHandled(int count, std::chrono::milliseconds deadline) const;

private:
    struct Module {
        explicit Module(int probes, unsigned seed) : state(probes, seed) {}
        ModuleState state;
        FaultBook faults;
    };

    void Run();
    void Handle(const std::vector<std::uint8_t>& frame);
    void Deliver(std::vector<std::uint8_t> reply, const FaultPlan& plan);
    bool Send(const std::vector<std::uint8_t>& bytes);
    void Trace(const char* label, const std::vector<std::uint8_t>& bytes) const;

    const SimBusOptions options_;
    const std::chrono::steady_clock::time_point created_;
    SimulatedLine line_;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::map<int, std::unique_ptr<Module>> modules_;
    std::map<int, int> requestsByAddress_;
    int framesHandled_ = 0;
};
