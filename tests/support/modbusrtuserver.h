#pragma once
// An independent Modbus-RTU slave (libmodbus) serving input registers on a serial port in a
// thread of its own: the engine's peer that shares no code with it.

#include "support/modbusserver.h"

class ModbusRtuServer : public ModbusServer {
public:
    // Serves input registers firstRegister.. with the given values as slave `address`.
    ModbusRtuServer(const std::string& port, int address, int firstRegister,
                    const std::vector<uint16_t>& values);
    ~ModbusRtuServer() override { StopServing(); }

private:
    void ReceiveFailed() override;
};
