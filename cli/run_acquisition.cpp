// read and watch: the temperature block once, or continuously as readings-CSV records.
#include <cstdio>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/interrupt.h"
#include "cli/module_session.h"
#include "cli/terminal.h"
#include "record/readings_csv.h"
#include "record/readings_csv_file.h"

namespace {

double ShownValue(const Reading& reading, int channel) {
    return ShownNumber(ChannelText(reading, channel));
}

}  // namespace

int RunRead(const Invocation& invocation, const CliOutput& output) {
    ModuleSession session(invocation, output);
    if (const int status = session.Open(TimeoutProfile::Interactive); status != kExitOk) {
        return status;
    }
    const Reading reading = session.ReadBlock();
    session.Close();
    if (!reading.Ok()) return session.BlockFailure(reading);

    const int channels = static_cast<int>(reading.words.size());
    if (output.json) {
        nlohmann::ordered_json pt100 = nlohmann::ordered_json::array();
        nlohmann::ordered_json probes = nlohmann::ordered_json::array();
        for (int channel = 0; channel < channels; ++channel) {
            (channel < kReadingPt100s ? pt100 : probes).push_back(ShownValue(reading, channel));
        }
        output.Json({{"pt100", pt100}, {"probes", probes}});
        return kExitOk;
    }
    for (int channel = 0; channel < channels; ++channel) {
        output.out << ChannelLabel(channel) << '\t' << ChannelText(reading, channel) << '\n';
    }
    return kExitOk;
}

int RunWatch(const Invocation& invocation, const CliOutput& output) {
    ReadingsCsvFile file;
    if (!invocation.csvPath.empty()) {
        std::string error;
        if (!file.Create(invocation.csvPath, error)) {
            return output.Fail(kExitUsage, "无法创建文件 " + invocation.csvPath + ": " + error);
        }
    }
    ModuleSession session(invocation, output);
    if (const int status = session.Open(TimeoutProfile::Polling); status != kExitOk) {
        file.Close();
        return status;
    }
    InstallInterruptHandler();
    // With --json stdout carries the one summary object; records go to the file only.
    const bool toStdout = !file.IsOpen() && !output.json;
    if (toStdout) {
        // The byte-order mark makes "k7r2 watch > x.csv" a proper readings CSV; a terminal
        // would only show it as noise.
        if (!StdoutIsTerminal()) output.out << kCsvByteOrderMark;
        output.out << CsvHeaderRecord() << std::flush;
    }

    long long good = 0;
    long long failed = 0;
    bool writeFailed = false;
    while (!Interrupted()) {
        const Reading reading = session.ReadBlock();
        (reading.Ok() ? good : failed) += 1;
        if (file.IsOpen()) {
            if (!file.Append(reading)) {
                writeFailed = true;
                break;
            }
        } else if (toStdout) {
            output.out << CsvRecord(reading) << std::flush;  // whole records only
        }
        if (invocation.count > 0 && good + failed >= invocation.count) break;
        if (WaitForInterrupt(static_cast<std::uint32_t>(invocation.periodMs))) break;
    }
    session.Close();
    file.Close();

    char summary[160];
    std::snprintf(summary, sizeof summary, "采集结束%s: 共%lld次, 成功次数:%lld, 失败次数:%lld",
                  Interrupted() ? "(已中断)" : "", good + failed, good, failed);
    output.Message(summary);
    if (writeFailed) {
        return output.Fail(kExitUsage, "写文件失败: " + invocation.csvPath);
    }
    if (output.json) {
        output.Json({{"readings", good + failed},
                     {"good", good},
                     {"failed", failed},
                     {"interrupted", Interrupted()}});
    }
    return failed > 0 ? kExitNoReply : kExitOk;
}
