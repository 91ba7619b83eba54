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
    Serve(firstRegister, values);
}

ModbusTcpServer::~ModbusTcpServer() {
    StopServing();
    if (listen_ >= 0)
        ::close(listen_);
}

bool ModbusTcpServer::Ready() {
    if (connected_)
        return true;
    // A short wait for a connection, so that the thread notices when it is to stop.
    pollfd p{listen_, POLLIN, 0};
    if (::poll(&p, 1, 50) > 0)
        connected_ = modbus_tcp_accept(ctx_, &listen_) >= 0;
    return false;
}

void ModbusTcpServer::ReceiveFailed() {
    modbus_close(ctx_); // the client has gone: take the next one
    connected_ = false;
}
