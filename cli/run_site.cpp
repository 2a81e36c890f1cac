// site scan, watch and check: every module of a site, through the bus runner.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>

#include "alarms/alarm_engine.h"
#include "alarms/alarm_journal.h"
#include "alarms/alarm_printer.h"
#include "bus/bus_exchange.h"
#include "bus/bus_runner.h"
#include "cli/cli_output.h"
#include "cli/command_line.h"
#include "cli/exit_status.h"
#include "cli/interrupt.h"
#include "cli/module_session.h"
#include "cli/site_csv_recorder.h"
#include "record/local_time.h"
#include "record/readings_csv.h"
#include "record/readings_csv_file.h"
#include "site/site_file.h"

namespace {

constexpr int kAllBauds[] = {1200, 9600, 19200, 38400};

bool ParseNumber(const std::string& text, int low, int high, int& value) {
    try {
        std::size_t used = 0;
        value = std::stoi(text, &used);
        return used == text.size() && value >= low && value <= high;
    } catch (const std::exception&) {
        return false;
    }
}

bool ParseRange(const std::string& text, int& first, int& last) {
    const std::size_t dash = text.find('-');
    if (dash == std::string::npos) return ParseNumber(text, 0, 255, first) && (last = first, true);
    return ParseNumber(text.substr(0, dash), 0, 255, first) &&
           ParseNumber(text.substr(dash + 1), 0, 255, last) && first <= last;
}

bool ParseBauds(const std::string& text, std::vector<int>& bauds) {
    bauds.clear();
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t comma = std::min(text.find(',', from), text.size());
        int baud = 0;
        if (!ParseNumber(text.substr(from, comma - from), 1, 1000000, baud)) return false;
        if (std::find(std::begin(kAllBauds), std::end(kAllBauds), baud) == std::end(kAllBauds)) {
            return false;
        }
        if (std::find(bauds.begin(), bauds.end(), baud) == bauds.end()) bauds.push_back(baud);
        from = comma + 1;
    }
    return !bauds.empty();
}

std::string BusPortText(const Invocation& invocation) {
    return invocation.device.empty() ? "COM" + std::to_string(invocation.port) : invocation.device;
}

int RunSiteScan(const Invocation& invocation, const CliOutput& output) {
    const SiteArguments& args = invocation.site;
    int first = 0;
    int last = 255;
    if (!args.addresses.empty() && !ParseRange(args.addresses, first, last)) {
        return output.Fail(kExitUsage, "用法错误: --addresses 须为 A-B (0 到 255, A 不大于 B) 或单个地址, 不是 '" +
                                           args.addresses + "'");
    }
    std::vector<int> bauds = {invocation.baud};
    if (!args.bauds.empty() && !ParseBauds(args.bauds, bauds)) {
        return output.Fail(kExitUsage, "用法错误: --bauds 须为以逗号分隔的波特率, 每个为 1200, 9600, "
                                       "19200 或 38400, 不是 '" + args.bauds + "'");
    }
    Site site;
    site.name = args.name.empty() ? "新站点" : args.name;
    InstallInterruptHandler();
    for (const int baud : bauds) {
        Invocation at = invocation;
        at.baud = baud;
        const PollSettings settings = SessionSettings(at);
        CommPort port = OpenCommPort(settings, TimeoutProfile::Polling);
        if (!port) {
            ModuleSession session(at, output);
            return session.Open(TimeoutProfile::Polling);  // says why, with its exit status
        }
        SiteBus bus;
        if (invocation.device.empty()) {
            bus.port = settings.port;
        } else {
            bus.device = invocation.device;
        }
        bus.baud = baud;
        ReplyBlock block{};
        for (int address = first; address <= last && !Interrupted(); ++address) {
            const BusExchangeResult result = ExchangeBusBlock(
                port, address, {std::chrono::milliseconds(args.timeoutMs), baud}, block);
            // Nothing at all is an empty address; a damaged reply is a module that needs a look.
            if (result.fault == BlockFault::ShortHeader) continue;
            char line[160];
            if (result.fault == BlockFault::None) {
                const Reading reading = ReadingFromBlock(block, std::chrono::system_clock::now());
                std::snprintf(line, sizeof line, "%s %d Bd 地址 %d: 应答, %d 个探头",
                              BusPortText(invocation).c_str(), baud, address, reading.ProbeCount());
            } else {
                std::snprintf(line, sizeof line, "%s %d Bd 地址 %d: 应答有误 (%s)",
                              BusPortText(invocation).c_str(), baud, address,
                              BlockFaultText(result.fault));
            }
            output.Message(line);
            bus.modules.push_back({address, "模块" + std::to_string(address), {}});
        }
        if (!bus.modules.empty()) site.buses.push_back(bus);
        if (Interrupted()) break;
    }
    int modules = 0;
    for (const SiteBus& bus : site.buses) modules += static_cast<int>(bus.modules.size());
    output.Message("找到 " + std::to_string(modules) + " 个模块" +
                   (Interrupted() ? std::string(" (已中断)") : std::string()));
    if (modules == 0) return output.Fail(kExitNoReply, "没有模块应答");
    output.out << NewSiteFileText(site) << std::flush;
    return kExitOk;
}

bool LoadSite(const std::string& path, SiteFile& file, const CliOutput& output, int& status) {
    std::string error;
    if (file.Load(path, error)) return true;
    status = output.Fail(kExitUsage, error);
    return false;
}

int RunSiteCheck(const Invocation& invocation, const CliOutput& output) {
    SiteFile file;
    int status = kExitOk;
    if (!LoadSite(invocation.site.file, file, output, status)) return status;
    const Site& site = file.GetSite();
    int modules = 0;
    int names = 0;
    nlohmann::ordered_json buses = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < site.buses.size(); ++i) {
        const SiteBus& bus = site.buses[i];
        std::string list;
        nlohmann::ordered_json addresses = nlohmann::ordered_json::array();
        for (const SiteModule& module : bus.modules) {
            // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) of " " + std::string.
            list.append(" ").append(std::to_string(module.address)).append(" ").append(module.name);
            names += static_cast<int>(module.channelNames.size());
            addresses.push_back(module.address);
        }
        modules += static_cast<int>(bus.modules.size());
        char line[160];
        std::snprintf(line, sizeof line, "%s: %s, %d Bd, 周期 %d ms, 超时 %d ms, %zu 个模块:",
                      bus.Title(static_cast<int>(i) + 1).c_str(), bus.PortText().c_str(),
                      bus.baud, bus.periodMs, bus.timeoutMs, bus.modules.size());
        if (!output.json) output.out << line << list << '\n';
        buses.push_back({{"name", bus.name}, {"port", bus.PortText()}, {"baud", bus.baud},
                         {"periodMs", bus.periodMs}, {"timeoutMs", bus.timeoutMs},
                         {"addresses", addresses}});
    }
    char summary[160];
    std::snprintf(summary, sizeof summary, "站点 %s: %zu 条总线, %d 个模块, %d 个通道名称",
                  site.name.c_str(), site.buses.size(), modules, names);
    if (output.json) {
        output.Json({{"name", site.name}, {"modules", modules}, {"channelNames", names},
                     {"buses", buses}});
    } else {
        output.out << summary << '\n';
    }
    return kExitOk;
}

// Everything the buses report, written out under one lock: several buses report at once.
class WatchSink : public SiteReadingObserver, public BusCycleObserver, public AlarmObserver {
public:
    WatchSink(const Site& site, const CliOutput& output)
        : site_(site), output_(output), alarmText_(output.err, false), alarmJson_(output.out, true) {}

    bool OpenFiles(const std::string& directory, std::string& error) {
        return recorder_.Open(site_, directory, RecordFileMode::Replace, error);
    }

    void OnSiteReading(const SiteReading& reading) override {
        std::lock_guard lock(mutex_);
        (reading.reading.Ok() ? good_ : failed_) += 1;
        recorder_.OnSiteReading(reading);
        if (output_.json) output_.Json(Json(reading));
    }

    void OnBusCycle(const BusCycleReport& report) override {
        std::string line = site_.buses[static_cast<std::size_t>(report.bus - 1)].Title(report.bus) +
                           " 第 " + std::to_string(report.cycle) + " 周期: ";
        if (!report.portOpen) {
            line += "打开串口失败, " + std::to_string(report.modules) + " 个模块均未读到";
        } else {
            line += std::to_string(report.modules - static_cast<int>(report.failed.size())) + "/" +
                    std::to_string(report.modules) + " 个模块应答";
            if (!report.failed.empty()) {
                line += ", 失败地址:";
                for (const int address : report.failed) line.append(" ").append(std::to_string(address));
            }
        }
        char elapsed[48];
        std::snprintf(elapsed, sizeof elapsed, ", 用时 %lld ms",
                      static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                 report.duration)
                                                 .count()));
        std::lock_guard lock(mutex_);
        output_.err << line << elapsed << '\n' << std::flush;
    }

    // Each alarm change as a line on stderr, and with --json as a JSON line among the readings.
    void OnAlarmChange(const AlarmEvent& event) override {
        std::lock_guard lock(mutex_);
        alarmText_.OnAlarmChange(event);
        if (output_.json) alarmJson_.OnAlarmChange(event);
    }

    void CloseFiles() { recorder_.Close(); }
    long long Good() const { return good_; }
    long long Failed() const { return failed_; }
    bool WriteFailed() const { return recorder_.WriteFailed(); }

private:
    nlohmann::ordered_json Json(const SiteReading& reading) const {
        const SiteModule* module = nullptr;
        for (const SiteModule& candidate : site_.buses[static_cast<std::size_t>(reading.bus - 1)].modules) {
            if (candidate.address == reading.address) module = &candidate;
        }
        nlohmann::ordered_json channels = nlohmann::ordered_json::array();
        for (int channel = 0; channel < static_cast<int>(reading.reading.words.size()); ++channel) {
            channels.push_back({{"channel", ChannelLabel(channel)},
                                {"name", module != nullptr ? module->ChannelName(channel)
                                                           : ChannelLabel(channel)},
                                {"value", ShownNumber(ChannelText(reading.reading, channel))}});
        }
        return {{"time", IsoLocalTime(reading.reading.time)},
                {"bus", reading.bus},
                {"address", reading.address},
                {"module", reading.module},
                {"status", BlockFaultText(reading.reading.fault)},
                {"channels", channels}};
    }

    const Site& site_;
    const CliOutput& output_;
    std::mutex mutex_;
    SiteCsvRecorder recorder_;
    AlarmPrinter alarmText_;
    AlarmPrinter alarmJson_;
    long long good_ = 0;
    long long failed_ = 0;
};

int RunSiteWatch(const Invocation& invocation, const CliOutput& output) {
    SiteFile file;
    int status = kExitOk;
    if (!LoadSite(invocation.site.file, file, output, status)) return status;
    const Site& site = file.GetSite();
    std::string error;
    const std::optional<SiteAlarmConfig> limits = ReadSiteAlarmConfig(invocation.site.file, error);
    if (!limits) return output.Fail(kExitUsage, error);
    WatchSink sink(site, output);
    if (!invocation.site.csvDir.empty()) {
        if (!sink.OpenFiles(invocation.site.csvDir, error)) {
            sink.CloseFiles();
            return output.Fail(kExitOutput, error);
        }
    }
    // The journal beside the site file, where `k7r2 alarms` reads it.
    AlarmJournal journal(AlarmJournalPathFor(invocation.site.file));
    AlarmEngine engine(*limits, &journal);
    engine.AddObserver(&sink);
    InstallInterruptHandler();
    BusRunner runner(site);
    runner.AddObserver(&sink);
    runner.AddObserver(&engine);
    runner.AddCycleObserver(&sink);
    runner.Start(invocation.site.count);
    // The buses run on their own threads; this one only waits for Ctrl-C or their end.
    while (runner.Running() && !Interrupted()) WaitForInterrupt(100);
    runner.Stop();
    sink.CloseFiles();

    char summary[160];
    std::snprintf(summary, sizeof summary, "采集结束%s: 共%lld次, 成功次数:%lld, 失败次数:%lld",
                  Interrupted() ? "(已中断)" : "", sink.Good() + sink.Failed(), sink.Good(),
                  sink.Failed());
    output.Message(summary);
    if (sink.WriteFailed()) return output.Fail(kExitOutput, "写文件失败: " + invocation.site.csvDir);
    if (!engine.JournalError().empty()) return output.Fail(kExitOutput, engine.JournalError());
    // Single failed readings are part of a watch; a site where no module ever answered is not.
    return sink.Good() == 0 && sink.Failed() > 0 ? output.Fail(kExitNoReply, "没有模块应答")
                                                 : kExitOk;
}

}  // namespace

int RunSite(const Invocation& invocation, const CliOutput& output) {
    switch (invocation.site.action) {
        case SiteArguments::Action::Scan: return RunSiteScan(invocation, output);
        case SiteArguments::Action::Watch: return RunSiteWatch(invocation, output);
        case SiteArguments::Action::Check: return RunSiteCheck(invocation, output);
    }
    return kExitUsage;
}
