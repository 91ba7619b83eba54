#include "support/modbusserver.h"

#include <modbus.h>

#include <cerrno>

ModbusServer::~ModbusServer() {
    StopServing();
    if (mapping_)
        modbus_mapping_free(mapping_);
    if (ctx_) {
        modbus_close(ctx_);
        modbus_free(ctx_);
    }
}

void ModbusServer::Serve(int firstRegister, const std::vector<uint16_t>& values) {
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

void ModbusServer::StopServing() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

void ModbusServer::Run() {
    uint8_t request[MODBUS_MAX_ADU_LENGTH];
    while (!stop_) {
        if (!Ready())
            continue;
        const int length = modbus_receive(ctx_, request);
        if (length > 0) {
            modbus_reply(ctx_, request, length, mapping_);
            ++served_;
        } else if (length < 0 && errno != ETIMEDOUT) {
            ReceiveFailed();
        }
    }
}
