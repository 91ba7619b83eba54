#include "emu/linepacing.h"

#include <algorithm>
#include <termios.h>

namespace emu {

namespace {

struct SpeedCode {
    speed_t code;
    int baud;
};

constexpr SpeedCode kSpeeds[] = {
    {B50, 50},         {B75, 75},         {B110, 110},         {B134, 134},       {B150, 150},
    {B200, 200},       {B300, 300},       {B600, 600},         {B1200, 1200},     {B1800, 1800},
    {B2400, 2400},     {B4800, 4800},     {B9600, 9600},       {B19200, 19200},   {B38400, 38400},
    {B57600, 57600},   {B115200, 115200}, {B230400, 230400},   {B460800, 460800}, {B500000, 500000},
    {B576000, 576000}, {B921600, 921600}, {B1000000, 1000000},
};

} // namespace

std::chrono::nanoseconds CharFormat::CharTime() const {
    const int rate = baud > 0 ? baud : 9600;
    return std::chrono::nanoseconds(static_cast<int64_t>(bits) * 1'000'000'000 / rate);
}

bool ReadCharFormat(int fd, CharFormat* format) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    const speed_t code = ::cfgetospeed(&tio);
    int baud = 0;
    for (const SpeedCode& s : kSpeeds)
        if (s.code == code)
            baud = s.baud;
    // Speeds without a code of their own (14400, 56000) are set as a plain number.
    if (baud == 0)
        baud = ReadCustomBaud(fd);
    if (baud <= 0)
        return false;
    int data = 8;
    switch (tio.c_cflag & CSIZE) {
    case CS5:
        data = 5;
        break;
    case CS6:
        data = 6;
        break;
    case CS7:
        data = 7;
        break;
    default:
        break;
    }
    format->baud = baud;
    format->bits = 1 + data + ((tio.c_cflag & PARENB) ? 1 : 0) + ((tio.c_cflag & CSTOPB) ? 2 : 1);
    return true;
}

LineTimer::TimePoint LineTimer::RequestIn(size_t count, TimePoint now, const Pacing& pacing,
                                          const CharFormat& format) {
    if (!pacing.pace)
        return now;
    const TimePoint start = std::max(now, inFree_);
    inFree_ = start + format.CharTime() * static_cast<int64_t>(count);
    return inFree_;
}

std::vector<LineTimer::Chunk> LineTimer::Reply(const std::vector<uint8_t>& bytes,
                                               TimePoint requestEnd, const Pacing& pacing,
                                               const CharFormat& format) {
    std::vector<Chunk> chunks;
    if (bytes.empty())
        return chunks;
    const TimePoint start =
        std::max(requestEnd + std::chrono::milliseconds(pacing.Turnaround()), outFree_);
    const auto charTime = pacing.pace ? format.CharTime() : std::chrono::nanoseconds(0);
    const auto latency = std::chrono::milliseconds(pacing.latencyMs);
    // the adapter's timer runs from the reply's first bit; without one every byte goes alone
    TimePoint tick = start;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const TimePoint end = start + charTime * static_cast<int64_t>(i + 1);
        TimePoint due = end;
        if (latency.count() > 0) {
            while (tick < end || tick == start)
                tick += latency;
            due = tick;
        }
        if (chunks.empty() || chunks.back().due != due)
            chunks.push_back({due, {}});
        chunks.back().bytes.push_back(bytes[i]);
    }
    chunks.back().last = true;
    outFree_ = start + charTime * static_cast<int64_t>(bytes.size());
    return chunks;
}

} // namespace emu
