#pragma once
// Modbus TCP server: unit id = module address, function 4 (read input registers) only. One
// thread polls the listening socket and every client; a client beyond kMaxClients is closed
// at once.
#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "plant/plant_state.h"

class ModbusServer {
public:
    static constexpr int kMaxClients = 64;

    explicit ModbusServer(const PlantState& state);
    ~ModbusServer();
    ModbusServer(const ModbusServer&) = delete;
    ModbusServer& operator=(const ModbusServer&) = delete;

    // Binds `listen`:`port` (0: any free port) and starts serving. False, with `error`, when
    // the address cannot be bound.
    bool Start(const std::string& listen, int port, std::string& error);
    void Stop();  // closes every connection; returns once the thread has ended

    int Port() const { return port_; }  // the bound port
    int Clients() const { return clients_.load(); }

private:
    struct Loop;
    void Run();

    const PlantState& state_;
    std::unique_ptr<Loop> loop_;
    std::thread thread_;
    int port_ = 0;
    std::atomic<int> clients_{0};
};
