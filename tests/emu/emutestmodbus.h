#pragma once
// libmodbus as an independent master against the emulator: if it reads the clock registers and
// the slave id, the emulator is an ordinary Modbus-RTU slave and not only the program's mirror.

#include "emutestbytes.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <modbus.h>
#include <string>

// Expects the clock 03:04:05 2.1.24 weekday 2 and the modules "МЛВ" in slot 0, "МСЮ" in slot 3.
inline void ReadWithLibmodbus(const std::string& port, int slave) {
    modbus_t* ctx = modbus_new_rtu(port.c_str(), 9600, 'N', 8, 2);
    ASSERT_NE(ctx, nullptr);
    ASSERT_EQ(modbus_set_slave(ctx, slave), 0);
    modbus_set_response_timeout(ctx, 1, 0);
    ASSERT_EQ(modbus_connect(ctx), 0) << modbus_strerror(errno);
    uint16_t regs[7] = {};
    EXPECT_EQ(modbus_read_input_registers(ctx, 1000, 7, regs), 7) << modbus_strerror(errno);
    EXPECT_EQ(std::vector<uint16_t>(regs, regs + 7), (std::vector<uint16_t>{5, 4, 3, 2, 1, 24, 2}));
    uint8_t id[64] = {};
    EXPECT_EQ(modbus_report_slave_id(ctx, sizeof id, id), 17) << modbus_strerror(errno);
    EXPECT_EQ(Hex(Bytes(id, id + 17)),
              Hex({0x02, 0x01, 0x00, 0x00, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    // a register outside the clock is refused the Modbus way
    EXPECT_EQ(modbus_read_input_registers(ctx, 999, 1, regs), -1);
    EXPECT_EQ(errno, EMBXILADD);
    modbus_close(ctx);
    modbus_free(ctx);
}

// The same reads over Modbus TCP, against the emulator's gateway at 127.0.0.1:port.
inline void ReadWithLibmodbusTcp(int port, int slave) {
    modbus_t* ctx = modbus_new_tcp("127.0.0.1", port);
    ASSERT_NE(ctx, nullptr);
    ASSERT_EQ(modbus_set_slave(ctx, slave), 0);
    modbus_set_response_timeout(ctx, 1, 0);
    ASSERT_EQ(modbus_connect(ctx), 0) << modbus_strerror(errno);
    uint16_t regs[7] = {};
    EXPECT_EQ(modbus_read_input_registers(ctx, 1000, 7, regs), 7) << modbus_strerror(errno);
    EXPECT_EQ(std::vector<uint16_t>(regs, regs + 7), (std::vector<uint16_t>{5, 4, 3, 2, 1, 24, 2}));
    uint8_t id[64] = {};
    EXPECT_EQ(modbus_report_slave_id(ctx, sizeof id, id), 17) << modbus_strerror(errno);
    EXPECT_EQ(Hex(Bytes(id, id + 17)),
              Hex({0x02, 0x01, 0x00, 0x00, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(modbus_read_input_registers(ctx, 999, 1, regs), -1);
    EXPECT_EQ(errno, EMBXILADD);
    modbus_close(ctx);
    modbus_free(ctx);
}
