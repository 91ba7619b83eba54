#include "model/progf15class.h"

#include <algorithm>
#include <cstring>

namespace {

// Offsets inside a function block.
constexpr int OffKodF = 0;
constexpr int OffKolVh = 1;
constexpr int OffAdrSlave = 2;
constexpr int OffAdrBegDat = 3;
constexpr int OffKolDat = 5;
constexpr int OffFlags = 7;
constexpr int OffSign = 8;

constexpr int KvitBit = 0x10;
constexpr int SbrosBit = 0x20;
constexpr int ParitMask = 0x03;
constexpr int SkorMask = 0x0C;
constexpr int SkorShift = 2;

constexpr int ReadFunction = 68;
constexpr int ReplyHeader = 3; // address, function, byte count

} // namespace

int TProgF15Class::GetByte(int i) const {
    return i >= 0 && i < ImageSize ? BufF15[i] : 0;
}

void TProgF15Class::PutByte(int i, int value) {
    if (i >= 0 && i < ImageSize)
        BufF15[i] = static_cast<uint8_t>(value);
}

uint8_t* TProgF15Class::Block(int block) {
    return block >= 0 && block < KolBlock ? BufF15 + 1 + BlockSize * block : nullptr;
}

const uint8_t* TProgF15Class::Block(int block) const {
    return block >= 0 && block < KolBlock ? BufF15 + 1 + BlockSize * block : nullptr;
}

int TProgF15Class::GetBlockByte(int block, int offset) const {
    const uint8_t* b = Block(block);
    return b ? b[offset] : 0;
}

void TProgF15Class::PutBlockByte(int block, int offset, int value) {
    if (uint8_t* b = Block(block))
        b[offset] = static_cast<uint8_t>(value);
}

int TProgF15Class::GetKodF(int block) const {
    return GetBlockByte(block, OffKodF);
}
void TProgF15Class::PutKodF(int block, int value) {
    PutBlockByte(block, OffKodF, value);
}
int TProgF15Class::GetKolVh(int block) const {
    return GetBlockByte(block, OffKolVh);
}
void TProgF15Class::PutKolVh(int block, int value) {
    PutBlockByte(block, OffKolVh, value);
}
int TProgF15Class::GetAdrSlave(int block) const {
    return GetBlockByte(block, OffAdrSlave);
}
void TProgF15Class::PutAdrSlave(int block, int value) {
    PutBlockByte(block, OffAdrSlave, value);
}

int TProgF15Class::GetAdrBegDat(int block) const {
    return GetBlockByte(block, OffAdrBegDat) | GetBlockByte(block, OffAdrBegDat + 1) << 8;
}

void TProgF15Class::PutAdrBegDat(int block, int value) {
    PutBlockByte(block, OffAdrBegDat, value & 0xFF);
    PutBlockByte(block, OffAdrBegDat + 1, (value >> 8) & 0xFF);
}

int TProgF15Class::GetKolDat(int block) const {
    return GetBlockByte(block, OffKolDat) | GetBlockByte(block, OffKolDat + 1) << 8;
}

void TProgF15Class::PutKolDat(int block, int value) {
    PutBlockByte(block, OffKolDat, value & 0xFF);
    PutBlockByte(block, OffKolDat + 1, (value >> 8) & 0xFF);
}

int TProgF15Class::GetKvit(int block) const {
    return (GetBlockByte(block, OffFlags) & KvitBit) ? 1 : 0;
}

void TProgF15Class::PutKvit(int block, int value) {
    const int flags = GetBlockByte(block, OffFlags);
    PutBlockByte(block, OffFlags, (value & 1) ? flags | KvitBit : flags & ~KvitBit);
}

int TProgF15Class::GetSbros(int block) const {
    return (GetBlockByte(block, OffFlags) & SbrosBit) ? 1 : 0;
}

void TProgF15Class::PutSbros(int block, int value) {
    const int flags = GetBlockByte(block, OffFlags);
    PutBlockByte(block, OffFlags, (value & 1) ? flags | SbrosBit : flags & ~SbrosBit);
}

int TProgF15Class::GetNumSign(int block, int k) const {
    return k >= 0 && k < KolSign ? GetBlockByte(block, OffSign + k) : 0;
}

void TProgF15Class::PutNumSign(int block, int k, int value) {
    if (k >= 0 && k < KolSign)
        PutBlockByte(block, OffSign + k, value);
}

void TProgF15Class::DeleteBlock(int block) {
    uint8_t* b = Block(block);
    if (!b)
        return;
    std::memset(b, 0, OffFlags);
    std::memset(b + OffSign, 0, KolSign);
}

int TProgF15Class::GetSkor() const {
    return (BufF15[SettingsByte] & SkorMask) >> SkorShift;
}

void TProgF15Class::PutSkor(int code) {
    uint8_t& b = BufF15[SettingsByte];
    b = static_cast<uint8_t>((b & ~SkorMask) | ((code & (SkorMask >> SkorShift)) << SkorShift));
}

int TProgF15Class::GetParit() const {
    return BufF15[SettingsByte] & ParitMask;
}

void TProgF15Class::PutParit(int code) {
    uint8_t& b = BufF15[SettingsByte];
    b = static_cast<uint8_t>((b & ~ParitMask) | (code & ParitMask));
}

bool TProgF15Class::LoadReply(int function, const uint8_t* reply, int replyLength) {
    if (function != ReadFunction || reply == nullptr || replyLength < ReplyHeader)
        return false;
    const int byteCount = reply[2];
    // Only what the reply really holds is copied; an image shorter than 82 is zero-filled.
    const int n = std::min({byteCount, ImageSize, replyLength - ReplyHeader});
    std::memset(BufF15, 0, ImageSize);
    std::memcpy(BufF15, reply + ReplyHeader, n);
    PutLenF15(byteCount);
    return true;
}

int TProgF15Class::GetLenF15() const {
    return std::clamp(LenF15, 1, ImageSize);
}

void TProgF15Class::PutLenF15(int length) {
    LenF15 = std::clamp(length, 1, ImageSize);
}

std::vector<uint8_t> TProgF15Class::WriteData() const {
    const int n = GetLenF15();
    std::vector<uint8_t> data(BufF15, BufF15 + n);
    data[0] = BlockNumber; // whatever the image's own byte 0 says
    return data;
}
