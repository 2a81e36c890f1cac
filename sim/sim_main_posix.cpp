// k7r2-sim: a simulated module on a pseudo-terminal, published as a port link.
#include <signal.h>

#include <cstdio>
#include <memory>
#include <mutex>

#include "sim/control_file_watcher.h"
#include "sim/sim_command_line.h"
#include "sim/simulated_bus.h"
#include "sim/simulated_module.h"

namespace {

SimBusOptions BusOptionsOf(const SimCommandLine& line) {
    SimBusOptions options;
    options.port = line.options.port;
    options.addresses = line.bus.addresses;
    options.probeCount = line.options.probeCount;
    options.paceBytes = line.options.paceBytes;
    options.baud = line.options.baud;
    options.seed = line.options.seed;
    options.faults = line.bus.faults;
    options.trace = line.options.trace;
    options.control = line.options.control;
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    auto line = ParseSimCommandLine(argc, argv, error);
    const std::string program = argc > 0 ? argv[0] : "k7r2-sim";
    if (!line) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", program.c_str(), error.c_str(),
                     program.c_str());
        return 2;
    }
    if (line->help) {
        std::fputs(SimUsage(program).c_str(), stdout);
        return 0;
    }
    if (!line->quiet) {
        static std::mutex traceMutex;
        line->options.trace = [](const std::string& text) {
            std::lock_guard lock(traceMutex);
            std::fprintf(stdout, "%s\n", text.c_str());
            std::fflush(stdout);
        };
    }

    // The signals are taken by sigwait below; blocked before the I/O thread starts, so that
    // thread never receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    // Values driven by the control file and --drive, checked before the module answers.
    std::unique_ptr<ControlFileWatcher> watcher;
    if (!line->controlFile.empty() || !line->drives.empty()) {
        line->options.control = std::make_shared<ValueControl>();
        std::string drives;
        for (const std::string& drive : line->drives) drives += drive + "\n";
        const bool quiet = line->quiet;
        std::string error;
        bool loaded = false;
        if (line->controlFile.empty()) {
            loaded = line->options.control->Load(drives, ValueControl::Now(), error);
        } else {
            watcher = std::make_unique<ControlFileWatcher>(
                line->controlFile, drives, line->options.control,
                [quiet](const std::string& text, bool failed) {
                    if (!failed && quiet) return;
                    std::FILE* stream = failed ? stderr : stdout;
                    std::fprintf(stream, "%s\n", text.c_str());
                    std::fflush(stream);
                });
            loaded = watcher->LoadNow(error);
        }
        if (!loaded) {
            std::fprintf(stderr, "%s: %s\n", program.c_str(), error.c_str());
            return 2;
        }
    }
    // One module, or a bus of them behind the one line.
    std::unique_ptr<SimulatedModule> module;
    std::unique_ptr<SimulatedBus> bus;
    if (line->bus.addresses.empty()) {
        module = std::make_unique<SimulatedModule>(line->options);
        if (line->frozen) module->FreezeTemperatures(true);
        if (!module->Start()) {
            std::fprintf(stderr, "%s: %s\n", program.c_str(), module->LastError().c_str());
            return 1;
        }
    } else {
        bus = std::make_unique<SimulatedBus>(BusOptionsOf(*line));
        if (line->frozen) bus->FreezeTemperatures(true);
        if (!bus->Start()) {
            std::fprintf(stderr, "%s: %s\n", program.c_str(), bus->LastError().c_str());
            return 1;
        }
    }
    const std::string slave = module ? module->SlavePath() : bus->SlavePath();
    const std::string published = module ? module->PublishedPath() : bus->PublishedPath();
    std::printf("slave: %s\n", slave.c_str());
    std::printf("published: %s\n", published.empty() ? "(none)" : published.c_str());
    std::fflush(stdout);

    if (watcher) watcher->Start();

    int received = 0;
    sigwait(&stopSignals, &received);
    if (watcher) watcher->Stop();
    if (module) module->Stop();
    if (bus) bus->Stop();
    if (!line->quiet) std::printf("stopped by signal %d\n", received);
    return 0;
}
