// The port link through which the console finds the module, and a console that opens and
// closes the port over and over, in process and with the k7r2-sim program.
#include "sim/published_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "link/commands.h"
#include "link/port_directory.h"
#include "link/transaction.h"
#include "tests/sim/sim_fixture.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class PublishedPortTest : public SimFixture {
protected:
    std::string LinkPath() const { return PublishedPortPath(PortDirectory(), kSimPort); }

    // One command through the console's transaction on a freshly opened port.
    bool ReadSnOnce() const {
        CommPort port = OpenPort();
        if (!port.IsOpen()) return false;
        ReplyBlock block{};
        const std::uint8_t entry = 1;
        const int got = ExchangeCommandFrame(port, BuildRequest(0, CMD_READ_SN, &entry, 1),
                                             CMD_READ_SN, block, TraceSink());
        return got == 17 && IsReply(Bytes(block.begin(), block.begin() + got), 0, CMD_READ_SN, 8);
    }
};

TEST_F(PublishedPortTest, LinkLeadsToTheModuleUntilStop) {
    StartModule(FastOptions());
    EXPECT_EQ(module_->PublishedPath(), LinkPath());
    EXPECT_EQ(fs::read_symlink(LinkPath()), module_->SlavePath());
    module_->Stop();
    EXPECT_FALSE(fs::exists(fs::symlink_status(LinkPath())));
    EXPECT_TRUE(module_->PublishedPath().empty());
}

TEST_F(PublishedPortTest, RepeatedOpenAndCloseByTheConsoleKeepWorking) {
    StartModule(FastOptions());
    for (int cycle = 0; cycle < 6; ++cycle) {
        SCOPED_TRACE(cycle);
        ASSERT_TRUE(ReadSnOnce());
    }
    EXPECT_EQ(module_->RequestsSeen(CMD_READ_SN), 6);
}

TEST_F(PublishedPortTest, StaleLinkIsReplacedButALiveOneIsLeftAlone) {
    fs::create_symlink("/dev/pts/no-such-terminal", LinkPath());
    StartModule(FastOptions());
    EXPECT_TRUE(ReadSnOnce());

    SimulatedModule second(FastOptions());
    EXPECT_FALSE(second.Start());
    EXPECT_NE(second.LastError().find("COM7"), std::string::npos) << second.LastError();
    EXPECT_EQ(fs::read_symlink(LinkPath()), module_->SlavePath());
}

TEST_F(PublishedPortTest, RepliesArePacedAtTheRateTheConsoleSet) {
    SimOptions options = FastOptions();
    options.paceBytes = true;
    StartModule(options);
    CommPort port = OpenPort(1200);
    ASSERT_TRUE(port.IsOpen());
    const auto begin = std::chrono::steady_clock::now();
    Send(port, Request(0, CMD_READ_SN, {1}));
    EXPECT_EQ(Receive(port, 17).size(), 17u);
    // 17 bytes of 10 bits at 1200 bit/s cannot take less than 141 ms.
    EXPECT_GE(std::chrono::steady_clock::now() - begin, 141ms);
}

// The k7r2-sim program, run as the operator would run it.
class SimProgram {
public:
    explicit SimProgram(const std::vector<std::string>& arguments) {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        std::vector<std::string> all = {K7R2_SIM_PROGRAM};
        all.insert(all.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, K7R2_SIM_PROGRAM, &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        out_ = out[0];
    }
    ~SimProgram() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) close(out_);
    }
    SimProgram(const SimProgram&) = delete;
    SimProgram& operator=(const SimProgram&) = delete;

    // Output up to the first line containing `marker`, or all output until the deadline.
    std::string ReadUntil(const std::string& marker, std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (text_.find(marker) == std::string::npos ||
               text_.find('\n', text_.find(marker)) == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd entry{out_, POLLIN, 0};
            if (left.count() <= 0 || poll(&entry, 1, static_cast<int>(left.count())) <= 0) break;
            char chunk[256];
            const ssize_t n = read(out_, chunk, sizeof chunk);
            if (n <= 0) break;
            text_.append(chunk, static_cast<std::size_t>(n));
        }
        return text_;
    }

    // The exit status once the program has ended, or -1 if it is still running at the limit.
    int WaitForExit(std::chrono::milliseconds limit) {
        const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
        if (pidfd < 0) return -1;
        pollfd entry{pidfd, POLLIN, 0};
        const int ready = poll(&entry, 1, static_cast<int>(limit.count()));
        close(pidfd);
        int status = 0;
        if (ready != 1 || waitpid(pid_, &status, 0) != pid_) return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string text_;
};

TEST_F(PublishedPortTest, ProgramPublishesItsPortAndRemovesItOnTermination) {
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        SimProgram program({"--port", std::to_string(kSimPort), "--no-pacing", "--quiet"});
        ASSERT_GT(program.pid(), 0);
        const std::string out = program.ReadUntil("published:", 5s);
        ASSERT_NE(out.find("published: " + LinkPath()), std::string::npos) << out;
        EXPECT_TRUE(ReadSnOnce());
        EXPECT_TRUE(ReadSnOnce());

        kill(program.pid(), signal);
        EXPECT_EQ(program.WaitForExit(5s), 0);
        EXPECT_FALSE(fs::exists(fs::symlink_status(LinkPath())));
    }
}

TEST_F(PublishedPortTest, ProgramAppliesFaultsFromItsCommandLine) {
    SimProgram program({"--port", std::to_string(kSimPort), "--no-pacing", "--quiet", "--fault",
                        "bad-checksum:cmd3", "--fault", "silence:1"});
    ASSERT_NE(program.ReadUntil("published:", 5s).find(LinkPath()), std::string::npos);
    CommPort port = OpenPort();
    ASSERT_TRUE(port.IsOpen());
    Send(port, Request(0, CMD_PT100_READ_TEMPS));
    Send(port, Request(0, CMD_PT100_READ_TEMPS));
    EXPECT_TRUE(IsReply(Receive(port, 17), 0, CMD_PT100_READ_TEMPS, 8)) << "one reply, not two";
    Send(port, Request(0, CMD_READ_SN, {1}));
    const Bytes snReply = Receive(port, 17);
    ASSERT_EQ(snReply.size(), 17u);
    EXPECT_EQ(snReply[4], CMD_READ_SN);
    EXPECT_FALSE(IsReply(snReply, 0, CMD_READ_SN, 8)) << "its checksum is spoilt";
    kill(program.pid(), SIGTERM);
    EXPECT_EQ(program.WaitForExit(5s), 0);
}

TEST_F(PublishedPortTest, ProgramExplainsItsOptionsAndRefusesBadOnes) {
    SimProgram help({"--help"});
    const std::string text = help.ReadUntil("Examples", 5s);
    for (const char* option : {"--port", "--address", "--probes", "--baud", "--no-pacing", "--seed",
                               "--search-ms", "--fault", "--quiet", "hang-up"}) {
        EXPECT_NE(text.find(option), std::string::npos) << option;
    }
    EXPECT_EQ(help.WaitForExit(5s), 0);

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--probes", "65"}, {"--fault", "noise"}, {"--port"}, {"-x"}}) {
        SimProgram program(bad);
        EXPECT_EQ(program.WaitForExit(5s), 2) << bad.front();
    }
}

}  // namespace
