#pragma once
// An independent Modbus TCP server (libmodbus) on 127.0.0.1 at a port the system chooses,
// serving input registers in a thread of its own: the gateway line's peer that shares no code
// with the program. One connection at a time; a new one is taken when the last has gone.

#include "support/modbusserver.h"

class ModbusTcpServer : public ModbusServer {
public:
    // Serves input registers firstRegister.. with the given values.
    ModbusTcpServer(int firstRegister, const std::vector<uint16_t>& values);
    ~ModbusTcpServer() override;

    int Port() const { return port_; }

private:
    bool Ready() override;
    void ReceiveFailed() override;

    int listen_ = -1;
    int port_ = 0;
    bool connected_ = false;
};
