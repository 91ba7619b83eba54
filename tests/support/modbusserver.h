#pragma once
// What the independent libmodbus servers share: the input registers they serve, the thread that
// answers requests, and its stop. The RTU and TCP servers bring their own line.

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

typedef struct _modbus modbus_t;
typedef struct _modbus_mapping_t modbus_mapping_t;

class ModbusServer {
public:
    ModbusServer(const ModbusServer&) = delete;
    ModbusServer& operator=(const ModbusServer&) = delete;

    bool Ok() const { return ok_; }
    const std::string& Error() const { return error_; }
    // Requests answered so far.
    int Served() const { return served_.load(); }

protected:
    ModbusServer() = default;
    virtual ~ModbusServer();

    // Once ctx_ is connected or listening: serves input registers firstRegister.. with the given
    // values on a thread of its own.
    void Serve(int firstRegister, const std::vector<uint16_t>& values);
    // Stops the thread. Each server calls it first thing in its destructor: the thread calls
    // into the server.
    void StopServing();

    // Whether a request can be waited for now (a TCP server first needs a client).
    virtual bool Ready() { return true; }
    // A receive failed other than by its short wait running out.
    virtual void ReceiveFailed() = 0;

    modbus_t* ctx_ = nullptr;
    std::string error_;

private:
    void Run();

    modbus_mapping_t* mapping_ = nullptr;
    bool ok_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<int> served_{0};
    std::thread thread_;
};
