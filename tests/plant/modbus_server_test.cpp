#include "plant/modbus_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <modbus/modbus.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include "plant/modbus_registers.h"
#include "plant_fixtures.h"
#include "wait_until.h"

namespace {

using namespace std::chrono_literals;

class ModbusServerTest : public testing::Test {
protected:
    void SetUp() override {
        state.AddModule(1, 7, "3号仓");
        std::vector<int> tenths = {215, -12, 0, 1000, 253, -2500};  // 4 PT100 inputs, 2 probes
        SiteReading reading = GoodReading(1, 7, tenths, std::chrono::system_clock::now() - 70000s);
        reading.reading.words[2] = 0x8000;  // -0.0
        state.OnSiteReading(reading);
        state.OnAlarmChange(Alarm(1, 1, 7, AlarmState::ActiveUnacked));
        state.OnAlarmChange(Alarm(2, 1, 7, AlarmState::ActiveAcked));
        state.OnAlarmChange(Alarm(3, 1, 7, AlarmState::ClearedUnacked));
        state.AddModule(1, 9, "4号仓");  // declared, never read
        std::string error;
        ASSERT_TRUE(server.Start("127.0.0.1", 0, error)) << error;
        ASSERT_GT(server.Port(), 0);
    }

    modbus_t* Client() {
        modbus_t* client = modbus_new_tcp("127.0.0.1", server.Port());
        EXPECT_EQ(modbus_connect(client), 0);
        return client;
    }

    // A raw connection for frames no well-behaved client sends.
    int RawSocket() {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(server.Port()));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        return fd;
    }

    PlantState state;
    ModbusServer server{state};
};

// Sends `frame` and returns the reply's bytes (empty when the server closed or said nothing).
std::vector<std::uint8_t> Exchange(int fd, const std::vector<std::uint8_t>& frame) {
    EXPECT_EQ(send(fd, frame.data(), frame.size(), MSG_NOSIGNAL), static_cast<ssize_t>(frame.size()));
    std::vector<std::uint8_t> reply(300);
    pollfd pfd{fd, POLLIN, 0};
    if (poll(&pfd, 1, 5000) <= 0) return {};
    const ssize_t got = recv(fd, reply.data(), reply.size(), 0);
    reply.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return reply;
}

std::vector<std::uint8_t> ReadFrame(std::uint8_t unit, std::uint8_t function, int address, int count) {
    return {0x12, 0x34, 0, 0, 0, 6, unit, function, static_cast<std::uint8_t>(address >> 8),
            static_cast<std::uint8_t>(address), static_cast<std::uint8_t>(count >> 8),
            static_cast<std::uint8_t>(count)};
}

int ExceptionOf(const std::vector<std::uint8_t>& reply) {
    if (reply.size() != 9 || !(reply[7] & 0x80)) return -1;
    return reply[8];
}

TEST_F(ModbusServerTest, ServesTheRegisterMapOfEachUnit) {
    modbus_t* client = Client();
    modbus_set_slave(client, 7);
    std::array<std::uint16_t, kModuleRegisters> registers{};
    ASSERT_EQ(modbus_read_input_registers(client, 0, kModuleRegisters, registers.data()),
              kModuleRegisters);
    EXPECT_EQ(static_cast<std::int16_t>(registers[0]), 215);
    EXPECT_EQ(static_cast<std::int16_t>(registers[1]), -12);
    EXPECT_EQ(registers[2], 0) << "-0.0 is zero in two's complement";
    EXPECT_EQ(static_cast<std::int16_t>(registers[5]), -2500);
    EXPECT_EQ(registers[6], kRegisterNoValue) << "a probe the block does not carry";
    EXPECT_EQ(registers[67], kRegisterNoValue);
    EXPECT_EQ(registers[68], 2);
    EXPECT_EQ(registers[69], 0);
    const std::uint32_t age = (registers[70] << 16) | registers[71];
    EXPECT_GE(age, 70000u);
    EXPECT_LT(age, 70100u);
    EXPECT_EQ(registers[72], 2) << "the cleared alarm no longer counts";

    // A module declared but never read: no values, offline, unknown age.
    modbus_set_slave(client, 9);
    ASSERT_EQ(modbus_read_input_registers(client, 66, 7, registers.data()), 7);
    EXPECT_EQ(registers[0], kRegisterNoValue);
    EXPECT_EQ(registers[2], 0);
    EXPECT_EQ(registers[3], 2);
    EXPECT_EQ(registers[4], 0xFFFF);
    EXPECT_EQ(registers[5], 0xFFFF);

    // Reading the latest state, not a copy taken at connection time.
    state.OnSiteReading(FailedSiteReading(1, 7));
    modbus_set_slave(client, 7);
    ASSERT_EQ(modbus_read_input_registers(client, 0, 1, registers.data()), 1);
    EXPECT_EQ(registers[0], kRegisterNoValue);
    ASSERT_EQ(modbus_read_input_registers(client, 69, 1, registers.data()), 1);
    EXPECT_EQ(registers[0], 1);
    modbus_close(client);
    modbus_free(client);
}

TEST_F(ModbusServerTest, AnswersBadRequestsWithTheProtocolsExceptions) {
    modbus_t* client = Client();
    std::uint16_t registers[kModuleRegisters];
    modbus_set_slave(client, 7);
    EXPECT_EQ(modbus_read_registers(client, 0, 1, registers), -1);
    EXPECT_EQ(errno, EMBXILFUN);
    EXPECT_EQ(modbus_read_input_registers(client, 70, 4, registers), -1);
    EXPECT_EQ(errno, EMBXILADD);
    EXPECT_EQ(modbus_write_register(client, 0, 1), -1);
    EXPECT_EQ(errno, EMBXILFUN);
    modbus_set_slave(client, 8);
    EXPECT_EQ(modbus_read_input_registers(client, 0, 1, registers), -1);
    EXPECT_EQ(errno, EMBXGTAR) << "no module at this unit id";
    modbus_close(client);
    modbus_free(client);

    const int fd = RawSocket();
    EXPECT_EQ(ExceptionOf(Exchange(fd, ReadFrame(7, 4, 0, 0))), 3);
    EXPECT_EQ(ExceptionOf(Exchange(fd, ReadFrame(7, 4, 0, 126))), 3);
    // A function the library does not frame, with a body: the reply, and the next frame on the
    // same connection is still read from its start.
    EXPECT_EQ(ExceptionOf(Exchange(fd, {0, 1, 0, 0, 0, 5, 7, 0x2B, 0x0E, 0x01, 0x00})), 1);
    const auto reply = Exchange(fd, ReadFrame(7, 4, 68, 1));
    ASSERT_EQ(reply.size(), 11u);
    EXPECT_EQ(reply[10], 2) << "probe count";
    close(fd);
}

TEST_F(ModbusServerTest, SurvivesMalformedFramesAndKeepsServingOthers) {
    const int closedByServer = RawSocket();
    EXPECT_TRUE(Exchange(closedByServer, {0, 1, 0, 9, 0, 6, 7, 4, 0, 0, 0, 1}).empty())
        << "not Modbus: a protocol id other than 0";
    close(closedByServer);

    const int half = RawSocket();
    const std::vector<std::uint8_t> halfFrame = {0, 1, 0, 0, 0};
    send(half, halfFrame.data(), halfFrame.size(), MSG_NOSIGNAL);
    close(half);

    const int oversized = RawSocket();
    std::vector<std::uint8_t> big(1000, 0xFF);
    big[2] = big[3] = 0;
    Exchange(oversized, big);
    close(oversized);

    const int healthy = RawSocket();
    const auto reply = Exchange(healthy, ReadFrame(7, 4, 0, 1));
    ASSERT_EQ(reply.size(), 11u);
    EXPECT_EQ(reply[10], 215);
    // Address 0, the module's factory address, is a unit like any other (not a broadcast).
    state.OnSiteReading(GoodReading(1, 0, {42}));
    const auto zero = Exchange(healthy, ReadFrame(0, 4, 0, 1));
    ASSERT_EQ(zero.size(), 11u);
    EXPECT_EQ(zero[10], 42);
    close(healthy);
}

TEST_F(ModbusServerTest, ServesManyClientsAtOnceAndEndsWithThemConnected) {
    constexpr int kClients = 10;
    std::atomic<int> good{0};
    std::atomic<int> connected{0};
    std::atomic<bool> release{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < kClients; ++i) {
        threads.emplace_back([&] {
            modbus_t* client = Client();
            modbus_set_slave(client, 7);
            std::uint16_t registers[kModuleRegisters];
            ++connected;
            for (int n = 0; n < 50; ++n) {
                if (modbus_read_input_registers(client, 0, kModuleRegisters, registers) ==
                    kModuleRegisters && registers[0] == 215) {
                    ++good;
                }
            }
            while (!release) std::this_thread::sleep_for(1ms);
            modbus_close(client);
            modbus_free(client);
        });
    }
    EXPECT_TRUE(WaitUntil([&] { return server.Clients() == kClients; }));
    EXPECT_TRUE(WaitUntil([&] { return good == kClients * 50; }));
    release = true;
    for (auto& thread : threads) thread.join();

    // Stopping with clients connected ends at once.
    modbus_t* lingering = Client();
    EXPECT_TRUE(WaitUntil([&] { return server.Clients() == 1; }));
    server.Stop();
    modbus_free(lingering);
}

TEST_F(ModbusServerTest, MbpollReadsTheValues) {
    const std::string command = "mbpoll -m tcp -a 7 -t 3 -0 -r 0 -c 3 -1 -p " +
                                std::to_string(server.Port()) + " 127.0.0.1 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe)) output += buffer;
    EXPECT_EQ(pclose(pipe), 0) << output;
    EXPECT_NE(output.find("[0]: \t215"), std::string::npos) << output;
    EXPECT_NE(output.find("[1]: \t65524 (-12)"), std::string::npos) << output;
}

TEST(ModbusServer, ListensOnIpv6AndRefusesAnAddressItCannotBind) {
    PlantState state;
    state.OnSiteReading(GoodReading(1, 3, {77}));
    ModbusServer server(state);
    std::string error;
    if (server.Start("::1", 0, error)) {
        modbus_t* client = modbus_new_tcp_pi("::1", std::to_string(server.Port()).c_str());
        ASSERT_EQ(modbus_connect(client), 0);
        modbus_set_slave(client, 3);
        std::uint16_t value = 0;
        EXPECT_EQ(modbus_read_input_registers(client, 0, 1, &value), 1);
        EXPECT_EQ(value, 77);
        modbus_close(client);
        modbus_free(client);
        server.Stop();
    }
    EXPECT_FALSE(server.Start("192.0.2.1", 0, error)) << "an address of no local interface";
    EXPECT_NE(error.find("192.0.2.1"), std::string::npos) << error;
}

}  // namespace
