// `k7r2 serve` as a process, as systemd runs it: 32 modules x 68 channels on two simulated buses
// of 16 (k7r2-sim), readings CSVs, alarm limits on every channel, MQTT to a local mosquitto and
// Modbus TCP on. The figures are the service process's own, its buses included.
//   bench_plant_serve cpu [seconds [no-mqtt]]   a 1 s cycle at 38400 Bd with paced replies
//                                       (default 60 s): CPU share of a core, by thread
//   bench_plant_serve memory [cycles]   replies at once and a 100 ms cycle, `cycles` per bus
//                                       (default 3600: an hour at 1 s): resident and anonymous
//                                       memory after the first cycles and at every sixth
// Needs `mosquitto` on the PATH.
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kBusPorts[] = {11, 12};
constexpr int kModulesPerBus = 16;

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

// Runs `args` with stdout and stderr to `log` (or nowhere).
pid_t Spawn(const std::vector<std::string>& args, const std::string& log = "/dev/null") {
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(out, 2);
        std::vector<char*> argv;
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

void End(pid_t pid) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), {}};
}

// user + system CPU seconds of a process or thread, from its /proc folder.
double CpuSecondsIn(const std::string& proc) {
    const std::string stat = ReadFile(proc + "/stat");
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14) utime = std::stoull(field);
        if (index == 15) {
            stime = std::stoull(field);
            break;
        }
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double CpuSecondsOf(pid_t pid) { return CpuSecondsIn("/proc/" + std::to_string(pid)); }

// Each thread's CPU seconds, in the order the threads were started.
std::vector<std::pair<std::string, double>> ThreadCpuOf(pid_t pid) {
    std::vector<std::pair<int, std::pair<std::string, double>>> threads;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks)) {
        const int tid = std::stoi(task.path().filename().string());
        std::string name = ReadFile(task.path().string() + "/comm");
        if (!name.empty() && name.back() == '\n') name.pop_back();
        threads.push_back({tid, {name, CpuSecondsIn(task.path().string())}});
    }
    std::sort(threads.begin(), threads.end());
    std::vector<std::pair<std::string, double>> byStart;
    for (auto& [tid, thread] : threads) byStart.push_back(thread);
    return byStart;
}

// A "Key:   123 kB" line of a /proc file, in kB.
long KbOf(const std::string& path, const char* key) {
    std::istringstream lines(ReadFile(path));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
    }
    return -1;
}

struct Memory {
    long resident = 0;   // VmRSS
    long anonymous = 0;  // heap, thread arenas and stacks
};

Memory MemoryOf(pid_t pid) {
    const std::string proc = "/proc/" + std::to_string(pid);
    return {KbOf(proc + "/status", "VmRSS:"), KbOf(proc + "/smaps_rollup", "Anonymous:")};
}

// The service's cycles so far, all buses together, from its latest status line.
long long CyclesLogged(const std::string& log) {
    static const std::regex cycles("周期 ([0-9]+)");
    const std::string text = ReadFile(log);
    long long last = 0;
    for (auto match = std::sregex_iterator(text.begin(), text.end(), cycles);
         match != std::sregex_iterator(); ++match) {
        last = std::stoll((*match)[1]);
    }
    return last;
}

std::string SiteText(int brokerPort, int modbusPort, int periodMs) {
    std::ostringstream text;
    text << "name = \"基准站\"\n[alarms]\nhigh = 60.0\nlow = -20.0\ndeadband = 0.5\n";
    if (brokerPort > 0) {
        text << "[mqtt]\nurl = \"mqtt://127.0.0.1:" << brokerPort << "\"\nclient_id = \"bench-serve\"\n";
    }
    text << "[modbus]\nlisten = \"127.0.0.1\"\nport = " << modbusPort << "\n";
    int address = 1;
    for (int port : kBusPorts) {
        text << "[[bus]]\nport = " << port << "\nbaud = 38400\nperiod_ms = " << periodMs
             << "\ntimeout_ms = 300\n";
        for (int i = 0; i < kModulesPerBus; ++i, ++address) {
            text << "  [[bus.module]]\n  address = " << address << "\n  name = \"仓" << address
                 << "\"\n";
        }
    }
    return text.str();
}

struct Plant {
    std::filesystem::path folder;
    std::vector<pid_t> helpers;  // the broker and the simulators
    pid_t serve = 0;
    std::string log;

    // `statusS`: the service's status line interval; `mqtt`: publish to a broker.
    Plant(int periodMs, bool paced, int statusS, bool mqtt) {
        char pattern[] = "/tmp/k7r2-bench-serve-XXXXXX";
        folder = mkdtemp(pattern);
        setenv("K7R2_PORT_DIR", folder.c_str(), 1);
        const int brokerPort = FreeLocalPort();
        helpers.push_back(Spawn({"mosquitto", "-p", std::to_string(brokerPort)}));
        int first = 1;
        for (int port : kBusPorts) {
            std::vector<std::string> sim = {K7R2_SIM_PROGRAM, "--port", std::to_string(port),
                                            "--addresses",
                                            std::to_string(first) + "-" +
                                                std::to_string(first + kModulesPerBus - 1),
                                            "--probes", "64", "--baud", "38400", "--quiet"};
            if (!paced) sim.push_back("--no-pacing");
            helpers.push_back(Spawn(sim));
            first += kModulesPerBus;
        }
        for (int port : kBusPorts) {
            const auto link = folder / ("COM" + std::to_string(port));
            for (int i = 0; i < 500 && !std::filesystem::exists(link); ++i) std::this_thread::sleep_for(10ms);
        }
        std::this_thread::sleep_for(300ms);  // the broker's listener
        const std::string site = (folder / "site.toml").string();
        std::ofstream(site) << SiteText(mqtt ? brokerPort : 0, FreeLocalPort(), periodMs);
        log = (folder / "serve.log").string();
        serve = Spawn({K7R2_PROGRAM, "serve", "--status-interval", std::to_string(statusS), "--csv-dir",
                       (folder / "csv").string(), site},
                      log);
    }
    ~Plant() {
        End(serve);
        for (pid_t helper : helpers) End(helper);
        std::filesystem::remove_all(folder);
    }
    // Cycles a bus has run, on average.
    long long CyclesPerBus() const { return CyclesLogged(log) / std::size(kBusPorts); }
    bool WaitForCycles(long long cycles) const {
        while (CyclesPerBus() < cycles) {
            if (waitpid(serve, nullptr, WNOHANG) != 0) return false;
            std::this_thread::sleep_for(200ms);
        }
        return true;
    }
    std::string LastStatus() const {
        const std::string text = ReadFile(log);
        const auto at = text.rfind("周期");
        return at == std::string::npos ? "" : text.substr(at, text.find('\n', at) - at);
    }
};

// The status line as in service, once a minute: the cycles are not counted here.
int Cpu(int seconds, bool mqtt) {
    Plant plant(1000, true, 60, mqtt);
    std::this_thread::sleep_for(4s);
    if (waitpid(plant.serve, nullptr, WNOHANG) != 0) {
        std::fprintf(stderr, "k7r2 serve ended:\n%s\n", ReadFile(plant.log).c_str());
        return 1;
    }
    const double before = CpuSecondsOf(plant.serve);
    const auto threadsBefore = ThreadCpuOf(plant.serve);
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double used = CpuSecondsOf(plant.serve) - before;
    const auto threadsAfter = ThreadCpuOf(plant.serve);
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const Memory memory = MemoryOf(plant.serve);
    std::printf("k7r2 serve, 32 modules x 68 channels on 2 buses at 38400 Bd, 1 s cycle, %s, %.0f s: "
                "CPU %.2f s = %.3f %% of a core; RSS %ld kB, anonymous %ld kB; %s\n",
                mqtt ? "MQTT and Modbus" : "Modbus only", wall, used, 100.0 * used / wall,
                memory.resident, memory.anonymous,
                plant.LastStatus().c_str());
    // main, Modbus server, (the MQTT network loop and sender,) then the buses
    std::printf("by thread, in the order started:");
    for (std::size_t i = 0; i < threadsAfter.size() && i < threadsBefore.size(); ++i) {
        std::printf(" %s %.2f s;", threadsAfter[i].first.c_str(),
                    threadsAfter[i].second - threadsBefore[i].second);
    }
    std::printf("\n");
    return 0;
}

int MemoryRun(long long cycles) {
    Plant plant(100, false, 1, true);
    // After the first cycles, then at every sixth of the run.
    std::vector<long long> marks = {std::min(50LL, cycles)};
    for (int sixth = 1; sixth <= 6; ++sixth) marks.push_back(std::max(marks[0], cycles * sixth / 6));
    const auto start = Clock::now();
    for (const long long mark : marks) {
        if (!plant.WaitForCycles(mark)) {
            std::fprintf(stderr, "k7r2 serve ended:\n%s\n", ReadFile(plant.log).c_str());
            return 1;
        }
        const Memory memory = MemoryOf(plant.serve);
        std::printf("after %6lld cycles a bus (%.0f s): RSS %ld kB, anonymous %ld kB\n",
                    plant.CyclesPerBus(),
                    std::chrono::duration<double>(Clock::now() - start).count(), memory.resident,
                    memory.anonymous);
        std::fflush(stdout);
    }
    std::printf("%s\n", plant.LastStatus().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const long long count = argc > 2 ? std::max(1LL, std::atoll(argv[2])) : 0;
    if (mode == "cpu") {
        const bool mqtt = !(argc > 3 && std::string(argv[3]) == "no-mqtt");
        return Cpu(count > 0 ? static_cast<int>(count) : 60, mqtt);
    }
    if (mode == "memory") return MemoryRun(count > 0 ? count : 3600);
    std::fprintf(stderr, "usage: bench_plant_serve cpu [seconds [no-mqtt]] | memory [cycles]\n");
    return 2;
}
