#pragma once
// k7r2 as a process against a simulated module published as COM2 in the test's port directory.
#include <memory>
#include <string>
#include <vector>

#include "tests/cli/k7r2_process.h"
#include "tests/sim/sim_fixture.h"

constexpr int kCliPort = 2;

class CliTest : public testing::Test {
protected:
    SimulatedModule& Start(int address = 1, int port = kCliPort, unsigned seed = 1) {
        SimOptions options;
        options.port = port;
        options.address = address;
        options.paceBytes = false;
        options.seed = seed;
        options.searchDuration = std::chrono::milliseconds(100);
        modules_.push_back(std::make_unique<SimulatedModule>(options));
        EXPECT_TRUE(modules_.back()->Start()) << modules_.back()->LastError();
        return *modules_.back();
    }

    // k7r2 --port 2 --address 1 <args>
    static ProcessResult Run(std::vector<std::string> args, int address = 1) {
        args.insert(args.begin(), {"--port", std::to_string(kCliPort), "--address",
                                   std::to_string(address)});
        return RunK7r2Process(args);
    }

    static std::vector<std::string> Lines(const std::string& text, const char* end = "\n") {
        std::vector<std::string> lines;
        std::size_t start = 0;
        for (std::size_t at; (at = text.find(end, start)) != std::string::npos;
             start = at + std::string(end).size()) {
            lines.push_back(text.substr(start, at - start));
        }
        return lines;
    }

    TempPortDir portDir_;
    std::vector<std::unique_ptr<SimulatedModule>> modules_;
};
