#pragma once
// Publishes the site's readings and alarms to an MQTT broker and takes acknowledgements from it
// (topics in docs/mqtt-topics.md). A reading is published from the bus's thread when nothing
// waits before it; everything else (alarm changes, the state after a connection, readings
// behind them) goes out in order from one sender thread. The library writes a message to the
// non-blocking socket at once and leaves what the socket does not take to the connection's own
// loop, so a bus thread never waits for the network. The connection reconnects by itself with a
// backoff of 1 s doubling to 30 s; on every (re)connection the current state goes out first,
// then the alarm changes that could not be sent, in order.
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "alarms/alarm_event.h"
#include "bus/site_reading.h"
#include "plant/mqtt_settings.h"
#include "plant/plant_state.h"

struct mosquitto;
struct mosquitto_message;

// Acknowledges alarms as 确认 does; the alarm engine, at the service's wiring.
class AlarmAcknowledger {
public:
    virtual ~AlarmAcknowledger() = default;
    virtual bool Acknowledge(std::uint64_t id, const std::string& user) = 0;
    virtual int AcknowledgeAll(const std::string& user) = 0;
};

class MqttPublisher : public SiteReadingObserver, public AlarmObserver {
public:
    // Alarm changes kept while the broker is away; beyond it the oldest are dropped.
    static constexpr std::size_t kMaxBacklog = 10000;
    // The user recorded for an acknowledgement that names none: MQTT does not tell a
    // subscriber which client published a message.
    static constexpr const char* kDefaultAckUser = "MQTT";

    // `state` must have seen a reading or change before this publisher does.
    MqttPublisher(MqttSettings settings, std::string site, const PlantState& state,
                  AlarmAcknowledger* acknowledger);
    ~MqttPublisher() override;
    MqttPublisher(const MqttPublisher&) = delete;
    MqttPublisher& operator=(const MqttPublisher&) = delete;

    // False, with a Chinese `error`, for settings that cannot work: the URL, the QoS, an
    // unreadable password or CA file. `password` receives the password to use.
    static bool CheckSettings(const MqttSettings& settings, std::string& error,
                              std::string* password = nullptr);
    // Checks the settings and starts connecting; false, with a Chinese `error`, for bad
    // settings (an unreachable broker is no error: it is retried).
    bool Start(std::string& error);
    // Publishes "offline", waits up to `drain` for unsent changes, disconnects.
    void Stop(std::chrono::milliseconds drain = std::chrono::seconds(2));

    void OnSiteReading(const SiteReading& reading) override;
    void OnAlarmChange(const AlarmEvent& event) override;

    bool Connected() const;
    std::size_t Backlog() const;     // alarm changes waiting or unconfirmed
    std::uint64_t Dropped() const;   // alarm changes lost to the backlog's bound
    std::string StatusTopic() const { return base_ + "/status"; }
    std::string AckTopic() const { return base_ + "/alarm/ack"; }

private:
    struct Message {
        std::uint64_t sequence = 0;
        std::string topic;
        std::string payload;
        bool retain = false;
        bool promised = false;  // an alarm change: kept until the broker confirms it
    };

    void Enqueue(Message message);  // lock held; the caller wakes the sender after
    void PublishState();  // sender thread, lock not held
    void Send(Message message);  // sender thread, lock not held
    void SenderLoop();
    void NetworkLoop();
    // One wait on a live connection for the broker's packets, a write the library could not
    // finish or a wake-up; the library's result.
    int ServeConnection(int socket);
    void WakeNetwork();
    bool NetworkStopping() const;

    static void OnConnect(mosquitto*, void* self, int rc);
    static void OnDisconnect(mosquitto*, void* self, int rc);
    static void OnPublish(mosquitto*, void* self, int mid);
    static void OnMessage(mosquitto*, void* self, const mosquitto_message* message);

    const MqttSettings settings_;
    const std::string base_;  // prefix/site
    const PlantState& state_;
    AlarmAcknowledger* const acknowledger_;
    mosquitto* client_ = nullptr;
    int qos_ = 1;

    mutable std::mutex mutex_;
    std::condition_variable wake_;     // the sender: something to send
    std::condition_variable drained_;  // Stop(): the outbox or the unconfirmed changes shrank
    bool connected_ = false;
    bool resync_ = false;  // a new connection wants the current state
    bool stopping_ = false;
    bool senderBusy_ = false;  // the sender is between two waits: readings queue behind it
    int directSends_ = 0;      // readings being published from the bus threads
    std::uint64_t nextSequence_ = 1;
    std::map<std::uint64_t, Message> outbox_;       // by sequence: sending order
    std::map<std::uint64_t, Message> unconfirmed_;  // promised, sent, not yet confirmed
    std::map<int, std::uint64_t> sequenceOfMid_;    // every sent QoS>0 message
    std::set<int> earlyConfirmations_;  // confirmed before their sender recorded them
    std::uint64_t dropped_ = 0;
    std::thread sender_;
    std::thread network_;              // the connection's loop
    std::condition_variable networkWake_;  // the loop, waiting to reconnect: Stop()
    bool networkStop_ = false;
    int wakeFd_ = -1;  // an eventfd: the loop, waiting on the connection
};
