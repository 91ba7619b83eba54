// The emulator as a gateway on loopback inside the test process: RTU frames through the
// connection as they are, Modbus TCP under the request's transaction, spoilt answers refused the
// gateway's way, connections dropped and replaced, the line hung up. (libmodbus and mbpoll read
// the gateway of the lum08-emu process: test_emuprocess.cpp.)

#include "emu/faults.h"
#include "emuserver/tcpserver.h"
#include "emutestbytes.h"

#include <arpa/inet.h>
#include <chrono>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using Framing = emu::TcpServer::Framing;

// The program's side of the connection, bare.
class Client {
public:
    explicit Client(int port) : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ =
            ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~Client() { ::close(fd_); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool Connected() const { return connected_; }
    // Reads until `expected` bytes are in or nothing more came for quietMs.
    Bytes Transact(const Bytes& request, size_t expected, int quietMs = 300) {
        if (::send(fd_, request.data(), request.size(), MSG_NOSIGNAL) !=
            static_cast<ssize_t>(request.size()))
            return {};
        Bytes got;
        while (got.size() < expected) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, quietMs) <= 0)
                break;
            uint8_t buf[512];
            const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            got.insert(got.end(), buf, buf + n);
        }
        return got;
    }
    // Whether the gateway has closed this connection (waits up to timeoutMs for it).
    bool ClosedByPeer(int timeoutMs = 1000) {
        pollfd p{fd_, POLLIN, 0};
        uint8_t b;
        return ::poll(&p, 1, timeoutMs) == 1 && ::recv(fd_, &b, 1, MSG_DONTWAIT) <= 0;
    }

private:
    int fd_;
    bool connected_ = false;
};

const Bytes kConfigRequest = {0x01, 0x11, 0xC0, 0x2C};
const Bytes kConfigData = Join({{0x11, 0x02, 0x01, 0x00, 0x00, 0x02}, Repeat({0x00}, 12)});
// The configuration request and the answer, as Modbus TCP frames of transaction 0x1234.
const Bytes kMbapRequest = {0x12, 0x34, 0x00, 0x00, 0x00, 0x02, 0x01, 0x11};
const Bytes kMbapAnswer = Join({{0x12, 0x34, 0x00, 0x00, 0x00, 0x14, 0x01, 0x11}, kConfigData});

struct EmulatedGateway : ::testing::Test {
    emu::Device device;
    std::unique_ptr<emu::TcpServer> server;

    void Serve(Framing framing) {
        server = std::make_unique<emu::TcpServer>(framing);
        server->AddDevice(device);
        std::string error;
        ASSERT_TRUE(server->Start(&error)) << error;
        ASSERT_GT(server->Port(), 0);
    }
};

TEST_F(EmulatedGateway, TransparentModePassesTheRtuFramesAsTheyAre) {
    Serve(Framing::RtuOverTcp);
    EXPECT_EQ(server->PortName(), "tcp://127.0.0.1:" + std::to_string(server->Port()));
    Client client(server->Port());
    ASSERT_TRUE(client.Connected());
    EXPECT_EQ(Hex(client.Transact(kConfigRequest, 22)),
              Hex(Join({{0x01, 0x11}, kConfigData, {0xD2, 0x7E}})));
    // a request split over two pieces is put together as on a line
    EXPECT_EQ(client.Transact({0x01, 0x11}, 1, 20).size(), 0u);
    EXPECT_EQ(client.Transact({0xC0, 0x2C}, 22).size(), 22u);
}

TEST_F(EmulatedGateway, ModbusTcpAnswersUnderTheRequestsTransaction) {
    Serve(Framing::ModbusTcp);
    Client client(server->Port());
    ASSERT_TRUE(client.Connected());
    EXPECT_EQ(Hex(client.Transact(kMbapRequest, kMbapAnswer.size())), Hex(kMbapAnswer));
    // two requests in one piece, two answers in order
    Bytes two = kMbapRequest;
    two.insert(two.end(), {0x00, 0x09, 0x00, 0x00, 0x00, 0x02, 0x01, 0x11});
    const Bytes answers = client.Transact(two, 2 * kMbapAnswer.size());
    ASSERT_EQ(answers.size(), 2 * kMbapAnswer.size());
    EXPECT_EQ(Hex(Bytes(answers.begin() + 26, answers.begin() + 28)), Hex({0x00, 0x09}));
    // the clock for every device: set, and not answered
    EXPECT_TRUE(client
                    .Transact({0x00, 0x0A, 0x00, 0x00, 0x00, 0x09, 0x00, 0x46, 0x0A, 0x14, 0x0D,
                               0x0F, 0x06, 0x19, 0x07},
                              1, 100)
                    .empty());
    EXPECT_EQ(device.GetClock()[1], 20);
}

TEST_F(EmulatedGateway, ASpoiltAnswerIsRefusedTheGatewaysWay) {
    Serve(Framing::ModbusTcp);
    Client client(server->Port());
    const Bytes refused = {0x12, 0x34, 0x00, 0x00, 0x00, 0x03, 0x01, 0x91, 0x0B};
    for (const char* fault : {"crc", "partial 5", "noise 3"}) {
        device.SetFaults({*emu::ParseFault(fault, 0, nullptr)});
        EXPECT_EQ(Hex(client.Transact(kMbapRequest, refused.size())), Hex(refused)) << fault;
    }
    // a device's own refusal goes through as it is
    device.SetFaults({*emu::ParseFault("exception 7", 0, nullptr)});
    EXPECT_EQ(Hex(client.Transact(kMbapRequest, 9)),
              Hex({0x12, 0x34, 0x00, 0x00, 0x00, 0x03, 0x01, 0x91, 0x07}));
}

TEST_F(EmulatedGateway, DroppedAndReplacedConnections) {
    Serve(Framing::RtuOverTcp);
    {
        Client first(server->Port());
        device.SetFaults({*emu::ParseFault("drop from +1 to +1", device.RequestCount(), nullptr)});
        EXPECT_TRUE(first.Transact(kConfigRequest, 22, 200).empty());
        EXPECT_TRUE(first.ClosedByPeer());
    }
    // the gateway takes the next connection; a newer one closes the one before
    Client second(server->Port());
    EXPECT_EQ(second.Transact(kConfigRequest, 22).size(), 22u);
    Client third(server->Port());
    EXPECT_EQ(third.Transact(kConfigRequest, 22).size(), 22u);
    EXPECT_TRUE(second.ClosedByPeer());
    EXPECT_EQ(server->Connections(), 3u);
    EXPECT_FALSE(server->HungUp());
}

TEST_F(EmulatedGateway, AHangupTakesTheGatewayAway) {
    Serve(Framing::ModbusTcp);
    Client client(server->Port());
    device.SetFaults({*emu::ParseFault("hangup", 0, nullptr)});
    EXPECT_TRUE(client.Transact(kMbapRequest, 1, 200).empty());
    EXPECT_TRUE(client.ClosedByPeer());
    EXPECT_TRUE(server->HungUp());
    // The listener closes on the server's own thread: a connection may still land just before.
    bool refused = false;
    for (int i = 0; i < 100 && !refused; ++i) {
        Client later(server->Port());
        refused = !later.Connected();
        if (!refused)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(refused);
}

TEST(TcpServer, ListensOnLoopbackOnly) {
    for (const char* host : {"0.0.0.0", "192.168.0.1", "localhost"}) {
        emu::TcpServer server(Framing::RtuOverTcp, host, 0);
        std::string error;
        EXPECT_FALSE(server.Open(&error)) << host;
        EXPECT_NE(error.find("не петлевой"), std::string::npos) << error;
    }
}

} // namespace
