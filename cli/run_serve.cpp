#include "cli/run_serve.h"

#include <algorithm>
#include <chrono>

#include "cli/cli_output.h"
#include "cli/exit_status.h"
#include "plant/plant_service.h"
#include "plant/serve_signals.h"
#include "plant/site_source.h"

namespace {

constexpr int kExitSiteFile = 5;  // a local file that cannot be used

std::string Summary(const ServeConfig& config) {
    std::string text = "站点 " + config.site + ": " + std::to_string(config.modules.size()) + " 个模块";
    text += config.mqtt ? ", MQTT " + config.mqtt->url : ", 无 MQTT";
    text += config.modbus ? ", Modbus TCP " + config.modbus->listen + ":" +
                                std::to_string(config.modbus->port)
                          : ", 无 Modbus TCP";
    return text;
}

bool Load(const std::string& path, ServeConfig& config, const CliOutput& output) {
    std::string error;
    if (!LoadServeConfig(path, config, error)) {
        output.Message(error);
        return false;
    }
    for (const std::string& warning : config.warnings) output.Message("警告: " + warning);
    return true;
}

}  // namespace

int RunServe(const ServeOptions& options, const CliOutput& output) {
    ServeConfig config;
    if (!Load(options.siteFile, config, output)) return kExitSiteFile;
    if (options.check) {
        output.out << Summary(config) << '\n';
        return kExitOk;
    }

    BlockServeSignals();  // before any thread starts
    PlantService service;
    std::unique_ptr<SiteSource> source = MakeSiteSource(options.csvDir);
    std::string error;
    if (!service.Start(config, source->Acknowledger(), error)) {
        output.Message("k7r2 serve: " + error);
        return kExitSiteFile;
    }
    if (!source->Start(options.siteFile, service.Readings(), service.Alarms(), error)) {
        output.Message("k7r2 serve: " + error);
        service.Stop();
        return kExitPortFailed;
    }
    output.Message("k7r2 serve: " + Summary(config) + ", 已启动");

    const auto interval = std::chrono::seconds(options.statusIntervalS);
    auto nextStatus = std::chrono::steady_clock::now() + interval;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            nextStatus - std::chrono::steady_clock::now());
        const ServeSignal signal = WaitForServeSignal(std::max(left, std::chrono::milliseconds(0)));
        if (signal == ServeSignal::End) break;
        if (signal == ServeSignal::Reload) {
            ServeConfig changed;
            if (!Load(options.siteFile, changed, output)) {
                output.Message("k7r2 serve: 站点文件未重新加载, 继续按原设置运行");
            } else if (!source->Reload(options.siteFile, error) ||
                       !service.Reload(changed, source->Acknowledger(), error)) {
                output.Message("k7r2 serve: 重新加载失败: " + error);
            } else {
                output.Message("k7r2 serve: 已重新加载: " + Summary(changed));
            }
            continue;
        }
        if (std::chrono::steady_clock::now() >= nextStatus) {
            output.Message("k7r2 serve: " + service.StatusLine());
            nextStatus += interval;
        }
    }
    source->Stop();
    service.Stop();
    output.Message("k7r2 serve: 已停止");
    return kExitOk;
}
