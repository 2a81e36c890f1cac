#pragma once
// A real mosquitto broker for a test: on a free local port, with its own configuration and
// persistence folder, stopped (or killed) by the test.
#include <arpa/inet.h>
#include <fcntl.h>
#include <mosquitto.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "wait_until.h"

inline int FreeLocalPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

inline bool Connectable(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

class MosquittoBroker {
public:
    // `security` replaces the anonymous access, given the broker's folder (for its files).
    explicit MosquittoBroker(
        const std::function<std::string(const std::filesystem::path&)>& security = {})
        : port_(FreeLocalPort()) {
        char pattern[] = "/tmp/k7r2-broker-XXXXXX";
        folder_ = mkdtemp(pattern);
        // Started as root, the broker drops to its own user, who must still write here.
        std::filesystem::permissions(folder_, std::filesystem::perms::all);
        const std::string access = security ? security(folder_) : "allow_anonymous true\n";
        std::ofstream config(folder_ / "mosquitto.conf");
        config << "listener " << port_ << " 127.0.0.1\n"
               << access
               << "persistence true\n"
               << "persistence_location " << folder_.string() << "/\n"
               << "autosave_interval 0\n";
    }
    ~MosquittoBroker() {
        Stop();
        std::filesystem::remove_all(folder_);
    }

    bool Start() {
        pid_ = fork();
        if (pid_ == 0) {
            const std::string config = (folder_ / "mosquitto.conf").string();
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            execlp("mosquitto", "mosquitto", "-c", config.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        return WaitUntil([this] { return Connectable(port_); });
    }
    // SIGTERM: the broker saves its sessions and queued messages before it ends.
    void Stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

    int Port() const { return port_; }
    std::string Url() const { return "mqtt://127.0.0.1:" + std::to_string(port_); }

private:
    int port_;
    std::filesystem::path folder_;
    pid_t pid_ = -1;
};

struct ReceivedMessage {
    std::string topic;
    std::string payload;
    bool retain = false;
};

// A subscriber that keeps what it receives. A persistent session (clean = false) gets what the
// broker kept for it while it was away.
class TestSubscriber {
public:
    TestSubscriber(int port, const std::string& filter, const std::string& id = {},
                   bool clean = true)
        : filter_(filter) {
        mosquitto_lib_init();
        client_ = mosquitto_new(id.empty() ? nullptr : id.c_str(), clean, this);
        mosquitto_connect_callback_set(client_, [](mosquitto* m, void* self, int rc) {
            auto* subscriber = static_cast<TestSubscriber*>(self);
            if (rc == 0) mosquitto_subscribe(m, nullptr, subscriber->filter_.c_str(), 1);
            std::lock_guard lock(subscriber->mutex_);
            ++subscriber->connections_;
        });
        mosquitto_subscribe_callback_set(
            client_, [](mosquitto*, void* self, int, int, const int*) {
                auto* subscriber = static_cast<TestSubscriber*>(self);
                std::lock_guard lock(subscriber->mutex_);
                ++subscriber->subscriptions_;
            });
        mosquitto_message_callback_set(client_, [](mosquitto*, void* self,
                                                   const mosquitto_message* message) {
            auto* subscriber = static_cast<TestSubscriber*>(self);
            std::lock_guard lock(subscriber->mutex_);
            subscriber->messages_.push_back(
                {message->topic,
                 std::string(static_cast<const char*>(message->payload),
                             static_cast<std::size_t>(message->payloadlen)),
                 message->retain});
        });
        mosquitto_reconnect_delay_set(client_, 1, 1, false);
        mosquitto_connect(client_, "127.0.0.1", port, 30);
        mosquitto_loop_start(client_);
    }
    ~TestSubscriber() {
        mosquitto_disconnect(client_);
        mosquitto_loop_stop(client_, false);
        mosquitto_destroy(client_);
    }
    bool WaitSubscribed(int count = 1) {
        return WaitUntil([&] {
            std::lock_guard lock(mutex_);
            return subscriptions_ >= count;
        });
    }
    void Publish(const std::string& topic, const std::string& payload) {
        mosquitto_publish(client_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                          payload.data(), 1, false);
    }
    std::vector<ReceivedMessage> Messages() {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    std::vector<ReceivedMessage> On(const std::string& topic) {
        std::vector<ReceivedMessage> found;
        for (auto& message : Messages()) {
            if (message.topic == topic) found.push_back(message);
        }
        return found;
    }
    // Waits for a message on `topic` for which `accept` holds.
    bool WaitFor(const std::string& topic,
                 const std::function<bool(const ReceivedMessage&)>& accept =
                     [](const ReceivedMessage&) { return true; }) {
        return WaitUntil([&] {
            for (auto& message : On(topic)) {
                if (accept(message)) return true;
            }
            return false;
        });
    }

private:
    std::string filter_;
    mosquitto* client_;
    std::mutex mutex_;
    int connections_ = 0;
    int subscriptions_ = 0;
    std::vector<ReceivedMessage> messages_;
};
