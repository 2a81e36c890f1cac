#include "plant/modbus_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <modbus/modbus.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "plant/modbus_registers.h"

namespace {

constexpr int kReadInputRegisters = 0x04;

// Reads and drops `count` bytes that belong to the frame in hand, so that the next frame starts
// where the client's header says; false when they do not arrive in time.
bool DropFrameRest(int fd, int count) {
    std::uint8_t scrap[MODBUS_TCP_MAX_ADU_LENGTH];
    while (count > 0) {
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, 200) <= 0) return false;
        const ssize_t got = recv(fd, scrap, std::min<std::size_t>(sizeof scrap, count), 0);
        if (got <= 0) return false;
        count -= static_cast<int>(got);
    }
    return true;
}

}  // namespace

struct ModbusServer::Loop {
    modbus_t* context = nullptr;
    modbus_mapping_t* mapping = nullptr;
    int listenFd = -1;
    int wake[2] = {-1, -1};  // written by Stop() to end the poll
    std::vector<int> clients;

    ~Loop() {
        for (int fd : clients) close(fd);
        if (listenFd >= 0) close(listenFd);
        for (int fd : wake) {
            if (fd >= 0) close(fd);
        }
        if (mapping) modbus_mapping_free(mapping);
        if (context) modbus_free(context);
    }
};

ModbusServer::ModbusServer(const PlantState& state) : state_(state) {}

ModbusServer::~ModbusServer() { Stop(); }

bool ModbusServer::Start(const std::string& listen, int port, std::string& error) {
    Stop();
    auto loop = std::make_unique<Loop>();
    // The protocol-independent flavour: IPv4 and IPv6 addresses and host names alike.
    const std::string service = std::to_string(port);
    loop->context = modbus_new_tcp_pi(listen.c_str(), service.c_str());
    loop->mapping = modbus_mapping_new_start_address(0, 0, 0, 0, 0, 0, 0, kModuleRegisters);
    if (!loop->context || !loop->mapping || pipe2(loop->wake, O_CLOEXEC) != 0) {
        error = std::string("Modbus TCP 服务无法创建: ") + std::strerror(errno);
        return false;
    }
    // A request with a bad count makes the library wait this long before it answers.
    modbus_set_response_timeout(loop->context, 0, 20000);
    // A client that stops halfway through a frame holds up the others at most this long.
    modbus_set_byte_timeout(loop->context, 0, 200000);
    loop->listenFd = modbus_tcp_pi_listen(loop->context, kMaxClients);
    if (loop->listenFd < 0) {
        error = "Modbus TCP 无法监听 " + listen + ":" + std::to_string(port) + ": " +
                modbus_strerror(errno);
        return false;
    }
    fcntl(loop->listenFd, F_SETFD, FD_CLOEXEC);
    sockaddr_storage bound{};
    socklen_t size = sizeof bound;
    getsockname(loop->listenFd, reinterpret_cast<sockaddr*>(&bound), &size);
    port_ = ntohs(bound.ss_family == AF_INET6
                      ? reinterpret_cast<const sockaddr_in6*>(&bound)->sin6_port
                      : reinterpret_cast<const sockaddr_in*>(&bound)->sin_port);
    loop_ = std::move(loop);
    thread_ = std::thread([this] { Run(); });
    return true;
}

void ModbusServer::Stop() {
    if (!thread_.joinable()) return;
    const char stop = 1;
    [[maybe_unused]] const ssize_t written = write(loop_->wake[1], &stop, 1);
    thread_.join();
    loop_.reset();
    clients_ = 0;
}

void ModbusServer::Run() {
    Loop& loop = *loop_;
    std::uint8_t query[MODBUS_TCP_MAX_ADU_LENGTH];
    std::vector<pollfd> fds;
    for (;;) {
        fds.assign({{loop.wake[0], POLLIN, 0}, {loop.listenFd, POLLIN, 0}});
        for (int fd : loop.clients) fds.push_back({fd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents) return;
        std::vector<int> closed;
        for (std::size_t i = 2; i < fds.size(); ++i) {
            if (!fds[i].revents) continue;
            const int fd = fds[i].fd;
            modbus_set_socket(loop.context, fd);
            const int length = modbus_receive(loop.context, query);
            if (length < 0) {  // the client left, or sent what is no Modbus TCP frame
                closed.push_back(fd);
                continue;
            }
            if (length == 0) continue;
            const int protocol = (query[2] << 8) | query[3];
            const int declared = 6 + ((query[4] << 8) | query[5]);
            if (protocol != 0 || declared < 8 || declared > MODBUS_TCP_MAX_ADU_LENGTH) {
                closed.push_back(fd);
                continue;
            }
            // The library frames by function code; a function it does not know leaves the
            // rest of the frame unread.
            if (declared > length && !DropFrameRest(fd, declared - length)) {
                closed.push_back(fd);
                continue;
            }
            const std::uint8_t function = query[7];
            const std::optional<ModuleSnapshot> module = state_.Module(query[6]);
            int sent;
            if (!module) {
                sent = modbus_reply_exception(loop.context, query, MODBUS_EXCEPTION_GATEWAY_TARGET);
            } else if (function != kReadInputRegisters) {
                sent = modbus_reply_exception(loop.context, query, MODBUS_EXCEPTION_ILLEGAL_FUNCTION);
            } else {
                const ModuleRegisters registers =
                    RegistersOf(*module, std::chrono::system_clock::now());
                std::copy(registers.begin(), registers.end(), loop.mapping->tab_input_registers);
                sent = modbus_reply(loop.context, query, length, loop.mapping);
            }
            if (sent < 0 || declared < length) closed.push_back(fd);
        }
        for (int fd : closed) {
            close(fd);
            std::erase(loop.clients, fd);
        }
        if (fds[1].revents) {
            const int fd = accept4(loop.listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                if (static_cast<int>(loop.clients.size()) < kMaxClients) {
                    // A client that sends but never reads may not hold up the others.
                    const timeval sendLimit{1, 0};
                    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);
                    loop.clients.push_back(fd);
                } else {
                    close(fd);
                }
            }
        }
        clients_ = static_cast<int>(loop.clients.size());
    }
}
