#include "support/modbusrtuserver.h"

#include <modbus.h>

#include <cerrno>

ModbusRtuServer::ModbusRtuServer(const std::string& port, int address, int firstRegister,
                                 const std::vector<uint16_t>& values) {
    ctx_ = modbus_new_rtu(port.c_str(), 9600, 'N', 8, 2);
    if (!ctx_) {
        error_ = "modbus_new_rtu failed";
        return;
    }
    modbus_set_slave(ctx_, address);
    if (modbus_connect(ctx_) != 0) {
        error_ = std::string("modbus_connect: ") + modbus_strerror(errno);
        return;
    }
    Serve(firstRegister, values);
}

void ModbusRtuServer::ReceiveFailed() {
    modbus_flush(ctx_);
}
