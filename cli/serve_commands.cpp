#include "cli/serve_commands.h"

#include <CLI/CLI.hpp>

#include <memory>

#include "cli/argument_checks.h"
#include "cli/cli_output.h"
#include "cli/command_line.h"
#include "cli/run_serve.h"

void AddServeCommands(CLI::App& app, Invocation& inv) {
    auto options = std::make_shared<ServeOptions>();
    CLI::App* serve = app.add_subcommand("serve", "无界面运行站点: 采集、记录, 经 MQTT 与 Modbus TCP 提供");
    serve->add_option("SITE", options->siteFile, "站点文件 (TOML)")->required()->check(NonEmpty());
    serve->add_flag("--check", options->check, "只检查站点文件后退出");
    serve->add_option("--status-interval", options->statusIntervalS, "状态行间隔秒数 (默认 60)")
        ->check(IntegerIn(1, 86400));
    serve->add_option("--csv-dir", options->csvDir, "每个模块一个温度记录 CSV, 写在这个文件夹 (默认当前文件夹)")
        ->check(NonEmpty());
    serve->callback([&inv, options] {
        inv.run = [options](const CliOutput& output) { return RunServe(*options, output); };
    });
}
