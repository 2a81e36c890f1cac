// The plant service's figures:
//  1. from a reading's end to its MQTT message at a subscriber of a local broker (median, p95);
//  2. Modbus TCP register reads a second from 10 clients at once;
//  3. 32 modules x 68 channels at a 1 s cycle through MQTT and Modbus: CPU share of a core and
//     resident memory over the run.
// Usage: bench_plant [seconds for 3, default 60]. Needs `mosquitto` on the PATH.
#include <fcntl.h>
#include <modbus/modbus.h>
#include <mosquitto.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "link/temp_word.h"
#include "plant/modbus_registers.h"
#include "plant/plant_service.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

int FreeLocalPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

pid_t StartBroker(int port) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        const std::string text = std::to_string(port);
        execlp("mosquitto", "mosquitto", "-p", text.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::this_thread::sleep_for(300ms);
    return pid;
}

SiteReading Reading68(int address, int tenths) {
    SiteReading site;
    site.address = address;
    site.module = "模块" + std::to_string(address);
    site.reading.time = std::chrono::system_clock::now();
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        site.reading.words.push_back(TempWordFromTenths(tenths + channel));
    }
    return site;
}

ServeConfig Config(int brokerPort, int modules) {
    ServeConfig config;
    config.site = "基准站";
    config.mqtt = MqttSettings{};
    config.mqtt->url = "mqtt://127.0.0.1:" + std::to_string(brokerPort);
    config.modbus = ModbusSettings{"127.0.0.1", 0};
    for (int address = 1; address <= modules; ++address) {
        config.modules.push_back({1, address, "模块" + std::to_string(address), {}});
    }
    return config;
}

double Percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(share * (values.size() - 1))];
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return 0;
}

// 1. One reading at a time; each waits for its message before the next.
void MqttLatency(int brokerPort) {
    PlantService service;
    std::string error;
    if (!service.Start(Config(brokerPort, 1), nullptr, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return;
    }
    struct Arrivals {
        std::mutex mutex;
        std::condition_variable arrived;
        int lastValue = -1;
        Clock::time_point at;
    } arrivals;
    mosquitto* subscriber = mosquitto_new(nullptr, true, &arrivals);
    mosquitto_message_callback_set(subscriber, [](mosquitto*, void* self, const mosquitto_message* m) {
        const auto now = Clock::now();
        auto* a = static_cast<Arrivals*>(self);
        const auto payload = nlohmann::json::parse(
            std::string(static_cast<const char*>(m->payload), static_cast<std::size_t>(m->payloadlen)));
        const auto& values = payload["values"];
        if (!values.contains("PT100温度1")) return;  // the state published on connection
        std::lock_guard lock(a->mutex);
        a->lastValue = static_cast<int>(std::lround(values["PT100温度1"].get<double>() * 10));
        a->at = now;
        a->arrived.notify_all();
    });
    mosquitto_connect(subscriber, "127.0.0.1", brokerPort, 30);
    mosquitto_subscribe(subscriber, nullptr, "k7r2/基准站/1/reading", 1);
    mosquitto_loop_start(subscriber);
    std::this_thread::sleep_for(500ms);

    std::vector<double> latencies;
    for (int i = 0; i < 1000; ++i) {
        const int value = 100 + i % 500;
        const auto start = Clock::now();
        service.Readings().OnSiteReading(Reading68(1, value));
        std::unique_lock lock(arrivals.mutex);
        if (arrivals.arrived.wait_for(lock, 2s, [&] { return arrivals.lastValue == value; })) {
            latencies.push_back(std::chrono::duration<double, std::milli>(arrivals.at - start).count());
        }
        arrivals.lastValue = -1;
        lock.unlock();
        std::this_thread::sleep_for(2ms);
    }
    mosquitto_disconnect(subscriber);
    mosquitto_loop_stop(subscriber, false);
    mosquitto_destroy(subscriber);
    service.Stop();
    if (latencies.empty()) return;
    std::printf("MQTT reading end -> message: %zu readings, median %.3f ms, p95 %.3f ms, max %.3f ms\n",
                latencies.size(), Percentile(latencies, 0.5), Percentile(latencies, 0.95),
                Percentile(latencies, 1.0));
}

// 2. Ten clients, each reading all 73 registers of a module as fast as answers come.
void ModbusThroughput() {
    PlantService service;
    ServeConfig config = Config(0, 32);
    config.mqtt.reset();
    std::string error;
    if (!service.Start(config, nullptr, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return;
    }
    for (int address = 1; address <= 32; ++address) service.Readings().OnSiteReading(Reading68(address, 200));
    std::atomic<long> requests{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> clients;
    for (int c = 0; c < 10; ++c) {
        clients.emplace_back([&, c] {
            modbus_t* client = modbus_new_tcp("127.0.0.1", service.ModbusPort());
            modbus_connect(client);
            modbus_set_slave(client, 1 + c);
            std::uint16_t registers[kModuleRegisters];
            while (!stop) {
                if (modbus_read_input_registers(client, 0, kModuleRegisters, registers) == kModuleRegisters) {
                    ++requests;
                }
            }
            modbus_close(client);
            modbus_free(client);
        });
    }
    const double cpuBefore = CpuSeconds();
    std::this_thread::sleep_for(3s);
    stop = true;
    for (auto& client : clients) client.join();
    const double cpu = CpuSeconds() - cpuBefore;
    std::printf("Modbus TCP, 10 clients, 73 registers a request: %.0f requests/s (%.0f registers/s), "
                "process CPU %.2f s in 3 s (clients included)\n",
                requests / 3.0, requests * 73 / 3.0, cpu);
    service.Stop();
}

// 3. The site's load at its real pace.
void SteadyLoad(int brokerPort, int seconds) {
    PlantService service;
    std::string error;
    if (!service.Start(Config(brokerPort, 32), nullptr, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return;
    }
    std::this_thread::sleep_for(500ms);
    const long rssStart = ResidentKb();
    long rssMax = rssStart;
    const double cpuBefore = CpuSeconds();
    const auto start = Clock::now();
    for (int cycle = 0; cycle < seconds; ++cycle) {
        for (int address = 1; address <= 32; ++address) {
            service.Readings().OnSiteReading(Reading68(address, 100 + cycle % 200));
        }
        rssMax = std::max(rssMax, ResidentKb());
        std::this_thread::sleep_until(start + std::chrono::seconds(cycle + 1));
    }
    const double cpu = CpuSeconds() - cpuBefore;
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("32 modules x 68 channels at 1 s for %d s: CPU %.3f %% of a core, RSS %ld kB at start, "
                "%ld kB at most, %ld kB at end; %s\n",
                seconds, 100 * cpu / wall, rssStart, rssMax, ResidentKb(), service.StatusLine().c_str());
    service.Stop();
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    mosquitto_lib_init();
    const int brokerPort = FreeLocalPort();
    const pid_t broker = StartBroker(brokerPort);
    MqttLatency(brokerPort);
    ModbusThroughput();
    SteadyLoad(brokerPort, seconds);
    kill(broker, SIGTERM);
    waitpid(broker, nullptr, 0);
    return 0;
}
