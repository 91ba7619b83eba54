#pragma once
// Modbus TCP on the line's side. The engine builds RTU frames (address, PDU, CRC) and reads RTU
// replies; a Modbus TCP gateway wants the MBAP header (transaction, protocol 0, length, unit) in
// place of the address and no CRC. The request is turned into MBAP on its way out, and the reply
// back into an RTU frame with a CRC of its own, so that the engine above sees the line it knows.
// No I/O here.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace Mbap {

constexpr int HeaderLength = 7; // transaction (2), protocol (2), length (2), unit (1)
// The length field counts the unit and the PDU; a PDU holds at most 253 bytes.
constexpr int MaxLength = 254;
// A gateway's own exceptions: no path to the line, and no answer from the device behind it.
constexpr uint8_t PathUnavailable = 0x0A;
constexpr uint8_t TargetFailedToRespond = 0x0B;

// The Modbus TCP request for an RTU frame of count bytes: the unit is the frame's address, the
// PDU what lies between the address and the CRC. Empty when the frame holds no PDU.
std::vector<uint8_t> RequestFromRtu(const uint8_t* frame, int count, uint16_t transaction);

} // namespace Mbap

// Takes the bytes as they come off the connection and gives out the expected reply as an RTU
// frame, byte by byte as its bytes arrive, so that a reply cut short reads as one cut short on a
// serial line. Replies to other transactions (late answers to earlier requests) and a second
// reply to the same one are skipped whole; the frames are followed across reads and purges.
class MbapReplyReader {
public:
    // From now on only the reply to this transaction from this unit counts (a reply naming
    // another unit is skipped whole, as one to another transaction); what was given out and not
    // taken is dropped.
    void Expect(uint16_t transaction, uint8_t unit);
    // Bytes as they came off the connection.
    void Feed(const uint8_t* bytes, int count);
    // Moves up to count bytes of the expected reply into buffer; the number moved.
    int Take(uint8_t* buffer, int count);
    int Available() const { return static_cast<int>(out_.size()); }
    // Forgets what was given out and not taken (a purge); the frame under way is followed on.
    void DropOutput() { out_.clear(); }
    // Forgets everything, a frame under way included (a new connection).
    void Reset();
    // The gateway answered for the device that it did not respond (or cannot be reached): the
    // reply will not come.
    bool GatewayGaveUp() const { return gaveUpCode_ != 0; }
    // Its exception code (0A or 0B), 0 when it did not.
    uint8_t GatewayException() const { return gaveUpCode_; }
    // Bytes dropped because they made no Modbus TCP header (not a Modbus TCP gateway).
    uint64_t Discarded() const { return discarded_; }

private:
    void StartFrame();
    void EndFrame();
    void Release();

    uint16_t expected_ = 0;
    bool answered_ = false;
    uint8_t expectedUnit_ = 0;
    uint8_t gaveUpCode_ = 0;
    std::vector<uint8_t> header_;
    int bodyLeft_ = 0;    // PDU bytes of the frame under way still to come
    int frameLength_ = 0; // its length field
    bool matching_ = false;
    std::vector<uint8_t> rtu_; // the matching frame as an RTU frame so far
    size_t released_ = 0;      // of rtu_, given out already
    std::deque<uint8_t> out_;
    uint64_t discarded_ = 0;
};
