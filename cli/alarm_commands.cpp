#include "cli/alarm_commands.h"

#include <charconv>

#include "alarms/iso_time.h"

namespace {

CLI::Validator AlarmId() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            std::uint64_t id = 0;
            const auto [at, ec] = std::from_chars(text.data(), text.data() + text.size(), id);
            if (!text.empty() && ec == std::errc() && at == text.data() + text.size() && id > 0) {
                return {};
            }
            return "报警编号须为正整数, 不是 '" + text + "'";
        },
        "报警编号", "AlarmId");
}

CLI::Validator IsoTime() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            if (ParseIsoTime(text)) return {};
            return "时间须如 2026-12-07、2026-12-07T08:00 或 2026-12-07T08:00:00+08:00, 不是 '" +
                   text + "'";
        },
        "时间", "IsoTime");
}

}  // namespace

void AddAlarmCommands(CLI::App& app, Invocation& inv) {
    CLI::App* alarms = app.add_subcommand("alarms", "站点报警: 列出与确认 (读写站点文件旁的报警日志)");
    alarms->require_subcommand(1);

    CLI::App* list = alarms->add_subcommand(
        "list", "列出报警: 默认为仍在报警或尚未确认的; --since 列出该时间以来发生的全部报警");
    list->add_option("SITE", inv.alarms.site, "站点文件")->required();
    list->add_flag("--active", inv.alarms.active, "只列出仍在报警的");
    list->add_option("--since", inv.alarms.since, "列出该时间以来发生的报警, 如 2026-12-07T08:00")
        ->check(IsoTime());
    list->callback([&inv] {
        inv.command = CliCommand::Alarms;
        inv.alarms.ack = false;
    });

    CLI::App* ack = alarms->add_subcommand("ack", "确认报警, 以当前操作系统用户记入报警日志");
    ack->add_option("SITE", inv.alarms.site, "站点文件")->required();
    CLI::Option* all = ack->add_flag("--all", inv.alarms.all, "确认全部未确认的报警");
    ack->add_option("ID", inv.alarms.ids, "报警编号")->check(AlarmId())->excludes(all);
    ack->callback([&inv] {
        if (!inv.alarms.all && inv.alarms.ids.empty()) {
            throw CLI::ValidationError("ack", "须给出报警编号或 --all");
        }
        inv.command = CliCommand::Alarms;
        inv.alarms.ack = true;
    });
}
