// k7r2's probe operations against the simulated module: registrations, the SN table dump and
// its round trip through a registration file.
#include <fstream>

#include "link/commands.h"
#include "link/sn_text.h"
#include "tests/cli/cli_fixture.h"

namespace {

TEST_F(CliTest, RegistrationsSendTheirFramesAndReportTheModulesAnswer) {
    SimulatedModule& sim = Start();
    const ProcessResult manual = Run({"register", "sn", "7", "28ff4a00010203c9"});
    EXPECT_EQ(manual.exitStatus, 0) << manual.err;
    EXPECT_EQ(manual.out, "注册成功!\n");
    EXPECT_EQ(sim.Requests().back(), BuildRequest(1, CMD_REGISTER_SN,
                                                  Bytes{7, 0x28, 0xFF, 0x4A, 0, 1, 2, 3, 0xC9}.data(), 9));
    EXPECT_EQ(sim.SnEntry(7), (ProbeSn{0x28, 0xFF, 0x4A, 0, 1, 2, 3, 0xC9}));

    sim.ForceRegisterResults({REGISTER_CHANNEL_TOO_LARGE});
    const ProcessResult tooLarge = Run({"register", "sn", "7", "28-FF-4A-00-01-02-03-C9"});
    EXPECT_EQ(tooLarge.exitStatus, 1);
    EXPECT_EQ(tooLarge.err, "通道过大!\n");

    sim.SetSocketProbe(ProbeSn{0x28, 0x01, 0, 0, 0, 0, 0, 0x05});
    const ProcessResult channel = Run({"register", "channel", "3"});
    EXPECT_EQ(channel.exitStatus, 0) << channel.err;
    EXPECT_EQ(channel.out, "注册成功!\nSN号为:28-1-0-0-0-0-0-5\n");
    sim.SetSocketProbe(std::nullopt);
    const ProcessResult empty = Run({"register", "channel", "4"});
    EXPECT_EQ(empty.exitStatus, 1);
    EXPECT_EQ(empty.err, "注册错误!SN号无效!\n");
    EXPECT_EQ(Run({"register", "channel", "0"}).err, "注册错误!通道号无效!\n");

    sim.SetBusProbes({ProbeSn{0x28, 1, 2, 3, 4, 5, 6, 7}, ProbeSn{0x28, 7, 6, 5, 4, 3, 2, 1}});
    const ProcessResult search = Run({"--json", "register", "search"});
    EXPECT_EQ(search.exitStatus, 0) << search.err;
    EXPECT_EQ(search.out, "{\"found\":2}\n");

    const ProcessResult read = Run({"sn", "read", "7"});
    EXPECT_EQ(read.out, "07:28-FF-4A-00-01-02-03-C9\n");
    EXPECT_EQ(Run({"sn", "read", "60"}).exitStatus, 1);  // an erased entry is not registerable
}

TEST_F(CliTest, SnDumpRoundTripsThroughRegisterFile) {
    SimulatedModule& source = Start(1, kCliPort, 1);
    SimulatedModule& target = Start(1, 3, 99);
    const std::string path = portDir_.path() + "/table.txt";

    const ProcessResult dump = Run({"sn", "dump", "--from", "1", "--to", "22"});
    EXPECT_EQ(dump.exitStatus, 0);  // entries 21 and 22 are empty slots, skipped silently
    EXPECT_EQ(dump.err, "");
    const std::vector<std::string> lines = Lines(dump.out, "\r\n");
    ASSERT_EQ(lines.size(), 20u);
    EXPECT_EQ(lines[4], SnLine(5, source.SnEntry(5)));
    std::ofstream(path, std::ios::binary) << dump.out;

    const ProcessResult dry = RunK7r2Process({"--port", "3", "--address", "1", "register", "file", path, "--dry-run"});
    EXPECT_EQ(dry.exitStatus, 0) << dry.err;
    EXPECT_EQ(target.FramesHandled(), 0);

    const ProcessResult registered = RunK7r2Process({"--port", "3", "--address", "1", "register", "file", path});
    EXPECT_EQ(registered.exitStatus, 0) << registered.err;
    EXPECT_EQ(Lines(registered.out).back(), "第20行: 探头20注册成功!");
    for (int entry = 1; entry <= 20; ++entry) EXPECT_EQ(target.SnEntry(entry), source.SnEntry(entry));

    // The first bad line stops the run; the dry run reports every bad line.
    std::ofstream(path, std::ios::binary) << lines[0] << "\r\n7:28-FF\r\n" << lines[1] << "\r\n"
                                          << "09:28-ff-4A-00-01-02-03-C9\r\n";
    const int before = target.FramesHandled();
    const ProcessResult stopped = RunK7r2Process({"--port", "3", "--address", "1", "register", "file", path});
    EXPECT_EQ(stopped.exitStatus, 2);
    EXPECT_EQ(stopped.err, "第2行格式错误,该行无注册,程序退出!\n");
    EXPECT_EQ(target.FramesHandled(), before + 1);
    const ProcessResult checked = RunK7r2Process({"--port", "3", "register", "file", path, "--dry-run"});
    EXPECT_EQ(checked.exitStatus, 2);
    EXPECT_EQ(checked.err, "第2行格式错误\n第4行SN号格式错误\n");
}

}  // namespace
