// watch as a script meets it: files it must not destroy, outputs that fill up, an adapter
// pulled out and plugged in again, signals, and registration files as editors write them.
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <nlohmann/json.hpp>

#include "link/commands.h"
#include "tests/cli/cli_fixture.h"

namespace {

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

ProcessSetup StdoutTo(const std::string& path) {
    ProcessSetup setup;
    setup.stdoutPath = path;
    return setup;
}

class WatchTest : public CliTest {
protected:
    std::string Path(const std::string& name) const { return portDir_.path() + "/" + name; }

    // A readings CSV that ends in whole records only: every line 70 fields, CR LF after each.
    static testing::AssertionResult IsWholeCsv(const std::string& csv, std::size_t records) {
        if (csv.rfind("\xEF\xBB\xBF时间,状态,", 0) != 0) return testing::AssertionFailure() << "header";
        if (csv.size() < 2 || csv.substr(csv.size() - 2) != "\r\n") {
            return testing::AssertionFailure() << "torn last record: " << csv.substr(csv.size() - 40);
        }
        const std::vector<std::string> lines = Lines(csv, "\r\n");
        for (const std::string& line : lines) {
            if (std::count(line.begin(), line.end(), ',') != 69) {
                return testing::AssertionFailure() << "not 70 fields: " << line;
            }
        }
        if (lines.size() != records + 1) {
            return testing::AssertionFailure() << lines.size() - 1 << " records, wanted " << records;
        }
        return testing::AssertionSuccess();
    }

    // As with a real adapter: its line hangs up and its link is left dangling.
    void Unplug() {
        const std::string link = Path("COM2");
        ASSERT_EQ(symlink("/dev/k7r2-test-adapter-unplugged", (link + ".away").c_str()), 0);
        ASSERT_EQ(std::rename((link + ".away").c_str(), link.c_str()), 0);
        modules_.back()->Stop();
    }
};

TEST_F(WatchTest, AnExistingCsvIsKeptUnlessAppendOrForceSaysOtherwise) {
    SimulatedModule& sim = Start();
    const std::string path = Path("run.csv");
    ASSERT_EQ(Run({"watch", "--count", "1", "--period", "600", "--csv", path}).exitStatus, 0);
    const std::string yesterday = FileText(path);
    ASSERT_TRUE(IsWholeCsv(yesterday, 1));
    const int frames = sim.FramesHandled();

    const ProcessResult kept = Run({"watch", "--count", "1", "--csv", path});
    EXPECT_EQ(kept.exitStatus, 5);
    EXPECT_NE(kept.err.find("文件已存在: " + path + " (续写用 --append, 替换用 --force)"),
              std::string::npos) << kept.err;
    // A mistyped port number costs nothing either, with --force or without a file at all.
    const ProcessResult typo = RunK7r2Process({"--port", "9", "watch", "--csv", path, "--force"});
    EXPECT_EQ(typo.exitStatus, 3);
    EXPECT_EQ(RunK7r2Process({"--port", "9", "watch", "--csv", Path("new.csv")}).exitStatus, 3);
    EXPECT_FALSE(std::filesystem::exists(Path("new.csv")));
    EXPECT_EQ(FileText(path), yesterday);
    EXPECT_EQ(sim.FramesHandled(), frames);

    const ProcessResult appended =
        Run({"watch", "--count", "2", "--period", "600", "--csv", path, "--append"});
    EXPECT_EQ(appended.exitStatus, 0) << appended.err;
    EXPECT_EQ(FileText(path).rfind(yesterday, 0), 0u);
    EXPECT_TRUE(IsWholeCsv(FileText(path), 3));

    const ProcessResult replaced = Run({"watch", "--count", "1", "--csv", path, "--force"});
    EXPECT_EQ(replaced.exitStatus, 0) << replaced.err;
    EXPECT_TRUE(IsWholeCsv(FileText(path), 1));

    // Continuing is only for a readings CSV that ends in a whole record.
    std::ofstream(Path("other.csv"), std::ios::binary) << "a,b\r\n1,2\r\n";
    const ProcessResult foreign = Run({"watch", "--csv", Path("other.csv"), "--append"});
    EXPECT_EQ(foreign.exitStatus, 5);
    EXPECT_NE(foreign.err.find("表头不同"), std::string::npos) << foreign.err;
    std::ofstream(Path("torn.csv"), std::ios::binary) << yesterday.substr(0, yesterday.size() - 9);
    EXPECT_EQ(Run({"watch", "--csv", Path("torn.csv"), "--append"}).exitStatus, 5);
    EXPECT_EQ(FileText(Path("other.csv")), "a,b\r\n1,2\r\n");
}

TEST_F(WatchTest, AFullOutputEndsTheRunWithStatus5AndNoTornRecord) {
    Start();
    const ProcessResult read = RunK7r2Process({"--port", "2", "--address", "1", "read"},
                                              StdoutTo("/dev/full"));
    EXPECT_EQ(read.exitStatus, 5);
    EXPECT_EQ(read.err, "写标准输出失败: 磁盘空间不足 (ENOSPC)\n");
    const ProcessResult json = RunK7r2Process({"--port", "2", "--address", "1", "--json", "read"},
                                              StdoutTo("/dev/full"));
    EXPECT_EQ(json.exitStatus, 5);
    const ProcessResult watch = RunK7r2Process(
        {"--port", "2", "--address", "1", "watch", "--period", "600"}, StdoutTo("/dev/full"));
    EXPECT_EQ(watch.exitStatus, 5);
    EXPECT_NE(watch.err.find("无法写入 标准输出: 磁盘空间不足 (ENOSPC)"), std::string::npos)
        << watch.err;
    // Messages are output too: with stderr full, the status is all that is left to say it.
    ProcessSetup noMessages;
    noMessages.stderrPath = "/dev/full";
    EXPECT_EQ(RunK7r2Process({"--port", "9", "read"}, noMessages).exitStatus, 5);
    EXPECT_EQ(RunK7r2Process({"--port", "2", "--address", "1", "watch", "--count", "1"}, noMessages)
                  .exitStatus,
              5);

    // Room for the header and two and a half records: the third is taken back, the summary
    // counts two, whether the records go to --csv or to stdout.
    const std::size_t header = FileText([&] {
        EXPECT_EQ(Run({"watch", "--count", "1", "--csv", Path("probe.csv")}).exitStatus, 0);
        return Path("probe.csv");
    }()).size();
    const long long room = static_cast<long long>(header) * 5 / 2;
    for (const bool toStdout : {false, true}) {
        const std::string path = Path(toStdout ? "stdout.csv" : "limited.csv");
        ProcessSetup setup;
        setup.fileSizeLimit = room;
        std::vector<std::string> args = {"--port", "2", "--address", "1", "watch", "--period", "600"};
        if (toStdout) {
            setup.stdoutPath = path;
        } else {
            args.insert(args.end(), {"--csv", path});
        }
        const ProcessResult full = RunK7r2Process(args, setup);
        EXPECT_EQ(full.exitStatus, 5) << full.err;
        EXPECT_NE(full.err.find("失败: 文件过大 (EFBIG)"), std::string::npos) << full.err;
        const std::string csv = FileText(path);
        const std::size_t records = Lines(csv, "\r\n").size() - 1;
        EXPECT_TRUE(IsWholeCsv(csv, records));
        EXPECT_GE(records, 1u);
        EXPECT_NE(full.err.find("共" + std::to_string(records) + "次"), std::string::npos)
            << full.err;
    }
}

TEST_F(WatchTest, ASmallFileSystemThatFillsUpKeepsTheCsvWhole) {
    Start();
    const std::string mountPoint = Path("small");
    std::filesystem::create_directory(mountPoint);
    if (mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=8k") != 0) {
        GTEST_SKIP() << "no tmpfs mount here (needs root)";
    }
    // One page left after the filler: room for a header and a few records.
    std::ofstream(mountPoint + "/filler", std::ios::binary) << std::string(4096, 'x');
    const std::string path = mountPoint + "/run.csv";
    const ProcessResult full =
        Run({"watch", "--period", "600", "--count", "40", "--csv", path}, 1);
    const std::string csv = FileText(path);
    umount2(mountPoint.c_str(), MNT_DETACH);
    EXPECT_EQ(full.exitStatus, 5) << full.err;
    EXPECT_NE(full.err.find("磁盘空间不足 (ENOSPC)"), std::string::npos) << full.err;
    const std::size_t records = Lines(csv, "\r\n").size() - 1;
    EXPECT_TRUE(IsWholeCsv(csv, records));
    EXPECT_NE(full.err.find("共" + std::to_string(records) + "次"), std::string::npos) << full.err;
}

TEST_F(WatchTest, ReadingsResumeByThemselvesAfterTheAdapterIsPluggedInAgain) {
    Start();
    bool unplugged = false;
    bool replugged = false;
    const ProcessResult run = RunK7r2Process(
        {"--port", "2", "--address", "1", "watch", "--period", "600"}, std::chrono::seconds(60),
        [&](const std::string& out) {
            if (!unplugged && Count(out, ",成功,") >= 2) {
                Unplug();
                unplugged = true;
            } else if (unplugged && !replugged && Count(out, ",打开串口失败,") >= 2) {
                Start();  // another pseudo-terminal behind the same COM2
                replugged = true;
            }
            const std::size_t back = out.rfind(",打开串口失败,");
            return replugged && back != std::string::npos && out.find(",成功,", back) != std::string::npos;
        });
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    const std::vector<std::string> records = Lines(run.out, "\r\n");
    // The reading that met the hang-up (if it came before the next period) and the periods
    // without a port are failures; everything else succeeded.
    const int away = Count(run.out, ",打开串口失败,");
    const int good = Count(run.out, ",成功,");
    EXPECT_GE(away, 2);
    EXPECT_GE(good, 3);
    EXPECT_LE(static_cast<int>(records.size()) - 1 - away - good, 1);
    EXPECT_NE(records.back().find(",成功,"), std::string::npos);
    EXPECT_NE(run.err.find("采集结束(已中断): 共" + std::to_string(records.size() - 1) + "次"),
              std::string::npos) << run.err;
}

// A PC with a built-in UART: while COM2's link is gone, /dev/ttyS1 is there to be opened by the
// fallback name. The run keeps to the link it opened, and the UART never sees a byte.
TEST_F(WatchTest, ALinkThatVanishesNeverSendsTheRunToTheBuiltInUart) {
    const int uart = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(uart, 0);
    ASSERT_EQ(grantpt(uart), 0);
    ASSERT_EQ(unlockpt(uart), 0);
    const std::string devRoot = Path("dev");
    ASSERT_EQ(mkdir(devRoot.c_str(), 0700), 0);
    ASSERT_EQ(symlink(ptsname(uart), (devRoot + "/ttyS1").c_str()), 0);
    setenv("K7R2_DEV_ROOT", devRoot.c_str(), 1);
    Start();
    bool removed = false;
    bool back = false;
    const ProcessResult run = RunK7r2Process(
        {"--port", "2", "--address", "1", "watch", "--period", "600"}, std::chrono::seconds(60),
        [&](const std::string& out) {
            if (!removed && Count(out, ",成功,") >= 1) {
                EXPECT_EQ(unlink(Path("COM2").c_str()), 0);
                modules_.back()->Stop();
                removed = true;
            } else if (removed && !back && Count(out, ",打开串口失败,") >= 3) {
                Start();
                back = true;
            }
            const std::size_t away = out.rfind(",打开串口失败,");
            return back && away != std::string::npos && out.find(",成功,", away) != std::string::npos;
        });
    unsetenv("K7R2_DEV_ROOT");
    char chunk[256];
    std::size_t uartBytes = 0;
    for (ssize_t n; (n = read(uart, chunk, sizeof chunk)) > 0;) uartBytes += static_cast<std::size_t>(n);
    close(uart);
    EXPECT_EQ(uartBytes, 0u) << "a request went to the built-in UART";
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_NE(Lines(run.out, "\r\n").back().find(",成功,"), std::string::npos);
}

TEST_F(WatchTest, FailuresAreRecordsAndOnlyMaxFailuresOrSilenceMakeStatus4) {
    SimulatedModule& sim = Start();
    sim.InjectFault(Fault{FaultKind::BadChecksum, 1});
    const ProcessResult mixed = Run({"watch", "--count", "3", "--period", "600"});
    EXPECT_EQ(mixed.exitStatus, 0) << mixed.err;
    EXPECT_EQ(Count(mixed.out, ",校验错误,"), 1);

    sim.InjectFault(Fault{FaultKind::Silence, kEveryReply});
    const ProcessResult limited =
        Run({"--json", "watch", "--period", "600", "--max-failures", "2", "--csv", Path("m.csv")});
    EXPECT_EQ(limited.exitStatus, 4);
    const auto summary = nlohmann::json::parse(limited.out);
    EXPECT_EQ(summary["failed"], 2);
    EXPECT_EQ(summary["maxFailuresReached"], true);
    EXPECT_EQ(summary["exitStatus"], 4);
    const ProcessResult never = Run({"watch", "--period", "600", "--count", "2"});
    EXPECT_EQ(never.exitStatus, 4);
    EXPECT_NE(never.err.find("模块一次也没有应答"), std::string::npos);
}

TEST_F(WatchTest, HangUpAndTerminateEndItLikeCtrlC) {
    Start();
    for (const int signal : {SIGTERM, SIGHUP}) {
        ProcessSetup setup;
        setup.stopSignal = signal;
        const ProcessResult stopped = RunK7r2Process(
            {"--port", "2", "--address", "1", "watch", "--period", "5000"}, setup,
            std::chrono::seconds(30), [](const std::string& out) { return Lines(out, "\r\n").size() >= 2; });
        EXPECT_EQ(stopped.exitStatus, 0) << stopped.err;
        EXPECT_EQ(Lines(stopped.out, "\r\n").size(), 2u);
        EXPECT_NE(stopped.err.find("采集结束(已中断): 共1次"), std::string::npos) << stopped.err;
    }
}

TEST_F(WatchTest, RegistrationFilesAsEditorsWriteThemAndNonFiles) {
    SimulatedModule& sim = Start();
    const std::string line = "07:28-FF-4A-00-01-02-03-C9\r\n";
    std::ofstream(Path("notepad.txt"), std::ios::binary) << "\xEF\xBB\xBF" << line << line;
    const ProcessResult bom = Run({"register", "file", Path("notepad.txt")});
    EXPECT_EQ(bom.exitStatus, 0) << bom.err;
    EXPECT_EQ(bom.out, "第1行: 探头1注册成功!\n第2行: 探头2注册成功!\n");
    const int frames = sim.FramesHandled();

    std::ofstream(Path("empty.txt"), std::ios::binary) << "";
    std::ofstream(Path("only-bom.txt"), std::ios::binary) << "\xEF\xBB\xBF";
    std::filesystem::create_directory(Path("folder.txt"));
    const std::vector<std::pair<std::string, std::string>> unreadable = {
        {"empty.txt", "文件是空的"},
        {"only-bom.txt", "文件是空的"},
        {"folder.txt", "是一个目录 (EISDIR)"},
        {"missing.txt", "文件或目录不存在 (ENOENT)"},
    };
    for (const auto& [name, reason] : unreadable) {
        for (const char* dry : {"", "--dry-run"}) {
            std::vector<std::string> args = {"register", "file", Path(name)};
            if (*dry != '\0') args.push_back(dry);
            const ProcessResult result = Run(args);
            EXPECT_EQ(result.exitStatus, 5) << name;
            EXPECT_EQ(result.err, "无法读取注册文件 " + Path(name) + ": " + reason + "\n");
        }
    }
    EXPECT_EQ(sim.FramesHandled(), frames);
}

}  // namespace
