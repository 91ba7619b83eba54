#pragma once
// An independent Modbus-RTU slave (libmodbus) serving input registers on a serial port in a
// thread of its own: the engine's peer that shares no code with it.

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

typedef struct _modbus modbus_t;
typedef struct _modbus_mapping_t modbus_mapping_t;

class ModbusRtuServer {
public:
    // Serves input registers firstRegister.. with the given values as slave `address`.
    ModbusRtuServer(const std::string& port, int address, int firstRegister,
                    const std::vector<uint16_t>& values);
    ~ModbusRtuServer();
    ModbusRtuServer(const ModbusRtuServer&) = delete;
    ModbusRtuServer& operator=(const ModbusRtuServer&) = delete;

    bool Ok() const { return ok_; }
    const std::string& Error() const { return error_; }
    // Requests answered so far.
    int Served() const { return served_.load(); }

private:
    void Run();

    modbus_t* ctx_ = nullptr;
    modbus_mapping_t* mapping_ = nullptr;
    bool ok_ = false;
    std::string error_;
    std::atomic<bool> stop_{false};
    std::atomic<int> served_{0};
    std::thread thread_;
};
