#include "model/networkblocks.h"

#include <algorithm>
#include <cstring>

namespace {

// Offsets inside a function block.
constexpr int FunctionCodeAt = 0;
constexpr int InputCountAt = 1;
constexpr int SlaveAddressAt = 2;
constexpr int StartAddressAt = 3;
constexpr int DataCountAt = 5;
constexpr int FlagsAt = 7;
constexpr int SignalsAt = 8;

constexpr int AcknowledgeBit = 0x10;
constexpr int ResetBit = 0x20;
constexpr int ParityMask = 0x03;
constexpr int SpeedMask = 0x0C;
constexpr int SpeedShift = 2;

constexpr int ReadFunction = 68;
constexpr int ReplyHeader = 3; // address, function, byte count

} // namespace

int NetworkBlocks::GetByte(int i) const {
    return i >= 0 && i < ImageSize ? Image[i] : 0;
}

void NetworkBlocks::PutByte(int i, int value) {
    if (i >= 0 && i < ImageSize)
        Image[i] = static_cast<uint8_t>(value);
}

uint8_t* NetworkBlocks::Block(int block) {
    return block >= 0 && block < BlockCount ? Image + 1 + BlockSize * block : nullptr;
}

const uint8_t* NetworkBlocks::Block(int block) const {
    return block >= 0 && block < BlockCount ? Image + 1 + BlockSize * block : nullptr;
}

int NetworkBlocks::GetBlockByte(int block, int offset) const {
    const uint8_t* b = Block(block);
    return b ? b[offset] : 0;
}

void NetworkBlocks::PutBlockByte(int block, int offset, int value) {
    if (uint8_t* b = Block(block))
        b[offset] = static_cast<uint8_t>(value);
}

int NetworkBlocks::GetFunctionCode(int block) const {
    return GetBlockByte(block, FunctionCodeAt);
}
void NetworkBlocks::PutFunctionCode(int block, int value) {
    PutBlockByte(block, FunctionCodeAt, value);
}
int NetworkBlocks::GetInputCount(int block) const {
    return GetBlockByte(block, InputCountAt);
}
void NetworkBlocks::PutInputCount(int block, int value) {
    PutBlockByte(block, InputCountAt, value);
}
int NetworkBlocks::GetSlaveAddress(int block) const {
    return GetBlockByte(block, SlaveAddressAt);
}
void NetworkBlocks::PutSlaveAddress(int block, int value) {
    PutBlockByte(block, SlaveAddressAt, value);
}

int NetworkBlocks::GetStartAddress(int block) const {
    return GetBlockByte(block, StartAddressAt) | GetBlockByte(block, StartAddressAt + 1) << 8;
}

void NetworkBlocks::PutStartAddress(int block, int value) {
    PutBlockByte(block, StartAddressAt, value & 0xFF);
    PutBlockByte(block, StartAddressAt + 1, (value >> 8) & 0xFF);
}

int NetworkBlocks::GetDataCount(int block) const {
    return GetBlockByte(block, DataCountAt) | GetBlockByte(block, DataCountAt + 1) << 8;
}

void NetworkBlocks::PutDataCount(int block, int value) {
    PutBlockByte(block, DataCountAt, value & 0xFF);
    PutBlockByte(block, DataCountAt + 1, (value >> 8) & 0xFF);
}

int NetworkBlocks::GetAcknowledge(int block) const {
    return (GetBlockByte(block, FlagsAt) & AcknowledgeBit) ? 1 : 0;
}

void NetworkBlocks::PutAcknowledge(int block, int value) {
    const int flags = GetBlockByte(block, FlagsAt);
    PutBlockByte(block, FlagsAt, (value & 1) ? flags | AcknowledgeBit : flags & ~AcknowledgeBit);
}

int NetworkBlocks::GetReset(int block) const {
    return (GetBlockByte(block, FlagsAt) & ResetBit) ? 1 : 0;
}

void NetworkBlocks::PutReset(int block, int value) {
    const int flags = GetBlockByte(block, FlagsAt);
    PutBlockByte(block, FlagsAt, (value & 1) ? flags | ResetBit : flags & ~ResetBit);
}

int NetworkBlocks::GetSignal(int block, int k) const {
    return k >= 0 && k < SignalCount ? GetBlockByte(block, SignalsAt + k) : 0;
}

void NetworkBlocks::PutSignal(int block, int k, int value) {
    if (k >= 0 && k < SignalCount)
        PutBlockByte(block, SignalsAt + k, value);
}

void NetworkBlocks::DeleteBlock(int block) {
    uint8_t* b = Block(block);
    if (!b)
        return;
    std::memset(b, 0, FlagsAt);
    std::memset(b + SignalsAt, 0, SignalCount);
}

int NetworkBlocks::GetSpeedCode() const {
    return (Image[SettingsByte] & SpeedMask) >> SpeedShift;
}

void NetworkBlocks::PutSpeedCode(int code) {
    uint8_t& b = Image[SettingsByte];
    b = static_cast<uint8_t>((b & ~SpeedMask) | ((code & (SpeedMask >> SpeedShift)) << SpeedShift));
}

int NetworkBlocks::GetParityCode() const {
    return Image[SettingsByte] & ParityMask;
}

void NetworkBlocks::PutParityCode(int code) {
    uint8_t& b = Image[SettingsByte];
    b = static_cast<uint8_t>((b & ~ParityMask) | (code & ParityMask));
}

bool NetworkBlocks::LoadReply(int function, const uint8_t* reply, int replyLength) {
    if (function != ReadFunction || reply == nullptr || replyLength < ReplyHeader)
        return false;
    const int byteCount = reply[2];
    // Only what the reply really holds is copied; an image shorter than 82 is zero-filled.
    const int n = std::min({byteCount, ImageSize, replyLength - ReplyHeader});
    std::memset(Image, 0, ImageSize);
    std::memcpy(Image, reply + ReplyHeader, n);
    PutWriteLength(byteCount);
    return true;
}

void NetworkBlocks::LoadImage(std::span<const uint8_t> data) {
    const int n = std::min<int>(int(data.size()), ImageSize);
    std::memset(Image, 0, ImageSize);
    std::memcpy(Image, data.data(), size_t(n));
    PutWriteLength(int(data.size()));
}

int NetworkBlocks::GetWriteLength() const {
    return std::clamp(WriteLength, 1, ImageSize);
}

void NetworkBlocks::PutWriteLength(int length) {
    WriteLength = std::clamp(length, 1, ImageSize);
}

std::vector<uint8_t> NetworkBlocks::WriteData() const {
    const int n = GetWriteLength();
    std::vector<uint8_t> data(Image, Image + n);
    data[0] = BlockNumber; // whatever the image's own byte 0 says
    return data;
}
