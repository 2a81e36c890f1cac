#include "cli/site_commands.h"

#include <CLI/CLI.hpp>

#include "cli/command_line.h"

namespace {

CLI::Validator WholeNumberIn(long long low, long long high) {
    const std::string range =
        "须为" + std::to_string(low) + "到" + std::to_string(high) + "的整数";
    return CLI::Validator(
        [low, high, range](std::string& text) -> std::string {
            try {
                std::size_t used = 0;
                const long long value = std::stoll(text, &used);
                if (used == text.size() && value >= low && value <= high) return {};
            } catch (const std::exception&) {
            }
            return range + ", 不是 '" + text + "'";
        },
        range, "WholeNumberIn");
}

}  // namespace

void AddSiteCommands(CLI::App* app, Invocation& inv) {
    CLI::App* site = app->add_subcommand("site", "站点: 一条或多条总线上的全部模块");
    site->require_subcommand(1);
    const auto action = [&inv](CLI::App* sub, SiteArguments::Action which) {
        sub->callback([&inv, which] {
            inv.command = CliCommand::Site;
            inv.site.action = which;
        });
        return sub;
    };
    CLI::App* scan = action(site->add_subcommand("scan", "扫描总线, 把应答的模块写成站点文件 (标准输出)"),
                            SiteArguments::Action::Scan);
    scan->add_option("--addresses", inv.site.addresses, "地址范围 A-B (默认 0-255)");
    scan->add_option("--bauds", inv.site.bauds, "波特率列表 (默认 --baud 的值)");
    scan->add_option("--timeout", inv.site.timeoutMs, "每个地址的应答超时 ms (默认 300)")
        ->check(WholeNumberIn(10, 10000));
    scan->add_option("--name", inv.site.name, "站点名称 (默认 新站点)");

    CLI::App* watch = action(site->add_subcommand("watch", "采集站点的每条总线"),
                             SiteArguments::Action::Watch);
    watch->add_option("FILE", inv.site.file, "站点文件")->required();
    watch->add_option("--csv-dir", inv.site.csvDir, "每个模块一个温度记录 CSV, 写在这个文件夹");
    watch->add_option("--count", inv.site.count, "每条总线的周期数 (默认不限, Ctrl-C 停止)")
        ->check(WholeNumberIn(1, 1000000000000LL));

    action(site->add_subcommand("check", "检查站点文件"), SiteArguments::Action::Check)
        ->add_option("FILE", inv.site.file, "站点文件")
        ->required();
}
