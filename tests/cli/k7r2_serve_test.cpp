// k7r2 serve against a simulated bus: the readings reach the Modbus registers, the readings CSVs
// and the alarm engine, whose journal lies beside the site file; the plant acknowledges over MQTT.
#include <modbus/modbus.h>

#include <csignal>
#include <fstream>

#include "sim/simulated_bus.h"
#include "tests/plant/mosquitto_broker.h"
#include "tests/cli/cli_fixture.h"

namespace {

// The first `count` input registers of `unit`; empty when the server does not answer.
std::vector<std::uint16_t> Registers(int port, int unit, int count) {
    std::vector<std::uint16_t> values(static_cast<std::size_t>(count));
    modbus_t* client = modbus_new_tcp("127.0.0.1", port);
    bool read = false;
    if (modbus_connect(client) == 0) {
        modbus_set_slave(client, unit);
        read = modbus_read_input_registers(client, 0, count, values.data()) == count;
        modbus_close(client);
    }
    modbus_free(client);
    if (!read) values.clear();
    return values;
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(ServeCli, RunsTheSiteIntoModbusTheCsvsAndTheJournalAndTakesThePlantsAcknowledgement) {
    TempPortDir portDir;
    auto control = std::make_shared<ValueControl>();
    std::string error;
    ASSERT_TRUE(control->Load("2 温度1 value 41.5\n", ValueControl::Now(), error)) << error;
    SimBusOptions options;
    options.port = kCliPort;
    options.paceBytes = false;
    options.probeCount = 8;
    options.addresses = {1, 2, 3};
    options.control = control;
    SimulatedBus bus(options);
    ASSERT_TRUE(bus.Start()) << bus.LastError();

    MosquittoBroker broker;
    ASSERT_TRUE(broker.Start());
    TestSubscriber plant(broker.Port(), "k7r2/试验站/#");
    ASSERT_TRUE(plant.WaitSubscribed());
    const int modbusPort = FreeLocalPort();
    const std::string site = portDir.path() + "/站点.toml";
    std::ofstream(site, std::ios::binary)
        << "name = \"试验站\"\n[alarms]\nhigh = 35.0\n[mqtt]\nurl = \"" << broker.Url()
        << "\"\n[modbus]\nlisten = \"127.0.0.1\"\nport = "
        << modbusPort
        << "\n[[bus]]\nport = 2\nperiod_ms = 100\ntimeout_ms = 50\n"
           "  [[bus.module]]\n  address = 1\n  name = \"一仓\"\n"
           "  [[bus.module]]\n  address = 2\n  name = \"二仓\"\n"
           "  [[bus.module]]\n  address = 3\n  name = \"三仓\"\n";
    const std::string journal = portDir.path() + "/站点-报警.csv";
    const std::string csvDir = portDir.path() + "/记录";

    std::vector<std::uint16_t> seen;
    ProcessSetup setup;
    setup.stopSignal = SIGTERM;
    // The status line each second wakes the check. Once the registers carry the driven value
    // and the journal has the alarm, the plant acknowledges it; SIGTERM once the journal has
    // that too.
    bool acknowledged = false;
    const ProcessResult serve = RunK7r2Process(
        {"serve", "--status-interval", "1", "--csv-dir", csvDir, site}, setup,
        std::chrono::seconds(60), [&](const std::string&) {
            if (!acknowledged) {
                seen = Registers(modbusPort, 2, 73);
                if (seen.size() == 73u && seen[4] == 415 && seen[72] >= 1 &&
                    Read(journal).find("超上限") != std::string::npos) {
                    plant.Publish("k7r2/试验站/alarm/ack", R"({"all": true, "user": "值班员"})");
                    acknowledged = true;
                }
                return false;
            }
            return Read(journal).find(",值班员") != std::string::npos;
        });
    EXPECT_EQ(serve.exitStatus, 0) << serve.err;
    ASSERT_EQ(seen.size(), 73u) << serve.err;
    EXPECT_EQ(seen[4], 415) << "温度1 of the driven module, in tenths";
    EXPECT_EQ(seen[68], 8) << "its probe count";
    EXPECT_EQ(seen[69], 0) << "answering";
    EXPECT_GE(seen[72], 1) << "its active alarm";
    EXPECT_NE(Read(journal).find(",2,二仓,温度1,温度1,超上限,41.5,35,报警未确认,"), std::string::npos)
        << Read(journal);
    for (const char* file : {"/1-一仓.csv", "/2-二仓.csv", "/3-三仓.csv"}) {
        EXPECT_NE(Read(csvDir + file).find(",成功,"), std::string::npos) << file;
    }
    EXPECT_NE(Read(journal).find(",超上限,41.5,35,报警已确认,值班员"), std::string::npos)
        << Read(journal);
    EXPECT_NE(serve.err.find("已停止"), std::string::npos) << serve.err;
}

}  // namespace
