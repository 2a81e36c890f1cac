// `k7r2 serve` as systemd runs it: a process with a site file, reloaded by SIGHUP, ended by
// SIGTERM.
#include <gtest/gtest.h>
#include <modbus/modbus.h>

#include <fstream>
#include <sstream>

#include "mosquitto_broker.h"
#include "plant/modbus_registers.h"
#include "plant/plant_service.h"
#include "plant/serve_config.h"
#include "plant/mqtt_publisher.h"

namespace {

std::string SiteFile(int brokerPort, int modbusPort, const std::string& extraModule = "") {
    std::ostringstream text;
    text << "name = \"一号粮库\"\n"
         << "[mqtt]\nurl = \"mqtt://127.0.0.1:" << brokerPort << "\"\n"
         << "[modbus]\nlisten = \"127.0.0.1\"\nport = " << modbusPort << "\n"
         << "[[bus]]\nport = 3\n"
         << "  [[bus.module]]\n  address = 1\n  name = \"3号仓\"\n"
         << extraModule;
    return text.str();
}

void Write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

std::string Read(const std::string& path) {
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// The status register of `unit` on the server at `port`; -1 when it does not answer.
int ModuleStatusAt(int port, int unit) {
    modbus_t* client = modbus_new_tcp("127.0.0.1", port);
    int status = -1;
    std::uint16_t value = 0;
    if (modbus_connect(client) == 0) {
        modbus_set_slave(client, unit);
        if (modbus_read_input_registers(client, kRegisterStatus, 1, &value) == 1) status = value;
        modbus_close(client);
    }
    modbus_free(client);
    return status;
}

struct TempFolder {
    TempFolder() {
        char pattern[] = "/tmp/k7r2-serve-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~TempFolder() { std::filesystem::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    std::filesystem::path path;
};

pid_t StartServe(const std::vector<std::string>& args, const std::string& errPath) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(err, 2);
        std::vector<char*> argv{const_cast<char*>(K7R2_BINARY)};
        for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(K7R2_BINARY, argv.data());
        _exit(127);
    }
    return pid;
}

int ExitStatusOf(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(Serve, CheckValidatesTheSiteFileAndExits) {
    TempFolder folder;
    Write(folder / "good.toml", SiteFile(1883, 1502));
    Write(folder / "bad.toml", SiteFile(1883, 1502) + "[[bus]]\n  [[bus.module]]\n  address = 300\n");
    EXPECT_EQ(ExitStatusOf(StartServe({"serve", "--check", folder / "good.toml"}, folder / "err")), 0);
    EXPECT_EQ(ExitStatusOf(StartServe({"serve", "--check", folder / "bad.toml"}, folder / "err")), 5);
    EXPECT_NE(Read(folder / "err").find("address 须为0到255的整数"), std::string::npos)
        << Read(folder / "err");
    EXPECT_EQ(ExitStatusOf(StartServe({"serve", "--check", folder / "none.toml"}, folder / "err")), 5);
}

TEST(Serve, ReloadsOnSighupKeepsTheOldSettingsOnABadFileAndEndsOnSigterm) {
    TempFolder folder;
    MosquittoBroker broker;
    ASSERT_TRUE(broker.Start());
    const std::string site = folder / "site.toml";
    const int firstPort = FreeLocalPort();
    Write(site, SiteFile(broker.Port(), firstPort));
    TestSubscriber watcher(broker.Port(), "k7r2/一号粮库/#");
    ASSERT_TRUE(watcher.WaitSubscribed());

    const pid_t serve = StartServe({"serve", "--status-interval", "1", "--csv-dir", folder.path.string(), site}, folder / "err");
    // Served, failing or offline: COM3 is no module here.
    ASSERT_TRUE(WaitUntil([&] { return ModuleStatusAt(firstPort, 1) > 0; })) << Read(folder / "err");
    EXPECT_TRUE(watcher.WaitFor("k7r2/一号粮库/status", [](auto& m) { return m.payload == "online"; }));
    EXPECT_TRUE(watcher.WaitFor("k7r2/一号粮库/1/reading"));
    EXPECT_EQ(ModuleStatusAt(firstPort, 3), -1) << "not in the site file";

    const int secondPort = FreeLocalPort();
    Write(site, SiteFile(broker.Port(), secondPort, "  [[bus.module]]\n  address = 3\n"));
    kill(serve, SIGHUP);
    EXPECT_TRUE(WaitUntil([&] { return ModuleStatusAt(secondPort, 3) > 0; })) << Read(folder / "err");
    EXPECT_FALSE(Connectable(firstPort));

    Write(site, "name = \n");
    kill(serve, SIGHUP);
    EXPECT_TRUE(WaitUntil([&] { return Read(folder / "err").find("未重新加载") != std::string::npos; }));
    EXPECT_GT(ModuleStatusAt(secondPort, 3), 0);
    EXPECT_TRUE(WaitUntil([&] { return Read(folder / "err").find("Modbus 客户端") != std::string::npos; }))
        << "a status line";

    kill(serve, SIGTERM);
    EXPECT_EQ(ExitStatusOf(serve), 0);
    EXPECT_TRUE(watcher.WaitFor("k7r2/一号粮库/status", [](auto& m) { return m.payload == "offline"; }));
    EXPECT_FALSE(Connectable(secondPort));
}

TEST(ServeConfig, ReadsModulesAndChannelNamesAndRejectsWhatItCannotServe) {
    TempFolder folder;
    const std::string path = folder / "site.toml";
    Write(path, SiteFile(1883, 1502, "  [[bus.module]]\n  address = 2\n  [bus.module.channels]\n"
                                     "  \"温度64\" = \"出风口\"\n  \"PT100温度1\" = \"进风口\"\n"
                                     "[[bus]]\nport = 4\n  [[bus.module]]\n  address = 1\n"));
    ServeConfig config;
    std::string error;
    ASSERT_TRUE(LoadServeConfig(path, config, error)) << error;
    ASSERT_EQ(config.modules.size(), 3u);
    EXPECT_EQ(config.modules[1].channelNames[67], "出风口");
    EXPECT_EQ(config.modules[1].channelNames[0], "进风口");
    EXPECT_EQ(config.modules[2].bus, 2);
    EXPECT_EQ(config.warnings.size(), 1u) << "address 1 on two buses";
    EXPECT_EQ(config.mqtt->qos, 1);

    const std::pair<std::string, std::string> faults[] = {
        {"name = \"x\"\n[[bus]]\n  [[bus.module]]\n  address = 1\n  [[bus.module]]\n  address = 1\n", "重复"},
        {"name = \"x\"\n[[bus]]\n  [[bus.module]]\n  address = 1\n  [bus.module.channels]\n  \"温度65\" = \"a\"\n", "温度65"},
        {"name = \"x\"\n[mqtt]\nurl = \"http://a\"\n[[bus]]\n", "mqtt://"},
        {"name = \"x\"\n[mqtt]\nqos = 3\n[[bus]]\n", "qos"},
        {"name = \"x\"\n[modbus]\nport = \"502\"\n[[bus]]\n", "modbus.port"},
        {"name = \"x\"\n", "[[bus]]"},
        {"name = [\n", "无法读取"},
    };
    for (const auto& [text, expected] : faults) {
        Write(path, text);
        EXPECT_FALSE(LoadServeConfig(path, config, error)) << text;
        EXPECT_NE(error.find(expected), std::string::npos) << error;
    }
}

TEST(PlantService, AReloadKeepsTheReadingsOfTheModulesThatStay) {
    ServeConfig config;
    config.site = "一号粮库";
    config.modbus = ModbusSettings{"127.0.0.1", 0};
    config.modules = {{1, 1, "3号仓", {}}, {1, 2, "4号仓", {}}};
    PlantService service;
    std::string error;
    ASSERT_TRUE(service.Start(config, nullptr, error)) << error;
    SiteReading reading;
    reading.bus = 1;
    reading.address = 1;
    reading.reading.time = std::chrono::system_clock::now();
    reading.reading.words = {215, 0, 0, 0};
    service.Readings().OnSiteReading(reading);
    const int firstPort = service.ModbusPort();
    EXPECT_EQ(ModuleStatusAt(firstPort, 2), 2);

    config.modules.pop_back();
    config.modbus->port = FreeLocalPort();
    ASSERT_TRUE(service.Reload(config, nullptr, error)) << error;
    EXPECT_EQ(service.ModbusPort(), config.modbus->port);
    EXPECT_EQ(ModuleStatusAt(config.modbus->port, 1), 0) << "the reading from before the reload";
    EXPECT_EQ(ModuleStatusAt(config.modbus->port, 2), -1) << "no longer in the site file";

    // A port already taken: the server keeps running where it was.
    const int taken = config.modbus->port;
    config.modbus->port = firstPort;
    PlantState other;
    ModbusServer squatter(other);
    ASSERT_TRUE(squatter.Start("127.0.0.1", firstPort, error)) << error;
    EXPECT_FALSE(service.Reload(config, nullptr, error));
    EXPECT_EQ(ModuleStatusAt(taken, 1), 0);
}

TEST(PlantService, ABrokerSettingsReloadEndsOnlineAndABadOneChangesNothing) {
    MosquittoBroker broker;
    ASSERT_TRUE(broker.Start());
    ServeConfig config;
    config.site = "一号粮库";
    config.mqtt = MqttSettings{};
    config.mqtt->url = broker.Url();
    config.mqtt->clientId = "k7r2-reload-" + std::to_string(getpid());
    PlantService service;
    std::string error;
    ASSERT_TRUE(service.Start(config, nullptr, error)) << error;
    const std::string status = "k7r2/一号粮库/status";
    TestSubscriber watcher(broker.Port(), status);
    ASSERT_TRUE(watcher.WaitFor(status, [](auto& m) { return m.payload == "online"; }));

    ServeConfig broken = config;
    broken.mqtt->passwordFile = "/nonexistent/k7r2-password";
    broken.mqtt->user = "plant";
    EXPECT_FALSE(service.Reload(broken, nullptr, error));
    EXPECT_NE(error.find("密码文件"), std::string::npos) << error;

    config.mqtt->qos = 2;  // the same client id and topics, a new connection
    ASSERT_TRUE(service.Reload(config, nullptr, error)) << error;
    ASSERT_TRUE(WaitUntil([&] {
        const auto seen = watcher.On(status);
        return seen.size() >= 3 && seen.back().payload == "online";
    }));
    EXPECT_EQ(watcher.On(status)[1].payload, "offline") << "the old connection's clean end";
    EXPECT_NE(service.StatusLine().find("MQTT 已连接"), std::string::npos) << service.StatusLine();
    TestSubscriber late(broker.Port(), status);
    ASSERT_TRUE(late.WaitFor(status));
    EXPECT_EQ(late.On(status).back().payload, "online");
}
