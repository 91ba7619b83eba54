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
    // A short wait for requests, so that the thread notices when it is to stop.
    modbus_set_indication_timeout(ctx_, 0, 50'000);
    mapping_ = modbus_mapping_new(0, 0, 0, firstRegister + static_cast<int>(values.size()));
    if (!mapping_) {
        error_ = "modbus_mapping_new failed";
        return;
    }
    for (size_t i = 0; i < values.size(); ++i)
        mapping_->tab_input_registers[firstRegister + static_cast<int>(i)] = values[i];
    ok_ = true;
    thread_ = std::thread([this] { Run(); });
}

ModbusRtuServer::~ModbusRtuServer() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (mapping_)
        modbus_mapping_free(mapping_);
    if (ctx_) {
        modbus_close(ctx_);
        modbus_free(ctx_);
    }
}

void ModbusRtuServer::Run() {
    uint8_t request[MODBUS_RTU_MAX_ADU_LENGTH];
    while (!stop_) {
        const int length = modbus_receive(ctx_, request);
        if (length > 0) {
            modbus_reply(ctx_, request, length, mapping_);
            ++served_;
        } else if (length < 0 && errno != ETIMEDOUT) {
            modbus_flush(ctx_);
        }
    }
}
