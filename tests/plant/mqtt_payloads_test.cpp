#include "plant/mqtt_payloads.h"

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>

#include "link/temp_word.h"
#include "plant/mqtt_settings.h"
#include "plant_fixtures.h"

using nlohmann::json;

TEST(MqttPayloads, ReadingKeepsNegativeZeroNamesAndOnlyTheValuesItHas) {
    PlantState state;
    std::vector<std::string> names(kReadingChannels);
    names[0] = "进风口";
    names[4] = "3号仓-B缆-2米";
    state.AddModule(1, 7, "3号仓", names);
    SiteReading reading = GoodReading(1, 7, {215, 0, -12, 1000, 253});
    reading.reading.words[1] = 0x8000;
    state.OnSiteReading(reading);

    const std::string text = ReadingPayload(*state.Module(7));
    EXPECT_NE(text.find("\"PT100温度2\":-0.0"), std::string::npos) << text;
    const json payload = json::parse(text);
    EXPECT_EQ(payload["status"], "ok");
    EXPECT_TRUE(payload["fault"].is_null());
    EXPECT_EQ(payload["probes"], 1);
    EXPECT_EQ(payload["values"].size(), 5u);
    EXPECT_EQ(payload["values"]["PT100温度1"].dump(), "21.5");
    EXPECT_EQ(payload["values"]["PT100温度3"], -1.2);
    EXPECT_EQ(payload["values"]["温度1"], 25.3);
    EXPECT_FALSE(payload["values"].contains("温度2"));
    EXPECT_EQ(payload["names"]["温度1"], "3号仓-B缆-2米");
    EXPECT_EQ(payload["names"].size(), 2u);
    const std::string time = payload["time"];
    EXPECT_EQ(time.size(), 29u) << "date, time with milliseconds and the UTC offset: " << time;
    EXPECT_EQ(text, payload.dump()) << "keys in byte order, no spaces, numbers as they parse";

    // Names are the site file's: whatever they hold stays one JSON string.
    names[5] = "引号\"反斜杠\\换行\n\x01";
    state.AddModule(1, 8, "仓\"8\"", names);
    SiteReading named = GoodReading(1, 8, {215});
    named.module = "仓\"8\"";
    state.OnSiteReading(named);
    const std::string quoted = ReadingPayload(*state.Module(8));
    const json parsed = json::parse(quoted);
    EXPECT_EQ(parsed["names"]["温度2"], names[5]);
    EXPECT_EQ(parsed["module"], "仓\"8\"");
    EXPECT_EQ(quoted, parsed.dump());

    state.OnSiteReading(FailedSiteReading(1, 7));
    const json failed = json::parse(ReadingPayload(*state.Module(7)));
    EXPECT_EQ(failed["status"], "failing");
    EXPECT_EQ(failed["fault"], "读错误，要读7个字节");
    EXPECT_TRUE(failed["values"].empty());
}

TEST(MqttPayloads, EveryWordReadsAsTheWindowShowsIt) {
    for (unsigned word = 0; word <= 0xFFFF; ++word) {
        const auto w = static_cast<std::uint16_t>(word);
        ASSERT_EQ(ReadingWordText(w), FormatTempWord(w)) << "word " << word;
    }
}

TEST(MqttPayloads, AlarmsCarryNullForWhatTheyLack) {
    AlarmEvent event = Alarm(42, 1, 7, AlarmState::ActiveAcked, AlarmKind::Offline, -1);
    event.value = std::nan("");
    event.limit = std::nan("");
    event.user = "张三";
    const json payload = json::parse(AlarmEventPayload(event));
    EXPECT_EQ(payload["id"], 42);
    EXPECT_EQ(payload["kind"], "offline");
    EXPECT_EQ(payload["state"], "active_acked");
    EXPECT_TRUE(payload["channel"].is_null());
    EXPECT_TRUE(payload["value"].is_null());
    EXPECT_EQ(payload["user"], "张三");

    PlantState state;
    state.OnAlarmChange(Alarm(1, 1, 7, AlarmState::ActiveUnacked));
    state.OnAlarmChange(Alarm(2, 1, 7, AlarmState::ClearedUnacked, AlarmKind::Low, 0));
    state.AddModule(1, 7, "3号仓");
    const json list = json::parse(AlarmListPayload(*state.Module(7)));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]["label"], "温度1");
    EXPECT_EQ(list[1]["label"], "PT100温度1");
    EXPECT_EQ(list[1]["limit"], 35.0);
}

TEST(MqttPayloads, AcknowledgementsAreTakenOnlyInTheirTwoForms) {
    auto one = ParseAckRequest(R"({"id": 17, "user": "李四"})");
    ASSERT_TRUE(one);
    EXPECT_FALSE(one->all);
    EXPECT_EQ(one->id, 17u);
    EXPECT_EQ(one->user, "李四");
    auto all = ParseAckRequest(R"({"all": true})");
    ASSERT_TRUE(all);
    EXPECT_TRUE(all->all);
    EXPECT_TRUE(all->user.empty());
    for (const char* bad : {"", "17", "{\"id\": -1}", "{\"id\": \"17\"}", "{\"all\": false}",
                            "{\"id\": 1, \"all\": true}", "{\"id\": 1, \"user\": 5}", "{}",
                            "{\"id\": 1.5}", "[1]"}) {
        EXPECT_FALSE(ParseAckRequest(bad)) << bad;
    }
}

TEST(MqttSettings, BrokerUrls) {
    BrokerAddress address;
    std::string error;
    ASSERT_TRUE(ParseBrokerUrl("mqtt://broker.plant", address, error));
    EXPECT_EQ(address.host, "broker.plant");
    EXPECT_EQ(address.port, 1883);
    EXPECT_FALSE(address.tls);
    ASSERT_TRUE(ParseBrokerUrl("mqtts://10.0.0.5:8884/", address, error));
    EXPECT_EQ(address.host, "10.0.0.5");
    EXPECT_EQ(address.port, 8884);
    EXPECT_TRUE(address.tls);
    ASSERT_TRUE(ParseBrokerUrl("mqtts://[fd00::5]", address, error));
    EXPECT_EQ(address.host, "fd00::5");
    EXPECT_EQ(address.port, 8883);
    for (const char* bad : {"tcp://host:1883", "mqtt://", "mqtt://host:0", "mqtt://host:70000",
                            "mqtt://host:x", "mqtt://:1883", "mqtt://host/path"}) {
        EXPECT_FALSE(ParseBrokerUrl(bad, address, error)) << bad;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(TopicLevel("A/B+C#"), "A_B_C_");
}
