#include "emuserver/tcpserver.h"

#include "emu/crc16.h"
#include "emu/framer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace emu {

namespace {

constexpr size_t kMbapHeader = 7;
constexpr int kMbapMaxLength = 254;
constexpr uint8_t kTargetFailedToRespond = 0x0B;

std::vector<uint8_t> MbapHeader(uint16_t transaction, size_t length, uint8_t unit) {
    return {
        static_cast<uint8_t>(transaction >> 8), static_cast<uint8_t>(transaction & 0xFF), 0,   0,
        static_cast<uint8_t>(length >> 8),      static_cast<uint8_t>(length & 0xFF),      unit};
}

} // namespace

TcpServer::TcpServer(Framing framing, std::string host, int port)
    : framing_(framing), host_(std::move(host)), port_(port) {}

TcpServer::~TcpServer() {
    Stop();
    CloseAll();
}

std::string TcpServer::PortName() const {
    return std::string(framing_ == Framing::ModbusTcp ? "mbtcp://" : "tcp://") + host_ + ":" +
           std::to_string(port_);
}

std::vector<uint8_t> TcpServer::MbapAnswer(const std::vector<uint8_t>& request,
                                           const std::vector<uint8_t>& answer,
                                           uint16_t transaction) {
    if (answer.empty() || request.size() < 2)
        return {};
    if (answer.size() >= 4 && CrcChecks(answer.data(), answer.size())) {
        std::vector<uint8_t> out = MbapHeader(transaction, answer.size() - 2, answer[0]);
        out.insert(out.end(), answer.begin() + 1, answer.end() - 2);
        return out;
    }
    // A gateway does not hand on a frame that does not check: it answers for the device.
    std::vector<uint8_t> out = MbapHeader(transaction, 3, request[0]);
    out.push_back(static_cast<uint8_t>(request[1] | 0x80));
    out.push_back(kTargetFailedToRespond);
    return out;
}

bool TcpServer::Open(std::string* error) {
    if (listen_ >= 0)
        return true;
    if (!OpenStopPipe(error))
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port_));
    // A gateway's stand-in for tests and trials: never reachable from another machine.
    if (::inet_pton(AF_INET, host_.c_str(), &address.sin_addr) != 1 ||
        (ntohl(address.sin_addr.s_addr) >> 24) != 127) {
        if (error)
            *error = "адрес " + host_ + " не петлевой (нужен 127.0.0.1)";
        return false;
    }
    listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listen_ < 0)
        return Fail(error, "socket");
    const int on = 1;
    ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(listen_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listen_, 4) != 0) {
        Fail(error, host_ + ":" + std::to_string(port_));
        CloseFd(listen_);
        return false;
    }
    socklen_t size = sizeof address;
    if (::getsockname(listen_, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port_ = ntohs(address.sin_port);
    hungUp_ = false;
    return true;
}

void TcpServer::Close() {
    Stop();
    CloseAll();
}

void TcpServer::DropClient() {
    CloseFd(client_);
    received_.clear();
    ClearQueues();
}

void TcpServer::CloseAll() {
    DropClient();
    CloseFd(listen_);
}

void TcpServer::LineDescriptors(pollfd* line) const {
    line[0].fd = listen_;
    line[1].fd = client_;
}

LineServer::LineEvents TcpServer::TakeLineEvents(const pollfd* line, Framer& framer) {
    if (line[0].revents & POLLIN)
        Accept(framer);
    // not the connection the accept just dropped
    if (line[1].fd >= 0 && line[1].fd == client_ && line[1].revents != 0)
        ReadClient(framer);
    return LineEvents::Served;
}

void TcpServer::Accept(Framer& framer) {
    const int fd = ::accept4(listen_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return;
    // The newer connection wins: a program that connects again must not find the gateway held
    // by its own connection of before.
    DropClient();
    framer = Framer();
    client_ = fd;
    const int on = 1;
    ::setsockopt(client_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ++connections_;
}

void TcpServer::ReadClient(Framer& framer) {
    uint8_t buf[4096];
    while (client_ >= 0) {
        const ssize_t n = ::recv(client_, buf, sizeof buf, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        if (n <= 0) {
            DropClient(); // the program closed its side, or the connection broke
            return;
        }
        const auto now = std::chrono::steady_clock::now();
        if (framing_ == Framing::ModbusTcp) {
            received_.insert(received_.end(), buf, buf + n);
            if (!TakeRequests(now))
                DropClient(); // not Modbus TCP: a gateway closes such a connection
            continue;
        }
        const Pacing pacing = GetPacing();
        if (!pacing.Active() && incoming_.empty()) {
            Answer(framer.Push(buf, static_cast<size_t>(n), now), now);
            continue;
        }
        const TimePoint due = timer_.RequestIn(static_cast<size_t>(n), now, pacing, format_);
        incoming_.push_back({due, std::vector<uint8_t>(buf, buf + n), 0});
    }
}

bool TcpServer::TakeRequests(TimePoint now) {
    while (received_.size() >= kMbapHeader && client_ >= 0) {
        const int protocol = received_[2] << 8 | received_[3];
        const int length = received_[4] << 8 | received_[5];
        if (protocol != 0 || length < 2 || length > kMbapMaxLength)
            return false;
        const size_t whole = kMbapHeader - 1 + static_cast<size_t>(length);
        if (received_.size() < whole)
            return true;
        const uint16_t transaction = static_cast<uint16_t>(received_[0] << 8 | received_[1]);
        // The request as the gateway puts it on the serial line: unit, PDU, CRC.
        std::vector<uint8_t> frame(received_.begin() + kMbapHeader - 1,
                                   received_.begin() + static_cast<std::ptrdiff_t>(whole));
        AppendCrc(frame);
        received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(whole));
        const Pacing pacing = GetPacing();
        if (!pacing.Active() && incoming_.empty()) {
            Dispatch({frame}, now, transaction);
            continue;
        }
        const TimePoint due = timer_.RequestIn(frame.size(), now, pacing, format_);
        incoming_.push_back({due, std::move(frame), transaction});
    }
    return true;
}

void TcpServer::Deliver(const Incoming& in, Framer& framer) {
    if (framing_ == Framing::ModbusTcp)
        Dispatch({in.bytes}, in.due, in.transaction);
    else
        Answer(framer.Push(in.bytes.data(), in.bytes.size(), in.due), in.due);
}

void TcpServer::Answer(const Frames& frames, TimePoint requestEnd) {
    Dispatch(frames, requestEnd, 0);
}

void TcpServer::Dispatch(const Frames& frames, TimePoint requestEnd, uint16_t transaction) {
    const Pacing pacing = GetPacing();
    for (const auto& frame : frames) {
        ++framesReceived_;
        bool hangup = false;
        bool drop = false;
        for (Device* device : devices_) {
            const std::vector<uint8_t> answer = device->Handle(frame);
            hangup = device->TakeHangup() || hangup;
            drop = device->TakeDrop() || drop;
            if (answer.empty() || client_ < 0)
                continue;
            const bool mbap = framing_ == Framing::ModbusTcp;
            const std::vector<uint8_t> out = mbap ? MbapAnswer(frame, answer, transaction) : answer;
            if (!pacing.Active() && outgoing_.empty()) {
                Send(out, true);
                continue;
            }
            auto chunks = timer_.Reply(answer, requestEnd, pacing, format_);
            if (mbap) // the gateway sends the answer once it has come in whole off the line
                outgoing_.push_back({chunks.back().due, out, true});
            else
                for (auto& chunk : chunks)
                    outgoing_.push_back(std::move(chunk));
        }
        if (hangup) {
            hungUp_ = true;
            CloseAll();
            return;
        }
        if (drop) {
            DropClient();
            return;
        }
    }
}

void TcpServer::Send(const std::vector<uint8_t>& bytes, bool wholeReply) {
    size_t done = 0;
    while (done < bytes.size() && client_ >= 0) {
        const ssize_t n = ::send(client_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd out{client_, POLLOUT, 0};
            if (::poll(&out, 1, 100) > 0)
                continue;
            return; // a client that reads nothing loses the answer, as on a line
        }
        DropClient();
        return;
    }
    if (wholeReply && done == bytes.size())
        ++repliesSent_;
}

} // namespace emu
