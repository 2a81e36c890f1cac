// What a script relies on: refusals that send nothing and say why in Chinese, one JSON object
// on stdout whatever happens, every write checked, no file lost to a typo.
#include <algorithm>
#include <fstream>

#include <nlohmann/json.hpp>

#include "link/commands.h"
#include "tests/cli/cli_fixture.h"

namespace {

bool HasAsciiWords(const std::string& text) {
    // CLI11's own English texts would show as runs of letters; option names and values aside.
    for (const char* word : {"required", "expected", "argument", "Usage", "OPTIONS", "Could not",
                             "not found", "SUBCOMMAND", "Options", "Positionals", "REQUIRED"}) {
        if (text.find(word) != std::string::npos) return true;
    }
    return false;
}

struct Refusal {
    std::vector<std::string> args;
    std::string named;  // the argument, value or rule the message must name
};

TEST_F(CliTest, RefusalsNameArgumentValueAndRangeInChineseAndSendNothing) {
    SimulatedModule& sim = Start();
    const std::vector<Refusal> cases = {
        // Decimal only: a leading zero, hexadecimal, blanks and signs are refused, never octal.
        {{"signal-count", "020"}, "'020' (不接受前导零"},
        {{"--address", "010", "read"}, "--address 须为0到255的整数, 不是 '010'"},
        {{"--port", "0x2", "read"}, "--port 须为1到255的整数, 不是 '0x2'"},
        {{"--baud", "09600", "read"}, "--baud 须为1200、9600、19200或38400, 不是 '09600'"},
        {{"sn", "read", "+5"}, "INDEX 须为0到64的整数, 不是 '+5'"},
        {{"watch", "--period", " 600"}, "--period 须为600到86400000的整数"},
        {{"scan", "--addresses", "00-10"}, "--addresses"},
        // Empty values are refused, not taken for "not given".
        {{"--device", "", "read"}, "--device 不能为空"},
        {{"watch", "--csv", ""}, "--csv 不能为空"},
        {{"scan", "--addresses", ""}, "--addresses 不能为空"},
        {{"--port", "", "read"}, "--port 不能为空, 须为1到255的整数"},
        {{"register", "file", ""}, "FILE 不能为空"},
        {{"pt100", "offset", "1", ""}, "CELSIUS 不能为空"},
        // The parser's own refusals, in Chinese.
        {{}, "k7r2 须跟一个命令: read, watch,"},
        {{"frob"}, "无法识别的命令: 'frob'"},
        {{"sn"}, "k7r2 sn 须跟一个命令: read, dump"},
        {{"sn", "read"}, "k7r2 sn read 缺少参数 INDEX (索引 0-64)"},
        {{"read", "now"}, "k7r2 read 不接受参数: now"},
        {{"--port"}, "--port (COM 端口号 1-255 (默认 1)) 缺少值"},
        {{"--port", "2", "--port", "3", "read"}, "--port 只能给一次"},
        {{"-x", "read"}, "无法识别的选项: -x"},
        {{"pt100", "calibrate", "r3", "1"}, "TYPE 须为zero, r1 或 r2, 不是 'r3'"},
        {{"sn", "dump", "--from", "9", "--to", "3"}, "--from (9) 不能大于 --to (3)"},
        {{"watch", "--append", "--force", "--csv", "x.csv"}, "--append"},
        {{"watch", "--force"}, "--force 须与 --csv 同用"},
        {{"watch", "--max-failures", "0"}, "--max-failures 须为1到1000000的整数, 不是 '0'"},
    };
    for (const Refusal& refusal : cases) {
        const ProcessResult text = Run(refusal.args);
        EXPECT_EQ(text.exitStatus, 2) << refusal.named << ": " << text.err;
        EXPECT_NE(text.err.find("用法错误: "), std::string::npos) << text.err;
        EXPECT_NE(text.err.find(refusal.named), std::string::npos) << text.err;
        EXPECT_FALSE(HasAsciiWords(text.err)) << text.err;
        EXPECT_EQ(text.out, "");

        std::vector<std::string> json = refusal.args;
        json.insert(json.begin(), "--json");
        const ProcessResult object = Run(json);
        EXPECT_EQ(object.exitStatus, 2);
        const auto parsed = nlohmann::json::parse(object.out, nullptr, false);
        ASSERT_FALSE(parsed.is_discarded()) << object.out;
        EXPECT_EQ(parsed.value("exitStatus", -1), 2) << object.out;
        EXPECT_NE(parsed.value("error", "").find(refusal.named), std::string::npos) << object.out;
    }
    EXPECT_EQ(sim.FramesHandled(), 0);
}

TEST_F(CliTest, HelpAndVersionAreChineseAndComplete) {
    const ProcessResult top = RunK7r2Process({"--help"});
    EXPECT_EQ(top.exitStatus, 0);
    EXPECT_EQ(top.out.rfind("QEV-K7R2 温度循检仪命令行工具\n用法: k7r2 [选项] 命令\n", 0), 0u)
        << top.out;
    const ProcessResult sub = RunK7r2Process({"sn", "dump", "--help"});
    EXPECT_EQ(sub.exitStatus, 0);
    for (const char* part : {"用法: k7r2 sn dump [选项]", "--from 整数", "全局选项", "--port 整数",
                             "--json", "退出状态:", "  5  本地文件或输出错误", "不接受前导零"}) {
        EXPECT_NE(sub.out.find(part), std::string::npos) << part << '\n' << sub.out;
    }
    EXPECT_FALSE(HasAsciiWords(sub.out + top.out)) << sub.out;
    EXPECT_NE(RunK7r2Process({"register", "sn", "--help"}).out.find("CH 整数 (必需)"),
              std::string::npos);
    EXPECT_EQ(RunK7r2Process({"--version"}).out, "k7r2 " K7R2_TEST_VERSION "\n");
    EXPECT_EQ(RunK7r2Process({"--json", "--version"}).out, "{\"version\":\"" K7R2_TEST_VERSION "\"}\n");
}

TEST_F(CliTest, EveryJsonFailureCarriesErrorAndExitStatus) {
    SimulatedModule& sim = Start();
    const auto object = [](const ProcessResult& result) {
        EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 1) << result.out;
        return nlohmann::json::parse(result.out, nullptr, false);
    };
    const ProcessResult missing = RunK7r2Process({"--json", "--port", "9", "read"});
    EXPECT_EQ(object(missing).value("exitStatus", -1), 3);

    sim.ForceRegisterResults({REGISTER_SN_INVALID});
    const auto refused = object(Run({"--json", "register", "sn", "7", "28-FF-4A-00-01-02-03-C9"}));
    EXPECT_EQ(refused.value("exitStatus", -1), 1);
    EXPECT_EQ(refused.value("error", ""), "SN无效!");
    EXPECT_EQ(refused.value("result", -1), REGISTER_SN_INVALID);

    const auto count = object(Run({"--json", "signal-count", "65"}));
    EXPECT_EQ(count.value("exitStatus", -1), 1);
    EXPECT_EQ(count.value("error", ""), "设置的信号数为20失败!");

    const auto erased = object(Run({"--json", "sn", "read", "60"}));
    EXPECT_EQ(erased.value("exitStatus", -1), 1);
    EXPECT_EQ(erased.value("registerable", true), false);

    // A run that stops part-way still ends in one object, its lines and the stop.
    const std::string table = portDir_.path() + "/table.txt";
    std::ofstream(table, std::ios::binary) << "07:28-FF-4A-00-01-02-03-C9\r\n";
    const auto noPort = object(RunK7r2Process({"--json", "--port", "9", "register", "file", table}));
    EXPECT_EQ(noPort.value("exitStatus", -1), 3);
    EXPECT_NE(noPort.value("error", "").find("打开串口错误!"), std::string::npos);
    sim.InjectFault(Fault{FaultKind::Silence, 1});
    const auto stopped = object(Run({"--json", "register", "file", table}));
    EXPECT_EQ(stopped.value("exitStatus", -1), 4);
    EXPECT_EQ(stopped.value("error", ""), "第1行注册失败错误,该行无注册,程序退出!");

    const auto none = object(RunK7r2Process(
        {"--json", "--port", "2", "scan", "--addresses", "6-7", "--bauds", "9600", "--timeout", "20"}));
    EXPECT_EQ(none.value("exitStatus", -1), 4);
    EXPECT_EQ(none.value("error", ""), "没有找到应答的模块");
}

TEST_F(CliTest, SnDumpSkipsEmptySlotsSilentlyAndReportsOtherUnregisterableOnes) {
    SimulatedModule& sim = Start();
    sim.SetBusProbes({ProbeSn{0x28, 1, 2, 3, 4, 5, 6, 7}, ProbeSn{0x10, 7, 6, 5, 4, 3, 2, 1}});
    const ProcessResult clean = Run({"sn", "dump", "--from", "3", "--to", "64"});
    EXPECT_EQ(clean.exitStatus, 0) << clean.err;  // 21..64 are empty slots
    EXPECT_EQ(clean.err, "");
    EXPECT_EQ(Lines(clean.out, "\r\n").size(), 18u);
    const auto json = nlohmann::json::parse(Run({"--json", "sn", "dump", "--from", "20"}).out);
    EXPECT_EQ(json["entries"].size(), 1u);
    EXPECT_EQ(json["empty"], 44);
    EXPECT_FALSE(json.contains("error"));

    ASSERT_EQ(Run({"register", "search"}).exitStatus, 0);  // entry 2 now holds a 0x10 SN
    const ProcessResult foreign = Run({"sn", "dump", "--to", "30"});
    EXPECT_EQ(foreign.exitStatus, 1);
    EXPECT_EQ(Lines(foreign.err).at(0), "索引2的SN不可注册, 未写出: 10-07-06-05-04-03-02-01");
    EXPECT_EQ(Lines(foreign.out, "\r\n").size(), 19u);
    const auto object = nlohmann::json::parse(Run({"--json", "sn", "dump", "--to", "30"}).out);
    EXPECT_EQ(object["exitStatus"], 1);
    EXPECT_EQ(object["skipped"], 1);
}

}  // namespace
