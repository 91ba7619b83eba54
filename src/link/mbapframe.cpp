#include "link/mbapframe.h"

#include "link/rtuframe.h"

#include <algorithm>

namespace Mbap {

std::vector<uint8_t> RequestFromRtu(const uint8_t* frame, int count, uint16_t transaction) {
    const int pdu = count - 1 - RtuFrame::CrcLength;
    if (frame == nullptr || pdu < 1 || pdu + 1 > MaxLength)
        return {};
    const int length = pdu + 1;
    std::vector<uint8_t> request = {static_cast<uint8_t>(transaction >> 8),
                                    static_cast<uint8_t>(transaction & 0xFF),
                                    0,
                                    0,
                                    static_cast<uint8_t>(length >> 8),
                                    static_cast<uint8_t>(length & 0xFF),
                                    frame[0]};
    request.insert(request.end(), frame + 1, frame + 1 + pdu);
    return request;
}

} // namespace Mbap

void MbapReplyReader::Expect(uint16_t transaction, uint8_t unit) {
    expected_ = transaction;
    expectedUnit_ = unit;
    answered_ = false;
    gaveUpCode_ = 0;
    out_.clear();
    // A frame under way belongs to an earlier transaction now: it is skipped to its end.
    matching_ = false;
    rtu_.clear();
    released_ = 0;
}

void MbapReplyReader::Reset() {
    Expect(expected_, expectedUnit_);
    header_.clear();
    bodyLeft_ = 0;
}

void MbapReplyReader::Feed(const uint8_t* bytes, int count) {
    for (int i = 0; i < count; ++i) {
        if (bodyLeft_ == 0) {
            header_.push_back(bytes[i]);
            if (header_.size() < static_cast<size_t>(Mbap::HeaderLength))
                continue;
            StartFrame();
            if (bodyLeft_ == 0) {
                // No Modbus TCP header: nothing after it in this piece can be trusted either.
                // A gateway sends each reply in a piece of its own, so the next one is read
                // from its start.
                discarded_ += static_cast<uint64_t>(count - i - 1);
                break;
            }
            continue;
        }
        if (matching_)
            rtu_.push_back(bytes[i]);
        if (--bodyLeft_ == 0)
            EndFrame();
    }
    Release();
}

void MbapReplyReader::StartFrame() {
    const int protocol = header_[2] << 8 | header_[3];
    const int length = header_[4] << 8 | header_[5];
    const uint16_t transaction = static_cast<uint16_t>(header_[0] << 8 | header_[1]);
    const uint8_t unit = header_[6];
    if (protocol != 0 || length < 2 || length > Mbap::MaxLength) {
        discarded_ += header_.size();
        header_.clear();
        bodyLeft_ = 0;
        return;
    }
    header_.clear();
    frameLength_ = length;
    bodyLeft_ = length - 1;
    matching_ = transaction == expected_ && unit == expectedUnit_ && !answered_;
    rtu_.clear();
    released_ = 0;
    if (matching_)
        rtu_.push_back(unit);
}

void MbapReplyReader::EndFrame() {
    if (!matching_)
        return;
    matching_ = false;
    answered_ = true;
    if (rtu_.size() == 3 && (rtu_[1] & RtuFrame::ExceptionFlag) &&
        (rtu_[2] == Mbap::PathUnavailable || rtu_[2] == Mbap::TargetFailedToRespond)) {
        // The device's own exception codes stop at 7: this is the gateway speaking for a device
        // that did not answer, which the engine treats as a silent device and asks again.
        gaveUpCode_ = rtu_[2];
        rtu_.clear();
        released_ = 0;
        return;
    }
    const uint16_t crc = RtuFrame::Crc16(static_cast<int>(rtu_.size()), rtu_.data());
    rtu_.push_back(static_cast<uint8_t>(crc & 0xFF));
    rtu_.push_back(static_cast<uint8_t>(crc >> 8));
    Release();
    rtu_.clear();
    released_ = 0;
}

void MbapReplyReader::Release() {
    // A frame of length 3 may be the gateway's exception: it is held back until it is whole.
    const bool holdBack = matching_ && frameLength_ == 3;
    if (holdBack)
        return;
    out_.insert(out_.end(), rtu_.begin() + static_cast<std::ptrdiff_t>(released_), rtu_.end());
    released_ = rtu_.size();
}

int MbapReplyReader::Take(uint8_t* buffer, int count) {
    const int n = std::min(count, static_cast<int>(out_.size()));
    std::copy(out_.begin(), out_.begin() + n, buffer);
    out_.erase(out_.begin(), out_.begin() + n);
    return n;
}
