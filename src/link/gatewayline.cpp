#include "link/gatewayline.h"

#include <algorithm>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

int64_t MicrosUntil(Clock::time_point limit) {
    return std::chrono::duration_cast<std::chrono::microseconds>(limit - Clock::now()).count();
}

} // namespace

GatewayLine::~GatewayLine() {
    close();
}

std::string GatewayLine::FailureText(NetConnection::Failure failure, int systemError) {
    switch (failure) {
    case NetConnection::Failure::Refused:
        return "соединение отклонено";
    case NetConnection::Failure::NoAnswer:
        return "шлюз не отвечает";
    case NetConnection::Failure::HostUnknown:
        return "узел сети не найден";
    case NetConnection::Failure::LookupTimedOut:
        return "служба имен не ответила, узел сети не найден";
    case NetConnection::Failure::Unreachable:
        return "сеть или шлюз недоступны";
    case NetConnection::Failure::Closed:
        return "соединение со шлюзом разорвано";
    case NetConnection::Failure::Stopped:
        return "соединение не установлено: команда прервана";
    case NetConnection::Failure::None:
    case NetConnection::Failure::Other:
        break;
    }
    return "сетевая ошибка " + std::to_string(systemError);
}

bool GatewayLine::acceptsPortName(const std::string& name, std::string* location) const {
    if (!IsGatewayName(name))
        return false;
    if (location)
        *location = name;
    return true;
}

bool GatewayLine::open(const LineSettings& settings) {
    close();
    errorText_.clear();
    openFailureText_.clear();
    const auto address = ParseGatewayAddress(settings.portName);
    if (!address) {
        openFailureText_ = errorText_ =
            std::string("неверный адрес шлюза (нужно ") + GatewayNameForm + ")";
        return false;
    }
    kind_ = address->kind;
    if (!net_.Connect(address->host, address->port, connectMs_, StopCheck())) {
        openFailureText_ = errorText_ = FailureText(net_.LastFailure(), net_.LastSystemError());
        return false;
    }
    reader_.Reset();
    ahead_.clear();
    aheadBegin_ = 0;
    return true;
}

bool GatewayLine::close() {
    net_.Close();
    return true;
}

bool GatewayLine::isOpen() const {
    return net_.IsOpen();
}

int GatewayLine::Fail() {
    errorText_ = FailureText(net_.LastFailure(), net_.LastSystemError());
    net_.Close();
    return -1;
}

bool GatewayLine::ReceiveSome() {
    uint8_t buffer[512];
    const int n = net_.Receive(buffer, sizeof buffer);
    if (n < 0)
        return false;
    if (kind_ == GatewayKind::ModbusTcp) {
        reader_.Feed(buffer, n);
    } else {
        if (aheadBegin_ == ahead_.size()) {
            ahead_.clear();
            aheadBegin_ = 0;
        }
        ahead_.insert(ahead_.end(), buffer, buffer + n);
    }
    return true;
}

int GatewayLine::TakeWaiting(uint8_t* buffer, int count) {
    if (kind_ == GatewayKind::ModbusTcp)
        return reader_.Take(buffer, count);
    const int n = std::min(count, static_cast<int>(ahead_.size() - aheadBegin_));
    std::copy_n(ahead_.begin() + static_cast<std::ptrdiff_t>(aheadBegin_), n, buffer);
    aheadBegin_ += static_cast<size_t>(n);
    return n;
}

bool GatewayLine::purge() {
    if (!net_.IsOpen())
        return false;
    // Whatever came since the last request is stale: taken off the connection and dropped, and a
    // connection that has gone meanwhile is noticed here. A Modbus TCP frame under way is still
    // followed to its end, so that the next reply is read from its start. Bounded, so that a
    // gateway pouring out noise cannot hold the program.
    for (int round = 0; round < 64; ++round) {
        const int ready = net_.WaitReadable(0);
        if (ready == 0)
            break;
        if (ready < 0 || !ReceiveSome()) {
            Fail();
            return false;
        }
    }
    ahead_.clear();
    aheadBegin_ = 0;
    reader_.DropOutput();
    return true;
}

int GatewayLine::write(const uint8_t* bytes, int count) {
    if (!net_.IsOpen())
        return -1;
    if (count <= 0)
        return 0;
    const int limit = TotalBaseMs + TotalPerByteMs * count;
    if (kind_ == GatewayKind::RtuOverTcp) {
        const int sent = net_.Send(bytes, count, limit);
        return sent < 0 ? Fail() : sent;
    }
    // A new transaction for every request, repeats included: a late answer to an earlier one is
    // then told apart and skipped.
    ++transaction_;
    reader_.Expect(transaction_, bytes[0]);
    const std::vector<uint8_t> request = Mbap::RequestFromRtu(bytes, count, transaction_);
    if (request.empty())
        return 0;
    const int sent = net_.Send(request.data(), static_cast<int>(request.size()), limit);
    if (sent < 0)
        return Fail();
    return sent == static_cast<int>(request.size()) ? count : std::min(count - 1, sent);
}

int GatewayLine::read(uint8_t* buffer, int count) {
    if (!net_.IsOpen())
        return -1;
    if (count <= 0)
        return 0;
    const auto start = Clock::now();
    const auto total = start + milliseconds(TotalBaseMs + TotalPerByteMs * count + roundTripMs_);
    const auto first = firstByteMs_ > 0
                           ? std::min(total, start + milliseconds(firstByteMs_ + roundTripMs_))
                           : total;
    int got = TakeWaiting(buffer, count);
    Clock::time_point lastByte = start;
    bool anyByte = got > 0;
    while (got < count) {
        // The gateway answered for the device that it did not respond: nothing more will come.
        if (kind_ == GatewayKind::ModbusTcp && reader_.GatewayGaveUp())
            break;
        const auto limit = anyByte ? std::min(total, lastByte + milliseconds(ByteGapMs)) : first;
        int64_t left = MicrosUntil(limit);
        if (left <= 0)
            break;
        // Before the first byte the operator's stop is looked at now and then.
        if (!anyByte && HasStopCheck()) {
            if (StopDue())
                break;
            left = std::min<int64_t>(left, StopCheckMs * 1000);
        }
        const int ready = net_.WaitReadable(left);
        if (ready < 0)
            return Fail();
        if (ready == 0)
            continue;
        if (!ReceiveSome())
            return Fail();
        const int n = TakeWaiting(buffer + got, count - got);
        if (n > 0) {
            got += n;
            lastByte = Clock::now();
            anyByte = true;
        }
    }
    return got;
}
