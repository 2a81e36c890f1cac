// k7r2's temperatures, exit statuses, usage errors, scan and port links, end to end.
#include <fstream>
#include <sstream>

#include "link/commands.h"
#include "link/temp_word.h"
#include "tests/cli/cli_fixture.h"

namespace {

TEST_F(CliTest, ReadShowsTheWindowsTextsAndJsonNumbers) {
    SimulatedModule& sim = Start();
    sim.SetProbeCount(2);
    sim.SetTemperatures({235, -235, 0, 32767}, {218, -1});
    sim.FreezeTemperatures(true);

    const ProcessResult text = Run({"read"});
    ASSERT_EQ(text.exitStatus, 0) << text.err;
    EXPECT_EQ(text.out,
              "PT100温度1\t23.5\nPT100温度2\t-23.5\nPT100温度3\t0.0\nPT100温度4\t3276.7\n"
              "温度1\t21.8\n温度2\t-0.1\n");
    const ProcessResult json = Run({"--json", "read"});
    ASSERT_EQ(json.exitStatus, 0) << json.err;
    EXPECT_EQ(json.out, "{\"pt100\":[23.5,-23.5,0.0,3276.7],\"probes\":[21.8,-0.1]}\n");
    // One block request each, byte for byte.
    const Bytes request = {0x14, 0x3F, 0x00, 0x01, 0x0B, 0x00, 0x00, 0xFF, 0xB4};
    EXPECT_EQ(sim.Requests(), (std::vector<Bytes>{request, request}));

    const ProcessResult traced = Run({"--trace", "read"});
    EXPECT_EQ(Lines(traced.err).at(0), "写 14 3f 00 01 0b 00 00 ff b4 ");
    EXPECT_EQ(Lines(traced.err).at(1).rfind("读 14 3f 00 01 0b 00 0c ", 0), 0u);
}

TEST_F(CliTest, FailuresEndWithTheirExitStatus) {
    SimulatedModule& sim = Start();
    const ProcessResult missing = RunK7r2Process({"--port", "9", "read"});
    EXPECT_EQ(missing.exitStatus, 3);
    EXPECT_NE(missing.err.find("打开串口错误! 串口不存在"), std::string::npos) << missing.err;

    sim.InjectFault(Fault{FaultKind::Silence, 1});
    const ProcessResult silent = Run({"pt100", "temps"});
    EXPECT_EQ(silent.exitStatus, 4);
    EXPECT_NE(silent.err.find("读数据错误! 无应答"), std::string::npos) << silent.err;

    sim.InjectFault(Fault{FaultKind::BadChecksum, 1});
    const ProcessResult corrupted = Run({"pt100", "params", "1"});
    EXPECT_EQ(corrupted.exitStatus, 4);
    EXPECT_NE(corrupted.err.find("返回数据错误! 校验错误"), std::string::npos) << corrupted.err;

    const ProcessResult refused = Run({"signal-count", "65"});  // beyond the module's channels
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_EQ(refused.err, "设置的信号数为20失败!\n");
    const ProcessResult set = Run({"--json", "signal-count", "8"});
    EXPECT_EQ(set.exitStatus, 0) << set.err;
    EXPECT_EQ(set.out, "{\"requested\":8,\"reported\":8,\"ok\":true}\n");
}

TEST_F(CliTest, UsageErrorsNameTheArgumentAndSendNothing) {
    SimulatedModule& sim = Start();
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"frob"}, "用法错误"},
        {{"--baud", "4800", "read"}, "--baud"},
        {{"--address", "256", "read"}, "0到255"},
        {{"--port", "0", "read"}, "--port"},
        {{"watch", "--period", "599"}, "600"},
        {{"sn", "read", "65"}, "0到64"},
        {{"sn", "dump", "--from", "9", "--to", "3"}, "--from"},
        {{"register", "channel", "256"}, "CH"},
        {{"register", "sn", "3", "29-FF-4A-00-01-02-03-C9"}, "SN号输入格式错误!"},
        {{"register", "sn", "3", "28-FF-4A"}, "SN号输入格式错误!"},
        {{"signal-count", "-1"}, "N"},
        {{"pt100", "params", "5"}, "1到4"},
        {{"pt100", "calibrate", "r3", "1"}, "TYPE"},
        {{"pt100", "offset", "1", "5.01"}, "设定值超出范围"},
        {{"pt100", "offset", "1", "abc"}, "CELSIUS"},
        {{"scan", "--addresses", "9-3"}, "--addresses"},
        {{"scan", "--bauds", "9600,4800"}, "--bauds"},
        {{"--device", "/dev/null", "read"}, "--device"},  // beside --port
    };
    for (const auto& [args, named] : cases) {
        const ProcessResult result = Run(args);
        EXPECT_EQ(result.exitStatus, 2) << args[0] << ' ' << result.err;
        EXPECT_NE(result.err.find(named), std::string::npos) << result.err;
    }
    EXPECT_EQ(sim.FramesHandled(), 0);
}

TEST_F(CliTest, WatchWritesTheReadingsCsvAndStopsCleanlyOnCtrlC) {
    SimulatedModule& sim = Start();
    sim.SetProbeCount(2);
    const std::string path = portDir_.path() + "/readings.csv";
    const ProcessResult counted = Run({"watch", "--count", "3", "--period", "600", "--csv", path});
    ASSERT_EQ(counted.exitStatus, 0) << counted.err;
    std::ifstream in(path, std::ios::binary);
    const std::string csv((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(csv.rfind("\xEF\xBB\xBF时间,状态,PT100温度1,", 0), 0u);
    const std::vector<std::string> records = Lines(csv, "\r\n");
    ASSERT_EQ(records.size(), 4u);
    for (std::size_t i = 1; i < records.size(); ++i) {
        EXPECT_EQ(std::count(records[i].begin(), records[i].end(), ','), 69) << records[i];
        EXPECT_NE(records[i].find(",成功,"), std::string::npos);
    }
    EXPECT_EQ(sim.RequestsSeen(CMD_READ_TEMPERATURES), 3);
    EXPECT_NE(counted.err.find("共3次, 成功次数:3, 失败次数:0"), std::string::npos);

    // To stdout until Ctrl-C: interrupted while it waits out the period after two records.
    const ProcessResult stopped = RunK7r2Process(
        {"--port", "2", "--address", "1", "watch", "--period", "5000"}, std::chrono::seconds(30),
        [](const std::string& out) { return Lines(out, "\r\n").size() >= 2; });
    EXPECT_EQ(stopped.exitStatus, 0) << stopped.err;
    EXPECT_EQ(Lines(stopped.out, "\r\n").size(), 2u);  // header and one whole record
    EXPECT_EQ(stopped.out.substr(stopped.out.size() - 2), "\r\n");
    EXPECT_NE(stopped.err.find("采集结束(已中断): 共1次"), std::string::npos) << stopped.err;
}

TEST_F(CliTest, ScanFindsTheModulesAddressAmongOthers) {
    SimulatedModule& sim = Start(5);
    const ProcessResult result = RunK7r2Process(
        {"--port", "2", "--json", "scan", "--addresses", "2-9", "--bauds", "9600", "--timeout", "50"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "{\"modules\":[{\"address\":5,\"baud\":9600}],\"interrupted\":false}\n");
    EXPECT_EQ(sim.FramesForOtherAddresses(), 7);

    const ProcessResult none = RunK7r2Process(
        {"--port", "2", "scan", "--addresses", "6-7", "--bauds", "9600", "--timeout", "20"});
    EXPECT_EQ(none.exitStatus, 4);
    EXPECT_NE(none.err.find("没有找到应答的模块"), std::string::npos);
}

TEST_F(CliTest, DeviceAndPortLinks) {
    SimulatedModule& sim = Start();
    const ProcessResult direct = RunK7r2Process({"--device", sim.SlavePath(), "--address", "1", "pt100", "temps"});
    EXPECT_EQ(direct.exitStatus, 0) << direct.err;
    EXPECT_EQ(Lines(direct.out).size(), 4u);

    const ProcessResult linked = RunK7r2Process({"ports", "link", "5", sim.SlavePath()});
    ASSERT_EQ(linked.exitStatus, 0) << linked.err;
    const ProcessResult viaLink = RunK7r2Process({"--port", "5", "--address", "1", "pt100", "temps"});
    EXPECT_EQ(viaLink.exitStatus, 0) << viaLink.err;
    const ProcessResult listed = RunK7r2Process({"--json", "ports"});
    EXPECT_NE(listed.out.find("{\"port\":5,"), std::string::npos) << listed.out;
    EXPECT_EQ(RunK7r2Process({"ports", "unlink", "5"}).exitStatus, 0);
    EXPECT_EQ(RunK7r2Process({"ports", "unlink", "5"}).exitStatus, 2);
}

}  // namespace
