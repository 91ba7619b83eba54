#pragma once
// An independent Modbus TCP server (libmodbus) on 127.0.0.1 at a port the system chooses,
// serving input registers in a thread of its own: the gateway line's peer that shares no code
// with the program. One connection at a time; a new one is taken when the last has gone.

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

typedef struct _modbus modbus_t;
typedef struct _modbus_mapping_t modbus_mapping_t;

class ModbusTcpServer {
public:
    // Serves input registers firstRegister.. with the given values.
    ModbusTcpServer(int firstRegister, const std::vector<uint16_t>& values);
    ~ModbusTcpServer();
    ModbusTcpServer(const ModbusTcpServer&) = delete;
    ModbusTcpServer& operator=(const ModbusTcpServer&) = delete;

    bool Ok() const { return ok_; }
    const std::string& Error() const { return error_; }
    int Port() const { return port_; }
    int Served() const { return served_.load(); }

private:
    void Run();

    modbus_t* ctx_ = nullptr;
    modbus_mapping_t* mapping_ = nullptr;
    int listen_ = -1;
    int port_ = 0;
    bool ok_ = false;
    std::string error_;
    std::atomic<bool> stop_{false};
    std::atomic<int> served_{0};
    std::thread thread_;
};
