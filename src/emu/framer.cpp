#include "emu/framer.h"

#include "emu/crc16.h"

namespace emu {

namespace {

// Longest frame tried when salvaging: 255 data bytes plus address, function and CRC.
constexpr size_t kMaxFrame = 259;

int WriteBlockLength(uint8_t block) {
    if (block >= 1 && block <= 6)
        return 2 + 19 + 2;
    if (block == 17)
        return 2 + 82 + 2;
    if (block == 99)
        return 2 + 2 + 2;
    return -1;
}

// The length of the frame of the function's own length that starts at `start`, 0 when it
// does not check there.
size_t KnownFrameAt(const std::vector<uint8_t>& buf, size_t start) {
    const uint8_t* p = buf.data() + start;
    const size_t avail = buf.size() - start;
    const int expected = Framer::ExpectedLength(p, avail);
    if (expected > 0 && size_t(expected) <= avail && CrcChecks(p, size_t(expected)))
        return size_t(expected);
    return 0;
}

// The longest CRC-checked frame of any length that starts at `start`, 0 when none; with
// `wholeOnly`, only a frame that reaches the end of the buffer counts.
size_t AnyFrameAt(const std::vector<uint8_t>& buf, size_t start, bool wholeOnly) {
    const uint8_t* p = buf.data() + start;
    const size_t avail = buf.size() - start;
    const size_t limit = avail < kMaxFrame ? avail : kMaxFrame;
    size_t best = 0;
    uint16_t crc = 0xFFFF; // running, so that trying every end costs one pass
    for (size_t i = 0; i + 2 < limit; ++i) {
        crc ^= p[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001u)
                             : static_cast<uint16_t>(crc >> 1);
        const size_t len = i + 3;
        if (len >= 4 && p[i + 1] == (crc & 0xFF) && p[i + 2] == (crc >> 8) &&
            (!wholeOnly || len == avail))
            best = len;
    }
    return best;
}

} // namespace

Framer::Framer(std::chrono::microseconds shortGap, std::chrono::microseconds longGap)
    : shortGap_(shortGap), longGap_(longGap) {}

int Framer::ExpectedLength(const uint8_t* bytes, size_t count) {
    if (count < 2)
        return 0;
    switch (bytes[1]) {
    case 17: // report configuration
    case 14: // poll
        return 4;
    case 68: // read block
        return 5;
    case 70: // set clock: the seven values
        return 11;
    case 69: // write block: the block decides
        return count < 3 ? 0 : WriteBlockLength(bytes[2]);
    case 1: // the standard Modbus reads and single writes other peers may send
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
        return 8;
    case 15: // multiple writes: the byte count at offset 6
    case 16:
        return count < 7 ? 0 : 9 + bytes[6];
    default:
        return -1;
    }
}

Framer::Frames Framer::Push(const uint8_t* bytes, size_t count, TimePoint now) {
    Frames out;
    if (count == 0)
        return out;
    buffer_.insert(buffer_.end(), bytes, bytes + count);
    last_ = now;
    stuck_ = false;
    TakeComplete(out);
    if (buffer_.size() > kMaxPending)
        Drop(buffer_.size() - kMaxPending);
    return out;
}

void Framer::TakeComplete(Frames& out) {
    while (!buffer_.empty()) {
        const int expected = ExpectedLength(buffer_.data(), buffer_.size());
        if (expected < 0) {
            stuck_ = true;
            return;
        }
        if (expected == 0 || buffer_.size() < size_t(expected)) {
            // a frame that already checks at the end (function 70 without data, or a request
            // behind some noise) need not wait for the long silence
            stuck_ = EndsWithFrame();
            return;
        }
        if (!CrcChecks(buffer_.data(), size_t(expected))) {
            stuck_ = true;
            return;
        }
        out.emplace_back(buffer_.begin(), buffer_.begin() + expected);
        buffer_.erase(buffer_.begin(), buffer_.begin() + expected);
    }
}

std::optional<Framer::TimePoint> Framer::Deadline() const {
    if (buffer_.empty())
        return std::nullopt;
    return last_ + (stuck_ ? shortGap_ : longGap_);
}

Framer::Frames Framer::Expire(TimePoint now) {
    Frames out;
    const auto deadline = Deadline();
    if (!deadline || now < *deadline)
        return out;
    while (Salvage(out)) {
    }
    Drop(buffer_.size());
    stuck_ = false;
    return out;
}

bool Framer::EndsWithFrame() const {
    for (size_t start = 0; start + 4 <= buffer_.size(); ++start)
        if (AnyFrameAt(buffer_, start, true) != 0)
            return true;
    return false;
}

bool Framer::Salvage(Frames& out) {
    // a frame of its function's own length is far less likely to be a chance match in noise
    // than one of any length, so those are looked for first
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t start = 0; start + 4 <= buffer_.size(); ++start) {
            const size_t len =
                pass == 0 ? KnownFrameAt(buffer_, start) : AnyFrameAt(buffer_, start, false);
            if (len == 0)
                continue;
            Drop(start);
            out.emplace_back(buffer_.begin(), buffer_.begin() + len);
            buffer_.erase(buffer_.begin(), buffer_.begin() + len);
            return true;
        }
    }
    return false;
}

void Framer::Drop(size_t count) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + count);
    dropped_ += count;
}

} // namespace emu
