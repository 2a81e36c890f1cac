#include "plant/mqtt_publisher.h"

#include <mosquitto.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>

#include "plant/mqtt_payloads.h"

namespace {

std::once_flag g_libraryInit;

using namespace std::chrono_literals;

// Errors after which no reconnection can help: the settings or the broker's answer to them.
bool Fatal(int rc) {
    switch (rc) {
        case MOSQ_ERR_NOMEM:
        case MOSQ_ERR_PROTOCOL:
        case MOSQ_ERR_INVAL:
        case MOSQ_ERR_NOT_FOUND:
        case MOSQ_ERR_TLS:
        case MOSQ_ERR_PAYLOAD_SIZE:
        case MOSQ_ERR_NOT_SUPPORTED:
        case MOSQ_ERR_AUTH:
        case MOSQ_ERR_ACL_DENIED:
        case MOSQ_ERR_UNKNOWN:
        case MOSQ_ERR_EAI:
        case MOSQ_ERR_PROXY:
            return true;
        default:
            return rc == MOSQ_ERR_ERRNO && errno == EPROTO;
    }
}

}  // namespace

MqttPublisher::MqttPublisher(MqttSettings settings, std::string site, const PlantState& state,
                             AlarmAcknowledger* acknowledger)
    : settings_(std::move(settings)),
      base_(TopicLevel(settings_.prefix) + "/" + TopicLevel(site)),
      state_(state),
      acknowledger_(acknowledger),
      qos_(settings_.qos) {}

MqttPublisher::~MqttPublisher() { Stop(std::chrono::milliseconds(0)); }

bool MqttPublisher::CheckSettings(const MqttSettings& settings, std::string& error,
                                  std::string* password) {
    BrokerAddress broker;
    if (!ParseBrokerUrl(settings.url, broker, error)) return false;
    if (settings.qos < 0 || settings.qos > 2) {
        error = "MQTT qos 须为 0、1 或 2, 不是 " + std::to_string(settings.qos);
        return false;
    }
    std::string secret = settings.password;
    if (secret.empty() && !settings.passwordFile.empty()) {
        std::ifstream file(settings.passwordFile);
        if (!file || !std::getline(file, secret)) {
            error = "无法读取 MQTT 密码文件 " + settings.passwordFile;
            return false;
        }
        if (!secret.empty() && secret.back() == '\r') secret.pop_back();
    }
    if (broker.tls && !settings.caFile.empty() && !std::ifstream(settings.caFile)) {
        error = "无法读取 MQTT CA 文件 " + settings.caFile;
        return false;
    }
    if (password) *password = secret;
    return true;
}

bool MqttPublisher::Start(std::string& error) {
    std::string password;
    if (!CheckSettings(settings_, error, &password)) return false;
    BrokerAddress broker;
    ParseBrokerUrl(settings_.url, broker, error);
    std::call_once(g_libraryInit, [] { mosquitto_lib_init(); });
    client_ = mosquitto_new(settings_.clientId.empty() ? nullptr : settings_.clientId.c_str(), true,
                            this);
    if (!client_) {
        error = "无法创建 MQTT 客户端";
        return false;
    }
    mosquitto_connect_callback_set(client_, OnConnect);
    mosquitto_disconnect_callback_set(client_, OnDisconnect);
    mosquitto_publish_callback_set(client_, OnPublish);
    mosquitto_message_callback_set(client_, OnMessage);
    int rc = MOSQ_ERR_SUCCESS;
    if (!settings_.user.empty()) {
        rc = mosquitto_username_pw_set(client_, settings_.user.c_str(),
                                       password.empty() ? nullptr : password.c_str());
    }
    if (rc == MOSQ_ERR_SUCCESS && broker.tls) {
        const bool ownCa = !settings_.caFile.empty();
        rc = mosquitto_tls_set(client_, ownCa ? settings_.caFile.c_str() : nullptr,
                               ownCa ? nullptr : "/etc/ssl/certs", nullptr, nullptr, nullptr);
    }
    const std::string status = StatusTopic();
    if (rc == MOSQ_ERR_SUCCESS) {
        rc = mosquitto_will_set(client_, status.c_str(), 7, "offline", 1, true);
    }
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (rc == MOSQ_ERR_SUCCESS && wakeFd_ < 0) rc = MOSQ_ERR_ERRNO;
    if (rc != MOSQ_ERR_SUCCESS) {
        if (wakeFd_ >= 0) close(wakeFd_);
        wakeFd_ = -1;
        error = std::string("MQTT 设置无效: ") + mosquitto_strerror(rc);
        mosquitto_destroy(client_);
        client_ = nullptr;
        return false;
    }
    // A broker that is not there yet is retried by the network thread.
    rc = mosquitto_connect_async(client_, broker.host.c_str(), broker.port, 30);
    if (rc != MOSQ_ERR_SUCCESS) {
        std::fprintf(stderr, "MQTT: 连接 %s 失败 (%s), 稍后重试\n", settings_.url.c_str(),
                     mosquitto_strerror(rc));
    }
    network_ = std::thread([this] { NetworkLoop(); });
    sender_ = std::thread([this] { SenderLoop(); });
    return true;
}

void MqttPublisher::WakeNetwork() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
}

bool MqttPublisher::NetworkStopping() const {
    std::lock_guard lock(mutex_);
    return networkStop_;
}

// The connection's own loop, in place of the library's thread. While connecting, the library's
// loop runs it (the TLS handshake included). Once connected, the library writes each message
// from the thread that publishes it, and this loop only waits for the broker's answers, its
// acknowledgements and the keep-alive: the library's loop would also wake for every message
// published, only to write it.
void MqttPublisher::NetworkLoop() {
    pthread_setname_np(pthread_self(), "mqtt network");
    auto backoff = 1s;
    // Until Stop(): true when it came.
    const auto pause = [this, &backoff] {
        std::unique_lock lock(mutex_);
        const bool stop = networkWake_.wait_for(lock, backoff, [this] { return networkStop_; });
        backoff = std::min<std::chrono::seconds>(backoff * 2, 30s);
        return stop;
    };
    for (;;) {
        if (NetworkStopping()) return;
        const int socket = mosquitto_socket(client_);
        if (socket < 0) {
            if (pause()) return;
            mosquitto_reconnect_async(client_);  // a failure leaves no socket: tried again
            continue;
        }
        if (!Connected()) {
            // Every failure while connecting is tried again after the backoff; the library's
            // loop closes the socket of a failed attempt, and one that fails without doing so
            // is waited out rather than spun on.
            if (mosquitto_loop(client_, 200, 1) != MOSQ_ERR_SUCCESS &&
                mosquitto_socket(client_) >= 0 && pause()) {
                return;
            }
            continue;
        }
        backoff = 1s;
        const int rc = ServeConnection(socket);
        if (rc == MOSQ_ERR_SUCCESS) continue;
        if (Fatal(rc)) {
            // What no reconnection can mend ends the connection for good, as the library's own
            // loop does.
            std::fprintf(stderr, "MQTT: 连接 %s 中断 (%s), 不再重连\n", settings_.url.c_str(),
                         mosquitto_strerror(rc));
            std::unique_lock lock(mutex_);
            networkWake_.wait(lock, [this] { return networkStop_; });
            return;
        }
        if (mosquitto_socket(client_) >= 0 && pause()) return;
    }
}

int MqttPublisher::ServeConnection(int socket) {
    const short out = mosquitto_want_write(client_) ? POLLOUT : 0;
    pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {socket, static_cast<short>(POLLIN | out), 0}};
    if (poll(fds, 2, 1000) < 0) return errno == EINTR ? MOSQ_ERR_SUCCESS : MOSQ_ERR_ERRNO;
    if (fds[0].revents != 0) {
        std::uint64_t count;
        [[maybe_unused]] const ssize_t got = read(wakeFd_, &count, sizeof count);
    }
    int rc = MOSQ_ERR_SUCCESS;
    if ((fds[1].revents & (POLLIN | POLLERR | POLLHUP)) != 0) rc = mosquitto_loop_read(client_, 1);
    if (rc == MOSQ_ERR_SUCCESS && mosquitto_socket(client_) >= 0 && mosquitto_want_write(client_)) {
        rc = mosquitto_loop_write(client_, 1);
    }
    if (rc == MOSQ_ERR_SUCCESS && mosquitto_socket(client_) >= 0) rc = mosquitto_loop_misc(client_);
    return rc;
}

void MqttPublisher::Stop(std::chrono::milliseconds drain) {
    if (!client_) return;
    {
        std::unique_lock lock(mutex_);
        drained_.wait_for(lock, drain, [this] {
            return !connected_ || (outbox_.empty() && unconfirmed_.empty() && !resync_);
        });
        stopping_ = true;
        // A reading on its way out directly finishes before the connection ends.
        drained_.wait(lock, [this] { return directSends_ == 0; });
    }
    wake_.notify_all();
    sender_.join();
    {
        std::lock_guard lock(mutex_);
        networkStop_ = true;
    }
    networkWake_.notify_all();
    WakeNetwork();
    network_.join();
    bool connected;
    {
        std::lock_guard lock(mutex_);
        connected = connected_;
    }
    if (connected) {
        // A clean disconnect sends no will: say it ourselves, before the disconnect.
        const std::string status = StatusTopic();
        mosquitto_publish(client_, nullptr, status.c_str(), 7, "offline", 1, true);
    }
    mosquitto_disconnect(client_);
    // Written from here; what the socket did not take at once goes out before the end.
    const auto flushEnd = std::chrono::steady_clock::now() + 1s;
    while (mosquitto_socket(client_) >= 0 && mosquitto_want_write(client_) &&
           std::chrono::steady_clock::now() < flushEnd) {
        pollfd socket{mosquitto_socket(client_), POLLOUT, 0};
        if (poll(&socket, 1, 100) < 0 && errno != EINTR) break;
        if (mosquitto_loop_write(client_, 1) != MOSQ_ERR_SUCCESS) break;
    }
    close(wakeFd_);
    wakeFd_ = -1;
    mosquitto_destroy(client_);
    client_ = nullptr;
}

void MqttPublisher::OnSiteReading(const SiteReading& reading) {
    if (!Connected()) return;  // the state goes out whole on the next connection
    const auto module = state_.Module(reading.bus, reading.address);
    if (!module) return;
    Message message;
    message.topic = base_ + "/" + std::to_string(reading.address) + "/reading";
    message.payload = ReadingPayload(*module);
    message.retain = true;
    {
        std::lock_guard lock(mutex_);
        if (!connected_) return;  // the state goes out whole on the next connection
        if (!outbox_.empty() || resync_ || senderBusy_ || stopping_) {
            // Behind what waits, in order.
            Enqueue(std::move(message));
            wake_.notify_one();
            return;
        }
        // Nothing waits: published from here. A hand-over to the sender would cost it a
        // wake-up for every reading, and the library only queues the message for its network
        // thread, so the bus does not wait for the network.
        message.sequence = nextSequence_++;
        ++directSends_;
    }
    Send(std::move(message));
    std::lock_guard lock(mutex_);
    // The sender holds back while these go out, and Stop() waits for them; either is woken only
    // when it waits for this.
    if (--directSends_ > 0) return;
    if (connected_ && (resync_ || !outbox_.empty())) wake_.notify_one();
    if (stopping_) drained_.notify_all();
}

void MqttPublisher::OnAlarmChange(const AlarmEvent& event) {
    Message change;
    change.topic = base_ + "/alarm";
    change.payload = AlarmEventPayload(event);
    change.promised = qos_ > 0;
    Message list;
    // While the broker is away the list is left to the state published on reconnection.
    const auto module = Connected() ? state_.Module(event.bus, event.address) : std::nullopt;
    if (module) {
        list.topic = base_ + "/" + std::to_string(event.address) + "/alarms";
        list.payload = AlarmListPayload(*module);
        list.retain = true;
    }
    {
        std::lock_guard lock(mutex_);
        Enqueue(std::move(change));
        if (connected_ && !list.topic.empty()) Enqueue(std::move(list));
    }
    wake_.notify_one();
}

void MqttPublisher::Enqueue(Message message) {
    if (message.promised && outbox_.size() + unconfirmed_.size() >= kMaxBacklog) {
        std::size_t promised = unconfirmed_.size();
        for (const auto& [sequence, queued] : outbox_) promised += queued.promised;
        if (promised >= kMaxBacklog) {
            for (auto it = outbox_.begin(); it != outbox_.end(); ++it) {
                if (it->second.promised) {
                    outbox_.erase(it);
                    ++dropped_;
                    break;
                }
            }
        }
    }
    message.sequence = nextSequence_++;
    outbox_.emplace(message.sequence, std::move(message));
}

void MqttPublisher::PublishState() {
    Message status;
    status.topic = StatusTopic();
    status.payload = "online";
    status.retain = true;
    Send(std::move(status));
    for (const ModuleSnapshot& module : state_.Modules()) {
        const std::string topic = base_ + "/" + std::to_string(module.address);
        Message reading;
        reading.topic = topic + "/reading";
        reading.payload = ReadingPayload(module);
        reading.retain = true;
        Send(std::move(reading));
        Message alarms;
        alarms.topic = topic + "/alarms";
        alarms.payload = AlarmListPayload(module);
        alarms.retain = true;
        Send(std::move(alarms));
    }
}

void MqttPublisher::Send(Message message) {
    int mid = 0;
    const int rc = mosquitto_publish(client_, &mid, message.topic.c_str(),
                                     static_cast<int>(message.payload.size()),
                                     message.payload.data(), qos_, message.retain);
    // The library writes at once what the socket takes; the rest is the network loop's.
    if (mosquitto_want_write(client_)) WakeNetwork();
    std::lock_guard lock(mutex_);
    if (rc == MOSQ_ERR_NO_CONN || rc == MOSQ_ERR_CONN_LOST) {
        // Back in its place; the next connection sends it (or the state that replaces it).
        if (message.promised) outbox_.emplace(message.sequence, std::move(message));
        connected_ = false;
        return;
    }
    if (rc != MOSQ_ERR_SUCCESS) {
        std::fprintf(stderr, "MQTT: 发布 %s 失败: %s\n", message.topic.c_str(),
                     mosquitto_strerror(rc));
        return;
    }
    if (qos_ == 0) return;
    if (earlyConfirmations_.erase(mid)) return;
    sequenceOfMid_[mid] = message.sequence;
    if (message.promised) unconfirmed_.emplace(message.sequence, std::move(message));
}

void MqttPublisher::SenderLoop() {
    pthread_setname_np(pthread_self(), "mqtt sender");
    std::unique_lock lock(mutex_);
    for (;;) {
        senderBusy_ = false;
        wake_.wait(lock, [this] {
            return stopping_ ||
                   (connected_ && (resync_ || !outbox_.empty()) && directSends_ == 0);
        });
        if (stopping_) return;
        senderBusy_ = true;
        if (resync_) {
            resync_ = false;
            // Readings and alarm lists queued so far are older than the state that goes out
            // now; sent after it they would set a topic back.
            std::erase_if(outbox_, [](const auto& entry) { return !entry.second.promised; });
            lock.unlock();
            PublishState();
            lock.lock();
        }
        while (connected_ && !outbox_.empty() && !resync_) {
            Message message = std::move(outbox_.begin()->second);
            outbox_.erase(outbox_.begin());
            lock.unlock();
            Send(std::move(message));
            lock.lock();
        }
        drained_.notify_all();
    }
}

void MqttPublisher::OnConnect(mosquitto* client, void* self, int rc) {
    auto* publisher = static_cast<MqttPublisher*>(self);
    if (rc != 0) {
        std::fprintf(stderr, "MQTT: 代理拒绝连接: %s\n", mosquitto_connack_string(rc));
        return;
    }
    std::fprintf(stderr, "MQTT: 已连接 %s\n", publisher->settings_.url.c_str());
    const std::string ack = publisher->AckTopic();
    mosquitto_subscribe(client, nullptr, ack.c_str(), 1);
    std::lock_guard lock(publisher->mutex_);
    publisher->connected_ = true;
    publisher->resync_ = true;
    publisher->wake_.notify_all();
}

void MqttPublisher::OnDisconnect(mosquitto*, void* self, int rc) {
    auto* publisher = static_cast<MqttPublisher*>(self);
    std::lock_guard lock(publisher->mutex_);
    if (rc != 0 && publisher->connected_) {
        std::fprintf(stderr, "MQTT: 与代理的连接断开, 将重连\n");
    }
    publisher->connected_ = false;
    // Readings in the outbox are older than the state the next connection publishes first.
    std::erase_if(publisher->outbox_, [](const auto& entry) { return !entry.second.promised; });
    publisher->outbox_.merge(publisher->unconfirmed_);
    publisher->unconfirmed_.clear();
    publisher->sequenceOfMid_.clear();
    publisher->earlyConfirmations_.clear();
    publisher->drained_.notify_all();
}

void MqttPublisher::OnPublish(mosquitto*, void* self, int mid) {
    auto* publisher = static_cast<MqttPublisher*>(self);
    std::lock_guard lock(publisher->mutex_);
    if (publisher->qos_ == 0) return;
    const auto found = publisher->sequenceOfMid_.find(mid);
    if (found == publisher->sequenceOfMid_.end()) {
        publisher->earlyConfirmations_.insert(mid);
        return;
    }
    publisher->unconfirmed_.erase(found->second);
    publisher->sequenceOfMid_.erase(found);
    // Only Stop() waits for confirmations: waking the sender for each would cost a pair of
    // context switches a message.
    publisher->drained_.notify_all();
}

void MqttPublisher::OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
    auto* publisher = static_cast<MqttPublisher*>(self);
    const std::string payload(static_cast<const char*>(message->payload),
                              static_cast<std::size_t>(message->payloadlen));
    const auto request = ParseAckRequest(payload);
    if (!request) {
        std::fprintf(stderr, "MQTT: 忽略无法识别的确认消息: %.200s\n", payload.c_str());
        return;
    }
    if (!publisher->acknowledger_) return;
    const std::string user = request->user.empty() ? kDefaultAckUser : request->user;
    if (request->all) {
        publisher->acknowledger_->AcknowledgeAll(user);
    } else if (!publisher->acknowledger_->Acknowledge(request->id, user)) {
        std::fprintf(stderr, "MQTT: 确认失败: 没有待确认的报警 %llu\n",
                     static_cast<unsigned long long>(request->id));
    }
}

bool MqttPublisher::Connected() const {
    std::lock_guard lock(mutex_);
    return connected_;
}

std::size_t MqttPublisher::Backlog() const {
    std::lock_guard lock(mutex_);
    std::size_t count = unconfirmed_.size();
    for (const auto& [sequence, message] : outbox_) count += message.promised;
    return count;
}

std::uint64_t MqttPublisher::Dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}
