#include "support/modbustcpserver.h"

#include <modbus.h>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

ModbusTcpServer::ModbusTcpServer(int firstRegister, const std::vector<uint16_t>& values) {
    // Port 0: the system chooses a free one, read back from the listening socket.
    ctx_ = modbus_new_tcp("127.0.0.1", 0);
    if (!ctx_) {
        error_ = "modbus_new_tcp failed";
        return;
    }
    listen_ = modbus_tcp_listen(ctx_, 1);
    if (listen_ < 0) {
        error_ = std::string("modbus_tcp_listen: ") + modbus_strerror(errno);
        return;
    }
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (::getsockname(listen_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        error_ = "getsockname failed";
        return;
    }
    port_ = ntohs(address.sin_port);
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

ModbusTcpServer::~ModbusTcpServer() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (mapping_)
        modbus_mapping_free(mapping_);
    if (listen_ >= 0)
        ::close(listen_);
    if (ctx_) {
        modbus_close(ctx_);
        modbus_free(ctx_);
    }
}

void ModbusTcpServer::Run() {
    uint8_t request[MODBUS_TCP_MAX_ADU_LENGTH];
    bool connected = false;
    while (!stop_) {
        if (!connected) {
            // A short wait for a connection, so that the thread notices when it is to stop.
            pollfd p{listen_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            connected = modbus_tcp_accept(ctx_, &listen_) >= 0;
            continue;
        }
        const int length = modbus_receive(ctx_, request);
        if (length > 0) {
            modbus_reply(ctx_, request, length, mapping_);
            ++served_;
        } else if (length < 0 && errno != ETIMEDOUT) {
            modbus_close(ctx_); // the client has gone: take the next one
            connected = false;
        }
    }
}
