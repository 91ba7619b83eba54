#pragma once
// The network image: block 17 of the device, its own RS-485 line settings and its two ModBus
// master F15 function blocks, with the byte count to write and the edit state beside it.

#include <cstdint>
#include <span>
#include <vector>

class NetworkBlocks {
public:
    static constexpr int ImageSize = 82;
    static constexpr int BlockNumber = 17; // device data block of the image
    static constexpr int BlockCount = 2;
    static constexpr int BlockSize = 40;
    static constexpr int SignalCount = 32;
    static constexpr int SettingsByte = 81;

    uint8_t Image[ImageSize] = {};
    // Bytes a write sends (block number included): 1..82.
    int WriteLength = ImageSize;
    // Block (0 or 1) whose button last got a right mouse press.
    int MenuBlock = 0;

    // Image byte i (0..81); out of range reads 0 and is not written.
    int GetByte(int i) const;
    void PutByte(int i, int value);

    // Fields of function block 0 or 1; a block or signal out of range reads 0 and is not
    // written. Values are cut to their field's width.
    int GetFunctionCode(int block) const;
    void PutFunctionCode(int block, int value);
    int GetInputCount(int block) const;
    void PutInputCount(int block, int value);
    int GetSlaveAddress(int block) const;
    void PutSlaveAddress(int block, int value);
    int GetStartAddress(int block) const; // 16 bits, low byte first
    void PutStartAddress(int block, int value);
    int GetDataCount(int block) const; // 16 bits, low byte first
    void PutDataCount(int block, int value);
    int GetAcknowledge(int block) const; // flags bit 4, external acknowledge
    void PutAcknowledge(int block, int value);
    int GetReset(int block) const; // flags bit 5, external reset
    void PutReset(int block, int value);
    int GetSignal(int block, int k) const; // signal of block input k (0..31)
    void PutSignal(int block, int k, int value);
    // Clears function code, slave address, start address, number of inputs, data count and all
    // 32 signals of the block; its flags byte stays.
    void DeleteBlock(int block);

    // Line settings in byte 81: speed code in bits 2-3, parity code in bits 0-1.
    int GetSpeedCode() const;
    void PutSpeedCode(int code);
    int GetParityCode() const;
    void PutParityCode(int code);

    // Image from a read reply (address, function, byte count, image...). Only a reply to
    // function 68 is taken: the bytes it holds, up to 82, the rest zero; the byte count it
    // reports becomes the write length, within 1..82. replyLength is the number of valid bytes
    // in reply. Returns whether the reply was taken.
    bool LoadReply(int function, const uint8_t* reply, int replyLength);
    // The same from the reply's data bytes alone.
    void LoadImage(std::span<const uint8_t> data);
    // The write length, within 1..82 whatever was stored in the field.
    int GetWriteLength() const;
    void PutWriteLength(int length);
    // Data of the block write (function 69): 17, then image bytes 1 .. length - 1.
    std::vector<uint8_t> WriteData() const;

private:
    uint8_t* Block(int block);
    const uint8_t* Block(int block) const;
    int GetBlockByte(int block, int offset) const;
    void PutBlockByte(int block, int offset, int value);
};
