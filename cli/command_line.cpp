#include "cli/command_line.h"

#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli/argument_checks.h"
#include "cli/alarm_commands.h"
#include "cli/exit_status.h"
#include "cli/usage_text.h"
#include "cli/serve_commands.h"
#include "link/commands.h"
#include "link/temp_word.h"

namespace {

constexpr int kAllowedBauds[] = {1200, 9600, 19200, 38400};

const char* kNotes =
    "整数一律为十进制, 不接受前导零 (010 会被拒绝, 以免被当作八进制) 和十六进制. 任何参数都不能为空.\n"
    "--json: 标准输出上只有一个 JSON 对象; 失败时含 error 和 exitStatus.\n";

bool IsAllowedBaud(long long baud) {
    for (const int allowed : kAllowedBauds) {
        if (baud == allowed) return true;
    }
    return false;
}

const char* kBaudText = "须为1200、9600、19200或38400";

CLI::Validator Baud() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            const auto value = DecimalInteger(text);
            if (!value || !IsAllowedBaud(*value)) {
                return std::string(text.empty() ? "不能为空, " : "") + kBaudText + ", 不是 '" +
                       text + "'";
            }
            return {};
        },
        "", "Baud");
}

// "A-B" or "A", 0..255 each, A <= B.
bool ParseAddressRange(const std::string& text, int& first, int& last) {
    const std::size_t dash = text.find('-');
    const auto a = DecimalInteger(text.substr(0, dash));
    const auto b = dash == std::string::npos ? a : DecimalInteger(text.substr(dash + 1));
    if (!a || !b || *a < 0 || *b > 255 || *a > *b) return false;
    first = static_cast<int>(*a);
    last = static_cast<int>(*b);
    return true;
}

bool ParseBaudList(const std::string& text, std::vector<int>& bauds) {
    bauds.clear();
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const auto baud = DecimalInteger(text.substr(start, comma - start));
        if (!baud || !IsAllowedBaud(*baud)) return false;
        bauds.push_back(static_cast<int>(*baud));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return !bauds.empty();
}

struct Texts {
    std::string snText;
    std::string calibration;
    std::string celsius;
    std::string addresses;
    std::string bauds;
};

// Checks that need more than one option's text; empty when all is well.
std::string CheckCombined(Invocation& inv, const Texts& texts, const CLI::App& app) {
    if (inv.command == CliCommand::RegisterSn) {
        const auto sn = ParseSnArgument(texts.snText);
        if (!sn) {
            return "SN号输入格式错误! SN 须为八个十六进制字节, 如 28-FF-4A-00-01-02-03-C9 或 "
                   "28FF4A00010203C9, 不是 '" + texts.snText + "'";
        }
        if ((*sn)[0] != kSnFamilyByte) return "SN号输入格式错误! SN 的第一个字节须为 28";
        inv.sn = *sn;
    }
    if (inv.command == CliCommand::Pt100Calibrate) {
        inv.calibration = texts.calibration == "zero" ? PT100_CAL_ZERO
                          : texts.calibration == "r1" ? PT100_CAL_RES1
                                                      : PT100_CAL_RES2;
    }
    if (inv.command == CliCommand::Pt100Offset) {
        const auto celsius = DecimalNumber(texts.celsius);
        if (!celsius) return "CELSIUS 须为 -5.0 到 5.0 的数, 不是 '" + texts.celsius + "'";
        const auto offset = OffsetByteFromCelsius(*celsius);
        if (!offset) return "设定值超出范围: CELSIUS 须在 -5.0 到 5.0 之间, 不是 " + texts.celsius;
        inv.offsetCelsius = *celsius;
        inv.offsetByte = *offset;
    }
    if (inv.command == CliCommand::SnDump && inv.from > inv.to) {
        return "--from (" + std::to_string(inv.from) + ") 不能大于 --to (" + std::to_string(inv.to) +
               ")";
    }
    if (inv.command == CliCommand::Watch && inv.append && inv.force) {
        return "--append (续写) 与 --force (替换) 只能给一个";
    }
    if (inv.command == CliCommand::Watch && (inv.append || inv.force) && inv.csvPath.empty()) {
        return std::string(inv.append ? "--append" : "--force") + " 须与 --csv 同用";
    }
    if (inv.command == CliCommand::Scan) {
        if (app.get_subcommand("scan")->get_option("--addresses")->count() > 0 &&
            !ParseAddressRange(texts.addresses, inv.firstAddress, inv.lastAddress)) {
            return "--addresses 须为 A-B (0 到 255, A 不大于 B) 或单个地址, 不是 '" +
                   texts.addresses + "'";
        }
        if (app.get_subcommand("scan")->get_option("--bauds")->count() > 0 &&
            !ParseBaudList(texts.bauds, inv.bauds)) {
            return "--bauds 须为以逗号分隔的波特率, 每个" + std::string(kBaudText) + ", 不是 '" +
                   texts.bauds + "'";
        }
    }
    if (app.get_option("--device")->count() > 0 && app.get_option("--port")->count() > 0) {
        return "--port 与 --device 只能给一个 (--port " + std::to_string(inv.port) + ", --device '" +
               inv.device + "')";
    }
    return {};
}

}  // namespace

CLI::App* AddCommand(CLI::App& parent, const char* name, const char* description, CliCommand which,
                     Invocation& invocation) {
    CLI::App* sub = parent.add_subcommand(name, description);
    // A parent's callback runs after its subcommand's: the deepest command named counts.
    sub->callback([&invocation, which, sub] {
        if (sub->get_subcommands().empty()) invocation.command = which;
    });
    return sub;
}

namespace {

// A group of commands without a command of its own ("sn", "register", "pt100").
CLI::App* AddGroup(CLI::App& parent, const char* name, const char* description) {
    CLI::App* group = parent.add_subcommand(name, description);
    group->require_subcommand(1);
    return group;
}

void AddGlobalOptions(CLI::App& app, Invocation& inv) {
    app.add_option("--port", inv.port, "COM 端口号 1-255 (默认 1)")->check(IntegerIn(1, 255));
    app.add_option("--device", inv.device, "串口设备路径, 代替 --port")->check(NonEmpty());
    app.add_option("--baud", inv.baud, "波特率: 1200, 9600, 19200 或 38400 (默认 9600)")
        ->check(Baud());
    app.add_option("--address", inv.address, "模块地址 0-255 (默认 0)")->check(IntegerIn(0, 255));
    app.add_flag("--json", inv.json, "标准输出上只输出一个 JSON 对象");
    app.add_flag("--trace", inv.trace, "把每一帧写到标准错误");
}

void AddAcquisitionCommands(CLI::App& app, Invocation& inv) {
    AddCommand(app, "read", "读一次温度", CliCommand::Read, inv);

    CLI::App* watch = AddCommand(app, "watch", "连续采集, 输出温度记录 CSV", CliCommand::Watch, inv);
    watch->add_option("--period", inv.periodMs, "采集周期 ms, 600-86400000 (默认 1000)")
        ->check(IntegerIn(600, 86400000));
    watch->add_option("--count", inv.count, "采集次数 1-1000000000000 (默认不限, Ctrl-C 停止)")
        ->check(IntegerIn(1, 1000000000000LL));
    watch->add_option("--csv", inv.csvPath, "写入该文件而非标准输出 (已有的文件须给 --append 或 --force)")
        ->check(NonEmpty());
    watch->add_flag("--append", inv.append, "续写已有的 --csv 文件 (先检查其表头)");
    watch->add_flag("--force", inv.force, "替换已有的 --csv 文件");
    watch->add_option("--max-failures", inv.maxFailures,
                      "连续失败这么多次后结束, 退出状态 4; 1-1000000 (默认不结束)")
        ->check(IntegerIn(1, 1000000));
}

void AddProbeCommands(CLI::App& app, Invocation& inv, Texts& texts) {
    CLI::App* sn = AddGroup(app, "sn", "读取存储的 SN");
    AddCommand(*sn, "read", "读取一个 SN 行", CliCommand::SnRead, inv)
        ->add_option("INDEX", inv.index, "索引 0-64")
        ->required()
        ->check(IntegerIn(0, 64));
    CLI::App* dump = AddCommand(*sn, "dump", "以注册文件格式导出 SN 表 (空位跳过)", CliCommand::SnDump, inv);
    dump->add_option("--from", inv.from, "起始索引 0-64 (默认 1)")->check(IntegerIn(0, 64));
    dump->add_option("--to", inv.to, "结束索引 0-64 (默认 64)")->check(IntegerIn(0, 64));

    CLI::App* reg = AddGroup(app, "register", "探头注册");
    AddCommand(*reg, "channel", "半自动注册", CliCommand::RegisterChannel, inv)
        ->add_option("CH", inv.channel, "通道号 0-255")
        ->required()
        ->check(IntegerIn(0, 255));
    CLI::App* regSn = AddCommand(*reg, "sn", "手动注册", CliCommand::RegisterSn, inv);
    regSn->add_option("CH", inv.channel, "通道号 0-255")->required()->check(IntegerIn(0, 255));
    regSn->add_option("SN", texts.snText, "SN, 如 28-FF-4A-00-01-02-03-C9")
        ->required()
        ->check(NonEmpty());
    AddCommand(*reg, "search", "全自动注册", CliCommand::RegisterSearch, inv);
    CLI::App* regFile = AddCommand(*reg, "file", "文件注册", CliCommand::RegisterFile, inv);
    regFile->add_option("FILE", inv.file, "注册文件 (GBK, 或带字节顺序标记的 UTF-8)")
        ->required()
        ->check(NonEmpty());
    regFile->add_flag("--dry-run", inv.dryRun, "只检查文件和每一行, 不打开串口, 不发送");

    AddCommand(app, "signal-count", "设置信号数", CliCommand::SignalCount, inv)
        ->add_option("N", inv.signalCount, "信号数 0-255")
        ->required()
        ->check(IntegerIn(0, 255));
}

void AddPt100Commands(CLI::App& app, Invocation& inv, Texts& texts) {
    CLI::App* pt100 = AddGroup(app, "pt100", "PT100 参数与校正");
    AddCommand(*pt100, "params", "读取参数", CliCommand::Pt100Params, inv)
        ->add_option("CH", inv.channel, "通道 1-4")
        ->required()
        ->check(IntegerIn(1, 4));
    CLI::App* calibrate = AddCommand(*pt100, "calibrate", "校正", CliCommand::Pt100Calibrate, inv);
    calibrate->add_option("TYPE", texts.calibration, "zero, r1 或 r2")
        ->required()
        ->check(OneOf({"zero", "r1", "r2"}));
    calibrate->add_option("CH", inv.channel, "通道 1-4")->required()->check(IntegerIn(1, 4));
    CLI::App* offset = AddCommand(*pt100, "offset", "设置温度偏移量", CliCommand::Pt100Offset, inv);
    offset->add_option("CH", inv.channel, "通道 1-4")->required()->check(IntegerIn(1, 4));
    offset->add_option("CELSIUS", texts.celsius, "偏移量 -5.0 到 5.0 ℃")->required()->check(NonEmpty());
    AddCommand(*pt100, "temps", "读取四路 PT100 温度", CliCommand::Pt100Temps, inv);
}

void AddPortCommands(CLI::App& app, Invocation& inv, Texts& texts) {
    CLI::App* scan = AddCommand(app, "scan", "按地址和波特率寻找模块", CliCommand::Scan, inv);
    scan->add_option("--addresses", texts.addresses, "地址范围 A-B, 0-255 (默认 0-255)")
        ->check(NonEmpty());
    scan->add_option("--bauds", texts.bauds, "波特率列表 (默认 1200,9600,19200,38400)")
        ->check(NonEmpty());
    scan->add_option("--timeout", inv.timeoutMs, "每次请求发出后的等待 ms, 1-10000 (默认 300)")
        ->check(IntegerIn(1, 10000));

    CLI::App* ports = AddCommand(app, "ports", "列出串口设备和端口链接", CliCommand::Ports, inv);
    CLI::App* link = AddCommand(*ports, "link", "创建或替换端口链接 COMN", CliCommand::PortsLink, inv);
    link->add_option("N", inv.linkNumber, "端口号 1-255")->required()->check(IntegerIn(1, 255));
    link->add_option("DEVICE", inv.linkDevice, "串口设备")->required()->check(NonEmpty());
    AddCommand(*ports, "unlink", "删除端口链接 COMN", CliCommand::PortsUnlink, inv)
        ->add_option("N", inv.linkNumber, "端口号 1-255")
        ->required()
        ->check(IntegerIn(1, 255));
}

// A subcommand's help flag is made before it inherits the option group's name.
void ChineseHelpGroups(CLI::App& app) {
    for (CLI::App* sub : app.get_subcommands({})) {
        if (CLI::Option* help = sub->get_help_ptr(); help != nullptr) help->group("选项");
        ChineseHelpGroups(*sub);
    }
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    ParsedCommandLine result;
    Invocation inv;
    Texts texts;
    for (std::size_t i = 1; i < args.size(); ++i) result.json = result.json || args[i] == "--json";

    CLI::App app("QEV-K7R2 温度循检仪命令行工具", "k7r2");
    app.formatter(ChineseHelpFormatter());
    app.option_defaults()->group("选项");
    app.set_help_flag("-h,--help", "显示帮助并退出");
    app.set_version_flag("--version", std::string("k7r2 ") + K7R2_VERSION, "显示版本并退出");
    app.group("命令");  // the heading the subcommands inherit
    app.fallthrough();
    app.require_subcommand(1);
    AddGlobalOptions(app, inv);
    AddAcquisitionCommands(app, inv);
    AddProbeCommands(app, inv, texts);
    AddPt100Commands(app, inv, texts);
    AddPortCommands(app, inv, texts);
    // Further command families register here, before the help's groups are named.
    AddAlarmCommands(app, inv);
    AddServeCommands(app, inv);
    ChineseHelpGroups(app);

    AddSiteCommands(&app, inv);

    std::vector<std::string> reversed(args.size() > 1 ? args.rbegin() : args.rend(), args.rend());
    if (!reversed.empty()) reversed.pop_back();  // the program name
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        // The help of the command that was asked about.
        result.out = HelpText(DeepestCommand(app), app, kNotes);
        result.exitStatus = kExitOk;
        return result;
    } catch (const CLI::CallForVersion& version) {
        result.out = std::string(version.what()) + "\n";
        result.exitStatus = kExitOk;
        return result;
    } catch (const CLI::ParseError& error) {
        result.err = "用法错误: " + UsageErrorText(error, app) + "\n运行 k7r2 --help 查看用法";
        result.exitStatus = kExitUsage;
        return result;
    } catch (const std::exception& error) {
        result.err = std::string("用法错误: ") + error.what();
        result.exitStatus = kExitUsage;
        return result;
    }
    if (std::string problem = CheckCombined(inv, texts, app); !problem.empty()) {
        result.err = "用法错误: " + problem;
        result.exitStatus = kExitUsage;
        return result;
    }
    result.invocation = inv;
    return result;
}
