// Adapters that hear themselves: on a two-wire line many of them hand back every byte of the
// request before the reply. The engine reads that echo back, checks it against what it sent,
// and with Auto finds out from the first reply whether the adapter does it at all.

#include "link/exchangeengine.h"
#include "link/rtuframe.h"

#include <algorithm>

namespace {

constexpr int kGoOn = -1;

// A reply to these repeats the request, so it looks just like an echo.
bool MirrorsRequest(int function) {
    return function == 5 || function == 14;
}

} // namespace

void ExchangeEngine::SetEchoMode(EchoMode mode) {
    if (mode != echoMode_)
        echoFound_ = -1;
    echoMode_ = mode;
}

void ExchangeEngine::ObserveHeard(const uint8_t* bytes, int length) {
    if (observers_.Empty() || length <= 0)
        return;
    const int64_t now = clock_.nowMicros();
    observers_.Each(
        [&](FrameObserver& o) { o.OnReply(now, bytes, length, ReplyCheck::NotChecked); });
}

ExchangeEngine::Outcome ExchangeEngine::TakeEcho() {
    uint8_t heard[FrameBufferSize];
    const int got = line_.read(heard, FrameLength);
    if (got < 0) {
        PortFailed();
        return {ResultCode::PortFailure, 0};
    }
    if (got == FrameLength && std::equal(heard, heard + got, frame_))
        return {kGoOn, 0};
    if (got == 0) {
        // Not even the adapter's echo: the request never reached the line, or the adapter
        // does not echo and the device is silent.
        if (!observers_.Empty()) {
            const int64_t now = clock_.nowMicros();
            observers_.Each([&](FrameObserver& o) { o.OnTimeout(now, 0); });
        }
        return {ResultCode::NoAnswer, 1};
    }
    ObserveHeard(heard, got);
    purgeBeforeRepeat_ = true;
    // Auto asks again with the next attempt: another adapter on the port may not echo at all.
    if (echoMode_ == EchoMode::Auto)
        echoFound_ = -1;
    return {ResultCode::Collision, 1};
}

ExchangeEngine::Outcome ExchangeEngine::SniffEcho(int function, uint8_t* reply, int& got) {
    // A reply that repeats its request is taken as it is: telling it from an echo would mean
    // reading past it. The first reply unlike its request tells whether the adapter echoes.
    if (MirrorsRequest(function) || FrameLength > ReplyBufferSize)
        return {kGoOn, 0};
    // Read as far as both readings agree: the reply its header announces, or the request.
    const int length = std::min(RtuFrame::ExpectedReplyLength(function, FrameLength, reply[2]),
                                int(ReplyBufferSize));
    const int common = std::min(length, FrameLength);
    if (const Outcome o = ReadMore(reply, RtuFrame::HeaderLength, common); o.code >= 0)
        return o;
    const bool request = std::equal(reply, reply + common, frame_);
    if (!request || (length < FrameLength && RtuFrame::CrcMatches(reply, length))) {
        // A reply that merely starts like its request (a block write's does).
        if (echoMode_ == EchoMode::Auto)
            echoFound_ = 0;
        if (const Outcome o = ReadMore(reply, common, length); o.code >= 0)
            return o;
        ReplyLength = length;
        const bool good = RtuFrame::CrcMatches(reply, length);
        ObserveReply(reply, length, good ? ReplyCheck::Good : ReplyCheck::BadCrc);
        return good ? Outcome{ResultCode::Ok, 0} : Outcome{ResultCode::Checksum, 2};
    }
    if (length < FrameLength) {
        uint8_t rest[FrameBufferSize];
        const int wanted = FrameLength - length;
        const int n = line_.read(rest, wanted);
        if (n < 0) {
            PortFailed();
            return {ResultCode::PortFailure, 0};
        }
        if (n != wanted || !std::equal(rest, rest + n, frame_ + length)) {
            ObserveHeard(reply, length);
            purgeBeforeRepeat_ = true;
            return {ResultCode::Collision, 1};
        }
    }
    // The whole request came back.
    if (echoMode_ == EchoMode::Off) {
        // Said plainly rather than left to end in a length or checksum error.
        ObserveHeard(frame_, FrameLength);
        purgeBeforeRepeat_ = true;
        return {ResultCode::OwnRequestHeard, 1};
    }
    got = line_.read(reply, RtuFrame::HeaderLength);
    if (got < 0) {
        PortFailed();
        return {ResultCode::PortFailure, 0};
    }
    if (got == 0 && length == FrameLength) {
        // Nothing after it: that was the device's own reply, as long as its request. Whether
        // the adapter echoes stays open.
        std::copy(frame_, frame_ + FrameLength, reply);
        ReplyLength = FrameLength;
        ObserveReply(reply, FrameLength, ReplyCheck::Good);
        return {ResultCode::Ok, 0};
    }
    echoFound_ = 1;
    return {kGoOn, 0};
}

ExchangeEngine::Outcome ExchangeEngine::ReadMore(uint8_t* reply, int have, int want) {
    if (want <= have)
        return {kGoOn, 0};
    const int n = line_.read(reply + have, want - have);
    if (n < 0) {
        PortFailed();
        return {ResultCode::PortFailure, 0};
    }
    if (n == want - have)
        return {kGoOn, 0};
    ObserveReply(reply, have + n, ReplyCheck::Short);
    purgeBeforeRepeat_ = true;
    return {n == 0 ? ResultCode::NoAnswer : ResultCode::Timeout, 2};
}
