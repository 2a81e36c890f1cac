#include "plant/mqtt_publisher.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <thread>

#include "mosquitto_broker.h"
#include "plant_fixtures.h"

using nlohmann::json;

namespace {

class RecordingAcknowledger : public AlarmAcknowledger {
public:
    bool Acknowledge(std::uint64_t id, const std::string& user) override {
        std::lock_guard lock(mutex);
        calls.push_back(std::to_string(id) + " " + user);
        return true;
    }
    int AcknowledgeAll(const std::string& user) override {
        std::lock_guard lock(mutex);
        calls.push_back("all " + user);
        return 1;
    }
    std::vector<std::string> Calls() {
        std::lock_guard lock(mutex);
        return calls;
    }
    std::mutex mutex;
    std::vector<std::string> calls;
};

// Feeds the state first and the publisher after it, as the service wires them.
struct Plant {
    explicit Plant(const std::string& url, AlarmAcknowledger* acknowledger = nullptr)
        : publisher(Settings(url), "一号粮库", state, acknowledger) {}
    static MqttSettings Settings(const std::string& url) {
        MqttSettings settings;
        settings.url = url;
        settings.clientId = "k7r2-test-" + std::to_string(getpid());
        return settings;
    }
    void Feed(const SiteReading& reading) {
        state.OnSiteReading(reading);
        publisher.OnSiteReading(reading);
    }
    void Feed(const AlarmEvent& event) {
        state.OnAlarmChange(event);
        publisher.OnAlarmChange(event);
    }
    PlantState state;
    MqttPublisher publisher;
};

const std::string kBase = "k7r2/一号粮库";

}  // namespace

TEST(MqttPublisher, PublishesStatusReadingsAndAlarmsWithTheirRetainFlags) {
    MosquittoBroker broker;
    ASSERT_TRUE(broker.Start());
    TestSubscriber live(broker.Port(), kBase + "/#");
    ASSERT_TRUE(live.WaitSubscribed());

    Plant plant(broker.Url());
    plant.state.AddModule(1, 7, "3号仓");
    std::string error;
    ASSERT_TRUE(plant.publisher.Start(error)) << error;
    ASSERT_TRUE(live.WaitFor(kBase + "/status", [](auto& m) { return m.payload == "online"; }));
    ASSERT_TRUE(WaitUntil([&] { return plant.publisher.Connected(); }));

    plant.Feed(GoodReading(1, 7, {215, -12, 0, 0, 253}));
    ASSERT_TRUE(live.WaitFor(kBase + "/7/reading", [](auto& m) {
        return json::parse(m.payload)["values"].size() == 5;
    }));
    plant.Feed(Alarm(5, 1, 7, AlarmState::ActiveUnacked));
    ASSERT_TRUE(live.WaitFor(kBase + "/alarm"));
    ASSERT_TRUE(live.WaitFor(kBase + "/7/alarms", [](auto& m) { return m.payload != "[]"; }));
    EXPECT_FALSE(live.On(kBase + "/alarm")[0].retain);
    EXPECT_EQ(json::parse(live.On(kBase + "/alarm")[0].payload)["id"], 5);

    // What a dashboard that connects now is given at once: the retained state.
    TestSubscriber late(broker.Port(), kBase + "/#");
    ASSERT_TRUE(late.WaitFor(kBase + "/7/alarms"));
    ASSERT_TRUE(late.WaitFor(kBase + "/7/reading"));
    ASSERT_TRUE(late.WaitFor(kBase + "/status"));
    for (const auto& message : late.Messages()) EXPECT_TRUE(message.retain) << message.topic;
    EXPECT_EQ(json::parse(late.On(kBase + "/7/reading").back().payload)["values"]["温度1"], 25.3);
    EXPECT_TRUE(late.On(kBase + "/alarm").empty()) << "alarm changes are not retained";

    plant.publisher.Stop();
    EXPECT_TRUE(live.WaitFor(kBase + "/status", [](auto& m) { return m.payload == "offline"; }));
}

TEST(MqttPublisher, HandsAcknowledgementsFromTheBrokerToTheAcknowledger) {
    MosquittoBroker broker;
    ASSERT_TRUE(broker.Start());
    RecordingAcknowledger acknowledger;
    Plant plant(broker.Url(), &acknowledger);
    std::string error;
    ASSERT_TRUE(plant.publisher.Start(error)) << error;
    TestSubscriber operatorPanel(broker.Port(), kBase + "/status");
    ASSERT_TRUE(operatorPanel.WaitFor(kBase + "/status"));
    // The publisher subscribes as it connects; its "online" follows.
    ASSERT_TRUE(WaitUntil([&] { return plant.publisher.Connected(); }));

    const std::string ack = kBase + "/alarm/ack";
    operatorPanel.Publish(ack, R"({"id": 12, "user": "张三"})");
    operatorPanel.Publish(ack, "not json");
    operatorPanel.Publish(ack, R"({"id": "12"})");
    operatorPanel.Publish(ack, R"({"all": true})");
    ASSERT_TRUE(WaitUntil([&] { return acknowledger.Calls().size() >= 2; }));
    EXPECT_EQ(acknowledger.Calls(), (std::vector<std::string>{"12 张三", "all MQTT"}));
}

TEST(MqttPublisher, TheBrokerSaysOfflineWhenThePublisherIsKilled) {
    MosquittoBroker broker;
    ASSERT_TRUE(broker.Start());
    const pid_t child = fork();
    if (child == 0) {
        PlantState state;
        MqttPublisher publisher(Plant::Settings(broker.Url()), "一号粮库", state, nullptr);
        std::string error;
        if (!publisher.Start(error)) _exit(1);
        for (;;) pause();
    }
    TestSubscriber watcher(broker.Port(), kBase + "/status");
    ASSERT_TRUE(watcher.WaitFor(kBase + "/status", [](auto& m) { return m.payload == "online"; }));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_TRUE(watcher.WaitFor(kBase + "/status", [](auto& m) { return m.payload == "offline"; }));
    TestSubscriber late(broker.Port(), kBase + "/status");
    EXPECT_TRUE(late.WaitFor(kBase + "/status",
                             [](auto& m) { return m.payload == "offline" && m.retain; }));
}

TEST(MqttPublisher, ABrokerRestartLosesNoAlarmChangeAndRepublishesTheState) {
    MosquittoBroker broker;
    ASSERT_TRUE(broker.Start());
    // A persistent session: the broker keeps what arrives for it while it reconnects.
    auto subscriber = std::make_unique<TestSubscriber>(broker.Port(), kBase + "/#",
                                                       "k7r2-test-historian", false);
    ASSERT_TRUE(subscriber->WaitSubscribed());
    Plant plant(broker.Url());
    std::string error;
    ASSERT_TRUE(plant.publisher.Start(error)) << error;
    ASSERT_TRUE(WaitUntil([&] { return plant.publisher.Connected(); }));

    std::uint64_t id = 1;
    for (; id <= 5; ++id) plant.Feed(Alarm(id, 1, 7, AlarmState::ActiveUnacked));
    ASSERT_TRUE(WaitUntil([&] { return plant.publisher.Backlog() == 0; }));
    broker.Stop();
    ASSERT_TRUE(WaitUntil([&] { return !plant.publisher.Connected(); }));
    for (; id <= 30; ++id) {
        plant.Feed(Alarm(id, 1, 7, AlarmState::ActiveUnacked));
        plant.Feed(GoodReading(1, 7, {static_cast<int>(id)}));
    }
    EXPECT_EQ(plant.publisher.Backlog(), 25u);
    ASSERT_TRUE(broker.Start());

    const std::string last = "\"id\":30";
    ASSERT_TRUE(subscriber->WaitFor(kBase + "/alarm", [&](auto& m) {
        return m.payload.find(last) != std::string::npos;
    }));
    // Every change once at least, first seen in order.
    std::vector<std::uint64_t> firstSeen;
    for (const auto& message : subscriber->On(kBase + "/alarm")) {
        const std::uint64_t seen = json::parse(message.payload)["id"];
        if (std::find(firstSeen.begin(), firstSeen.end(), seen) == firstSeen.end()) {
            firstSeen.push_back(seen);
        }
    }
    std::string seenText;
    for (auto seen : firstSeen) seenText += std::to_string(seen) + " ";
    ASSERT_EQ(firstSeen.size(), 30u) << seenText;
    for (std::size_t i = 0; i < firstSeen.size(); ++i) EXPECT_EQ(firstSeen[i], i + 1);
    EXPECT_TRUE(subscriber->WaitFor(kBase + "/7/reading", [](auto& m) {
        return json::parse(m.payload)["values"]["PT100温度1"] == 3.0;
    })) << "the latest reading, published again on reconnection";
    EXPECT_TRUE(WaitUntil([&] { return plant.publisher.Backlog() == 0; }));
}

namespace {

// A CA, a certificate for 127.0.0.1 signed by it, and a password file for user "plant".
std::string TlsWithPassword(const std::filesystem::path& folder) {
    const std::string f = folder.string();
    const std::string script =
        "cd " + f + " && "
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 "
        "-subj /CN=k7r2-test-ca -keyout ca.key -out ca.crt && "
        "openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes "
        "-subj /CN=127.0.0.1 -keyout server.key -out server.csr && "
        "printf 'subjectAltName=IP:127.0.0.1\\n' > san && "
        "openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 2 "
        "-extfile san -out server.crt && "
        "mosquitto_passwd -b -c passwd plant 'geheim 密码' && chmod 644 *";
    if (std::system((script + " >/dev/null 2>&1").c_str()) != 0) return "allow_anonymous true\n";
    return "cafile " + f + "/ca.crt\ncertfile " + f + "/server.crt\nkeyfile " + f +
           "/server.key\nallow_anonymous false\npassword_file " + f + "/passwd\n";
}

}  // namespace

TEST(MqttPublisher, ConnectsOverTlsWithTheCaAndThePasswordFileAndOnlySo) {
    std::filesystem::path folder;
    MosquittoBroker broker([&](const std::filesystem::path& at) {
        folder = at;
        return TlsWithPassword(at);
    });
    ASSERT_TRUE(std::filesystem::exists(folder / "server.crt")) << "openssl or mosquitto_passwd failed";
    ASSERT_TRUE(broker.Start());
    std::ofstream(folder / "password") << "geheim 密码\n";

    const auto settings = [&](const std::string& passwordFile) {
        MqttSettings mqtt;
        mqtt.url = "mqtts://127.0.0.1:" + std::to_string(broker.Port());
        mqtt.caFile = (folder / "ca.crt").string();
        mqtt.user = "plant";
        mqtt.passwordFile = (folder / passwordFile).string();
        return mqtt;
    };
    PlantState state;
    std::string error;
    MqttPublisher good(settings("password"), "一号粮库", state, nullptr);
    ASSERT_TRUE(good.Start(error)) << error;
    EXPECT_TRUE(WaitUntil([&] { return good.Connected(); }));

    std::ofstream(folder / "wrong") << "geheim\n";
    MqttPublisher refused(settings("wrong"), "一号粮库", state, nullptr);
    ASSERT_TRUE(refused.Start(error)) << error;
    EXPECT_FALSE(WaitUntil([&] { return refused.Connected(); }, std::chrono::milliseconds(1500)));

    MqttPublisher unreadable(settings("no-such-file"), "一号粮库", state, nullptr);
    EXPECT_FALSE(unreadable.Start(error));
    EXPECT_NE(error.find("密码文件"), std::string::npos) << error;
}

TEST(MqttPublisher, KeepsABoundedBacklogWhileNoBrokerIsThere) {
    Plant plant("mqtt://127.0.0.1:" + std::to_string(FreeLocalPort()));
    std::string error;
    ASSERT_TRUE(plant.publisher.Start(error)) << error;
    const std::size_t beyond = MqttPublisher::kMaxBacklog + 5;
    for (std::uint64_t id = 1; id <= beyond; ++id) {
        plant.Feed(Alarm(id, 1, 7, AlarmState::Normal));
        plant.Feed(GoodReading(1, 7, {200}));  // readings are not queued at all
    }
    EXPECT_EQ(plant.publisher.Backlog(), MqttPublisher::kMaxBacklog);
    EXPECT_EQ(plant.publisher.Dropped(), 5u);
    EXPECT_FALSE(plant.publisher.Connected());
}

TEST(MqttPublisher, TwoBusesPublishingAtOnceLoseNothingAndKeepEachTopicsOrder) {
    MosquittoBroker broker;
    ASSERT_TRUE(broker.Start());
    TestSubscriber live(broker.Port(), kBase + "/#");
    ASSERT_TRUE(live.WaitSubscribed());
    Plant plant(broker.Url());
    plant.state.AddModule(1, 7, "3号仓");
    plant.state.AddModule(2, 8, "4号仓");
    std::string error;
    ASSERT_TRUE(plant.publisher.Start(error)) << error;
    ASSERT_TRUE(live.WaitFor(kBase + "/8/alarms"));  // the last of the state on connection

    // Bus 1 raises an alarm change now and then, so that its readings queue behind the changes
    // while bus 2's readings go out directly.
    constexpr int kReadings = 300;
    const auto runBus = [&](int bus, int address) {
        for (int i = 1; i <= kReadings; ++i) {
            plant.Feed(GoodReading(bus, address, {i}));
            if (bus == 1 && i % 25 == 0) {
                plant.Feed(Alarm(static_cast<std::uint64_t>(i), 1, address,
                                 AlarmState::ActiveUnacked));
            }
        }
    };
    std::thread first(runBus, 1, 7);
    std::thread second(runBus, 2, 8);
    first.join();
    second.join();

    for (const int address : {7, 8}) {
        const std::string topic = kBase + "/" + std::to_string(address) + "/reading";
        ASSERT_TRUE(live.WaitFor(topic, [](auto& m) {
            return json::parse(m.payload)["values"]["PT100温度1"] == kReadings / 10.0;
        })) << topic;
        double last = 0;
        for (const auto& message : live.On(topic)) {
            const json values = json::parse(message.payload)["values"];
            if (!values.contains("PT100温度1")) continue;  // the state on connection
            const double value = values["PT100温度1"];
            EXPECT_GT(value, last) << topic;
            last = value;
        }
    }
    ASSERT_TRUE(live.WaitFor(kBase + "/alarm", [](auto& m) {
        return json::parse(m.payload)["id"] == kReadings;
    }));
    std::uint64_t lastId = 0;
    for (const auto& message : live.On(kBase + "/alarm")) {
        const std::uint64_t id = json::parse(message.payload)["id"];
        EXPECT_EQ(id, lastId + 25);
        lastId = id;
    }

    plant.publisher.Stop();
    ASSERT_TRUE(live.WaitFor(kBase + "/status", [](auto& m) { return m.payload == "offline"; }));
    EXPECT_EQ(live.Messages().back().payload, "offline") << "nothing after the last word";
}
