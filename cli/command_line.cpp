#include "cli/command_line.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cstdio>

#include "cli/exit_status.h"
#include "link/commands.h"
#include "link/temp_word.h"

namespace {

constexpr int kAllowedBauds[] = {1200, 9600, 19200, 38400};

std::optional<long long> Integer(const std::string& text) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [at, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || at != end) return std::nullopt;
    return value;
}

std::string RangeText(long long low, long long high) {
    char text[96];
    std::snprintf(text, sizeof text, "须为%lld到%lld的整数", low, high);
    return text;
}

CLI::Validator IntegerIn(long long low, long long high) {
    return CLI::Validator(
        [low, high](std::string& text) -> std::string {
            const auto value = Integer(text);
            if (value && *value >= low && *value <= high) return {};
            return RangeText(low, high) + ", 不是 '" + text + "'";
        },
        RangeText(low, high), "IntegerIn");
}

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
            const auto value = Integer(text);
            if (value && IsAllowedBaud(*value)) return {};
            return std::string(kBaudText) + ", 不是 '" + text + "'";
        },
        kBaudText, "Baud");
}

// "A-B" or "A", 0..255 each, A <= B.
bool ParseAddressRange(const std::string& text, int& first, int& last) {
    const std::size_t dash = text.find('-');
    const auto a = Integer(text.substr(0, dash));
    const auto b = dash == std::string::npos ? a : Integer(text.substr(dash + 1));
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
        const auto baud = Integer(text.substr(start, comma - start));
        if (!baud || !IsAllowedBaud(*baud)) return false;
        bauds.push_back(static_cast<int>(*baud));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return !bauds.empty();
}

std::optional<double> Decimal(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [at, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || at != end) return std::nullopt;
    return value;
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
        const auto celsius = Decimal(texts.celsius);
        if (!celsius) return "CELSIUS 须为 -5.0 到 5.0 的数, 不是 '" + texts.celsius + "'";
        const auto offset = OffsetByteFromCelsius(*celsius);
        if (!offset) return "设定值超出范围: CELSIUS 须在 -5.0 到 5.0 之间, 不是 " + texts.celsius;
        inv.offsetCelsius = *celsius;
        inv.offsetByte = *offset;
    }
    if (inv.command == CliCommand::SnDump && inv.from > inv.to) {
        return "--from 不能大于 --to";
    }
    if (inv.command == CliCommand::Scan) {
        if (!texts.addresses.empty() &&
            !ParseAddressRange(texts.addresses, inv.firstAddress, inv.lastAddress)) {
            return "--addresses 须为 A-B (0 到 255, A 不大于 B) 或单个地址, 不是 '" +
                   texts.addresses + "'";
        }
        if (!texts.bauds.empty() && !ParseBaudList(texts.bauds, inv.bauds)) {
            return "--bauds 须为以逗号分隔的波特率, 每个" + std::string(kBaudText) + ", 不是 '" +
                   texts.bauds + "'";
        }
    }
    if (app.get_option("--device")->count() > 0 && app.get_option("--port")->count() > 0) {
        return "--port 与 --device 只能给一个";
    }
    return {};
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    ParsedCommandLine result;
    Invocation inv;
    Texts texts;

    CLI::App app("QEV-K7R2 温度循检仪命令行工具", "k7r2");
    app.fallthrough();
    app.require_subcommand(1);
    app.add_option("--port", inv.port, "COM 端口号 (默认 1)")->check(IntegerIn(1, 255));
    app.add_option("--device", inv.device, "串口设备路径, 代替 --port");
    app.add_option("--baud", inv.baud, "波特率: 1200, 9600, 19200 或 38400 (默认 9600)")
        ->check(Baud());
    app.add_option("--address", inv.address, "模块地址 0-255 (默认 0)")->check(IntegerIn(0, 255));
    app.add_flag("--json", inv.json, "输出 JSON");
    app.add_flag("--trace", inv.trace, "把每一帧写到标准错误");

    const auto command = [&](CLI::App* parent, const char* name, const char* description,
                             CliCommand which) {
        CLI::App* sub = parent->add_subcommand(name, description);
        // A parent's callback runs after its subcommand's: the deepest command named counts.
        sub->callback([&inv, which, sub] {
            if (sub->get_subcommands().empty()) inv.command = which;
        });
        return sub;
    };

    command(&app, "read", "读一次温度", CliCommand::Read);

    CLI::App* watch = command(&app, "watch", "连续采集, 输出温度记录 CSV", CliCommand::Watch);
    watch->add_option("--period", inv.periodMs, "采集周期 ms (默认 1000, 至少 600)")
        ->check(IntegerIn(600, 86400000));
    watch->add_option("--count", inv.count, "采集次数 (默认不限, Ctrl-C 停止)")
        ->check(IntegerIn(1, 1000000000000LL));
    watch->add_option("--csv", inv.csvPath, "写入该文件而非标准输出");

    CLI::App* sn = app.add_subcommand("sn", "读取存储的 SN");
    sn->require_subcommand(1);
    command(sn, "read", "读取一个 SN 行", CliCommand::SnRead)
        ->add_option("INDEX", inv.index, "索引 0-64")
        ->required()
        ->check(IntegerIn(0, 64));
    CLI::App* dump = command(sn, "dump", "以注册文件格式导出 SN 表", CliCommand::SnDump);
    dump->add_option("--from", inv.from, "起始索引 (默认 1)")->check(IntegerIn(0, 64));
    dump->add_option("--to", inv.to, "结束索引 (默认 64)")->check(IntegerIn(0, 64));

    CLI::App* reg = app.add_subcommand("register", "探头注册");
    reg->require_subcommand(1);
    command(reg, "channel", "半自动注册", CliCommand::RegisterChannel)
        ->add_option("CH", inv.channel, "通道号 0-255")
        ->required()
        ->check(IntegerIn(0, 255));
    CLI::App* regSn = command(reg, "sn", "手动注册", CliCommand::RegisterSn);
    regSn->add_option("CH", inv.channel, "通道号 0-255")->required()->check(IntegerIn(0, 255));
    regSn->add_option("SN", texts.snText, "SN, 如 28-FF-4A-00-01-02-03-C9")->required();
    command(reg, "search", "全自动注册", CliCommand::RegisterSearch);
    CLI::App* regFile = command(reg, "file", "文件注册", CliCommand::RegisterFile);
    regFile->add_option("FILE", inv.file, "注册文件")->required();
    regFile->add_flag("--dry-run", inv.dryRun, "只检查每一行, 不发送");

    command(&app, "signal-count", "设置信号数", CliCommand::SignalCount)
        ->add_option("N", inv.signalCount, "信号数 0-255")
        ->required()
        ->check(IntegerIn(0, 255));

    CLI::App* pt100 = app.add_subcommand("pt100", "PT100 参数与校正");
    pt100->require_subcommand(1);
    command(pt100, "params", "读取参数", CliCommand::Pt100Params)
        ->add_option("CH", inv.channel, "通道 1-4")
        ->required()
        ->check(IntegerIn(1, 4));
    CLI::App* calibrate = command(pt100, "calibrate", "校正", CliCommand::Pt100Calibrate);
    calibrate->add_option("TYPE", texts.calibration, "zero, r1 或 r2")
        ->required()
        ->check(CLI::IsMember({"zero", "r1", "r2"}));
    calibrate->add_option("CH", inv.channel, "通道 1-4")->required()->check(IntegerIn(1, 4));
    CLI::App* offset = command(pt100, "offset", "设置温度偏移量", CliCommand::Pt100Offset);
    offset->add_option("CH", inv.channel, "通道 1-4")->required()->check(IntegerIn(1, 4));
    offset->add_option("CELSIUS", texts.celsius, "偏移量 -5.0 到 5.0 ℃")->required();
    command(pt100, "temps", "读取四路 PT100 温度", CliCommand::Pt100Temps);

    CLI::App* scan = command(&app, "scan", "按地址和波特率寻找模块", CliCommand::Scan);
    scan->add_option("--addresses", texts.addresses, "地址范围 A-B (默认 0-255)");
    scan->add_option("--bauds", texts.bauds, "波特率列表 (默认 1200,9600,19200,38400)");
    scan->add_option("--timeout", inv.timeoutMs, "每次请求发出后的等待 ms (默认 300)")
        ->check(IntegerIn(1, 10000));

    CLI::App* ports = command(&app, "ports", "列出串口设备和端口链接", CliCommand::Ports);
    CLI::App* link = command(ports, "link", "创建或替换端口链接 COMN", CliCommand::PortsLink);
    link->add_option("N", inv.linkNumber, "端口号 1-255")->required()->check(IntegerIn(1, 255));
    link->add_option("DEVICE", inv.linkDevice, "串口设备")->required();
    command(ports, "unlink", "删除端口链接 COMN", CliCommand::PortsUnlink)
        ->add_option("N", inv.linkNumber, "端口号 1-255")
        ->required()
        ->check(IntegerIn(1, 255));

    AddSiteCommands(&app, inv);

    std::vector<std::string> reversed(args.size() > 1 ? args.rbegin() : args.rend(), args.rend());
    if (!reversed.empty()) reversed.pop_back();  // the program name
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        // The help of the command that was asked about.
        const CLI::App* asked = &app;
        while (!asked->get_subcommands().empty()) asked = asked->get_subcommands().front();
        result.out = asked->help();
        result.exitStatus = kExitOk;
        return result;
    } catch (const CLI::ParseError& error) {
        result.err = std::string("用法错误: ") + error.what() + "\n运行 k7r2 --help 查看用法";
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
