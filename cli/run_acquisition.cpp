// read and watch: the temperature block once, or continuously as readings-CSV records.
#include <cstdio>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/interrupt.h"
#include "cli/module_session.h"
#include "cli/terminal.h"
#include "link/fopen_utf8.h"
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

namespace {

bool FileExists(const std::string& path) {
    std::FILE* file = FopenUtf8(path, "rb");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

// What watch does with an existing --csv file; refuses before anything is opened.
int ChooseCsvMode(const Invocation& inv, const CliOutput& output, RecordFileMode& mode) {
    mode = inv.append ? RecordFileMode::Append : inv.force ? RecordFileMode::Replace
                                                           : RecordFileMode::New;
    if (mode == RecordFileMode::New && FileExists(inv.csvPath)) {
        return output.Fail(kExitOutput, "文件已存在: " + inv.csvPath +
                                            " (续写用 --append, 替换用 --force)");
    }
    std::string error;
    if (mode == RecordFileMode::Append && !ReadingsCsvFile::CanContinue(inv.csvPath, error)) {
        return output.Fail(kExitOutput, "无法续写文件 " + inv.csvPath + ": " + error);
    }
    return kExitOk;
}

// Where the records go: the --csv file, stdout, or nowhere (--json without --csv).
class RecordSink {
public:
    RecordSink(const Invocation& inv, const CliOutput& output)
        : path_(inv.csvPath), toStdout_(inv.csvPath.empty() && !output.json) {}

    // Opens the file, or writes the header to stdout; false with the reason in `error`.
    bool Start(RecordFileMode mode, std::string& error) {
        if (!path_.empty()) return file_.Open(path_, mode, error);
        if (!toStdout_) return true;
        // The byte-order mark makes "k7r2 watch > x.csv" a proper readings CSV; a terminal
        // would only show it as noise.
        const std::string bom = StdoutIsTerminal() ? "" : kCsvByteOrderMark;
        return WriteStdoutRecord(bom + CsvHeaderRecord(), error);
    }
    // One whole record, or nothing of it.
    bool Write(const Reading& reading, std::string& error) {
        if (file_.IsOpen()) {
            if (file_.Append(reading)) return true;
            error = file_.LastError();
            return false;
        }
        return !toStdout_ || WriteStdoutRecord(CsvRecord(reading), error);
    }
    void Close() { file_.Close(); }
    std::string Name() const { return path_.empty() ? std::string("标准输出") : path_; }

private:
    std::string path_;
    bool toStdout_;
    ReadingsCsvFile file_;
};

}  // namespace

int RunWatch(const Invocation& invocation, const CliOutput& output) {
    RecordFileMode mode = RecordFileMode::New;
    if (!invocation.csvPath.empty()) {
        if (const int status = ChooseCsvMode(invocation, output, mode); status != kExitOk) {
            return status;
        }
    }
    // Nothing is written before the port has opened: a mistyped port number costs no file.
    ModuleSession session(invocation, output);
    if (const int status = session.Open(TimeoutProfile::Polling); status != kExitOk) return status;
    RecordSink sink(invocation, output);
    if (std::string error; !sink.Start(mode, error)) {
        session.Close();
        return output.Fail(kExitOutput, "无法写入 " + sink.Name() + ": " + error);
    }
    InstallInterruptHandler();

    long long good = 0;
    long long failed = 0;
    long long failedInRow = 0;
    bool tooManyFailures = false;
    std::string writeError;
    while (!Interrupted()) {
        // After a loss the port is looked for again before every reading, like the window does.
        const Reading reading =
            session.Reopen(TimeoutProfile::Polling)
                ? session.ReadBlock()
                : FailedReading(BlockFault::PortNotOpen, std::chrono::system_clock::now());
        if (!sink.Write(reading, writeError)) break;  // counted only once it is written
        (reading.Ok() ? good : failed) += 1;
        failedInRow = reading.Ok() ? 0 : failedInRow + 1;
        if (invocation.maxFailures > 0 && failedInRow >= invocation.maxFailures) {
            tooManyFailures = true;
            break;
        }
        if (invocation.count > 0 && good + failed >= invocation.count) break;
        if (WaitForInterrupt(static_cast<std::uint32_t>(invocation.periodMs))) break;
    }
    session.Close();
    sink.Close();

    char summary[200];
    std::snprintf(summary, sizeof summary, "采集结束%s: 共%lld次, 成功次数:%lld, 失败次数:%lld",
                  Interrupted() ? "(已中断)" : tooManyFailures ? "(连续失败次数已达上限)" : "",
                  good + failed, good, failed);
    output.Message(summary);
    nlohmann::ordered_json object = {{"readings", good + failed},
                                     {"good", good},
                                     {"failed", failed},
                                     {"interrupted", Interrupted()},
                                     {"maxFailuresReached", tooManyFailures}};
    int status = kExitOk;
    std::string problem;
    if (!writeError.empty()) {
        status = kExitOutput;
        problem = "写入 " + sink.Name() + " 失败: " + writeError;
    } else if (tooManyFailures) {
        status = kExitNoReply;
        problem = "连续失败" + std::to_string(failedInRow) + "次, 采集结束";
    } else if (good == 0 && failed > 0) {
        status = kExitNoReply;
        problem = "模块一次也没有应答";
    }
    if (status == kExitOk) {
        if (output.json) output.Json(object);
        return kExitOk;
    }
    output.Message(problem);
    if (output.json) {
        object["error"] = problem;
        object["exitStatus"] = status;
        output.Json(object);
    }
    return status;
}
