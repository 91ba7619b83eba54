// The network image: function block fields, line settings, block deletion and the read reply.

#include "model/networkblocks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<uint8_t> Image(const NetworkBlocks& f) {
    return {f.Image, f.Image + 82};
}

TEST(Network, ConstructionState) {
    NetworkBlocks f;
    EXPECT_EQ(Image(f), std::vector<uint8_t>(82, 0));
    EXPECT_EQ(f.WriteLength, 82);
    EXPECT_EQ(f.MenuBlock, 0);
}

TEST(Network, BlockEditorExampleGivesItsBytes) {
    for (int block : {0, 1}) {
        NetworkBlocks f;
        f.PutByte(1 + 40 * block + 7, 0x01); // another flag bit, kept
        f.PutFunctionCode(block, 15);
        f.PutSlaveAddress(block, 5);
        f.PutInputCount(block, 8);
        f.PutStartAddress(block, 0x1A0);
        f.PutDataCount(block, 8);
        for (int k = 0; k < 8; ++k)
            f.PutSignal(block, k, k + 1);
        f.PutAcknowledge(block, 1);
        std::vector<uint8_t> expected(82, 0);
        const uint8_t bytes[] = {15, 8, 5, 0xA0, 0x01, 8, 0, 0x11, 1, 2, 3, 4, 5, 6, 7, 8};
        std::memcpy(expected.data() + 1 + 40 * block, bytes, sizeof bytes);
        EXPECT_EQ(Image(f), expected) << block;
        EXPECT_EQ(f.GetStartAddress(block), 0x1A0);
        EXPECT_EQ(f.GetDataCount(block), 8);
        EXPECT_EQ(f.GetAcknowledge(block), 1);
        EXPECT_EQ(f.GetReset(block), 0);
        EXPECT_EQ(f.GetSignal(block, 7), 8);
        EXPECT_EQ(f.GetFunctionCode(1 - block), 0);
    }
}

TEST(Network, SixteenBitFieldsAreLowByteFirst) {
    NetworkBlocks f;
    f.PutStartAddress(1, 0xBEEF);
    f.PutDataCount(1, 0x1234);
    EXPECT_EQ(f.Image[44], 0xEF);
    EXPECT_EQ(f.Image[45], 0xBE);
    EXPECT_EQ(f.Image[46], 0x34);
    EXPECT_EQ(f.Image[47], 0x12);
    EXPECT_EQ(f.GetStartAddress(1), 0xBEEF);
    EXPECT_EQ(f.GetDataCount(1), 0x1234);
}

TEST(Network, FlagSettersChangeOnlyTheirBit) {
    struct Case {
        uint8_t before;
        bool acknowledge; // which setter
        int value;
        uint8_t after;
    };
    const Case cases[] = {{0xFF, true, 0, 0xEF},  {0xFF, false, 0, 0xDF}, {0x00, true, 1, 0x10},
                          {0x00, false, 1, 0x20}, {0x10, false, 1, 0x30}, {0x30, true, 0, 0x20},
                          {0xEF, true, 1, 0xFF}};
    for (const Case& c : cases) {
        NetworkBlocks f;
        f.Image[8] = c.before; // block 0 flags
        if (c.acknowledge)
            f.PutAcknowledge(0, c.value);
        else
            f.PutReset(0, c.value);
        EXPECT_EQ(f.Image[8], c.after)
            << int(c.before) << (c.acknowledge ? " acknowledge " : " resetFlag ");
    }
}

TEST(Network, SpeedAndParityKeepTheUpperBits) {
    struct Case {
        uint8_t before;
        int skor;
        int parit;
        uint8_t after;
    };
    // 57600 is speed code 2, "1 стоп-бит с контр. четности" parity code 2
    const Case cases[] = {{0x00, 2, 2, 0x0A}, {0xF0, 2, 2, 0xFA}, {0xFF, 2, 2, 0xFA},
                          {0xFF, 0, 0, 0xF0}, {0x00, 3, 1, 0x0D}, {0x5F, 1, 3, 0x57}};
    for (const Case& c : cases) {
        NetworkBlocks f;
        f.Image[81] = c.before;
        f.PutSpeedCode(c.skor);
        f.PutParityCode(c.parit);
        EXPECT_EQ(f.Image[81], c.after) << int(c.before);
        EXPECT_EQ(f.GetSpeedCode(), c.skor);
        EXPECT_EQ(f.GetParityCode(), c.parit);
    }
    NetworkBlocks f;
    f.PutSpeedCode(0x7FFFFFFF); // too wide: only its two bits
    EXPECT_EQ(f.Image[81], 0x0C);
}

TEST(Network, DeletingBlockTwoKeepsItsFlags) {
    NetworkBlocks f;
    std::memset(f.Image, 0xFF, 82);
    f.DeleteBlock(1);
    for (int i = 0; i < 82; ++i) {
        const bool cleared = (i >= 41 && i <= 47) || (i >= 49 && i <= 80);
        EXPECT_EQ(f.Image[i], cleared ? 0 : 0xFF) << i;
    }
    f.DeleteBlock(0);
    for (int i = 1; i <= 40; ++i)
        EXPECT_EQ(f.Image[i], i == 8 ? 0xFF : 0) << i;
}

TEST(Network, OutOfRangeIsNeitherReadNorWritten) {
    NetworkBlocks f;
    std::memset(f.Image, 0xAB, 82);
    f.PutByte(82, 0);
    f.PutByte(-1, 0);
    f.PutFunctionCode(2, 0);
    f.PutFunctionCode(-1, 0);
    f.PutSignal(0, 32, 0);
    f.PutSignal(1, -1, 0);
    f.DeleteBlock(2);
    EXPECT_EQ(Image(f), std::vector<uint8_t>(82, 0xAB));
    EXPECT_EQ(f.GetByte(82), 0);
    EXPECT_EQ(f.GetInputCount(2), 0);
    EXPECT_EQ(f.GetSignal(0, 32), 0);
}

std::vector<uint8_t> ImageReply(int byteCount, int dataBytes) {
    std::vector<uint8_t> reply = {0x03, 0x44, static_cast<uint8_t>(byteCount)};
    for (int i = 0; i < dataBytes; ++i)
        reply.push_back(static_cast<uint8_t>(0x80 + i));
    return reply;
}

TEST(Network, ReadReplyOfEightyTwoBytes) {
    NetworkBlocks f;
    std::vector<uint8_t> reply = ImageReply(82, 82);
    reply.push_back(0x12); // CRC
    reply.push_back(0x34);
    ASSERT_TRUE(f.LoadReply(68, reply.data(), static_cast<int>(reply.size())));
    for (int i = 0; i < 82; ++i)
        EXPECT_EQ(f.Image[i], 0x80 + i);
    EXPECT_EQ(f.GetWriteLength(), 82);
}

TEST(Network, ReplyOfAnotherFunctionIsIgnored) {
    NetworkBlocks f;
    f.Image[5] = 7;
    std::vector<uint8_t> reply = ImageReply(82, 82);
    EXPECT_FALSE(f.LoadReply(69, reply.data(), static_cast<int>(reply.size())));
    EXPECT_FALSE(f.LoadReply(68, nullptr, 100));
    EXPECT_FALSE(f.LoadReply(68, reply.data(), 2));
    EXPECT_EQ(f.Image[5], 7);
    EXPECT_EQ(f.WriteLength, 82);
}

TEST(Network, ShortReplyIsZeroFilledAndLongReplyCut) {
    NetworkBlocks f;
    std::memset(f.Image, 0xEE, 82);
    std::vector<uint8_t> shortReply = ImageReply(40, 40);
    ASSERT_TRUE(f.LoadReply(68, shortReply.data(), static_cast<int>(shortReply.size())));
    for (int i = 0; i < 82; ++i)
        EXPECT_EQ(f.Image[i], i < 40 ? 0x80 + i : 0) << i;
    EXPECT_EQ(f.GetWriteLength(), 40);
    std::vector<uint8_t> longReply = ImageReply(100, 100);
    ASSERT_TRUE(f.LoadReply(68, longReply.data(), static_cast<int>(longReply.size())));
    EXPECT_EQ(f.Image[81], 0x80 + 81);
    EXPECT_EQ(f.WriteLength, 82);
    // claims 82 but the buffer ends after 10: only those 10 are taken
    std::vector<uint8_t> cut = ImageReply(82, 10);
    ASSERT_TRUE(f.LoadReply(68, cut.data(), static_cast<int>(cut.size())));
    EXPECT_EQ(f.Image[9], 0x89);
    EXPECT_EQ(f.Image[10], 0);
    std::vector<uint8_t> none = ImageReply(0, 0);
    ASSERT_TRUE(f.LoadReply(68, none.data(), static_cast<int>(none.size())));
    EXPECT_EQ(Image(f), std::vector<uint8_t>(82, 0));
    EXPECT_EQ(f.GetWriteLength(), 1);
}

TEST(Network, WriteDataStartsWithBlockSeventeen) {
    NetworkBlocks f;
    for (int i = 0; i < 82; ++i)
        f.Image[i] = static_cast<uint8_t>(i + 100);
    std::vector<uint8_t> data = f.WriteData();
    ASSERT_EQ(data.size(), 82u);
    EXPECT_EQ(data[0], 17);
    EXPECT_EQ(data[1], 101);
    EXPECT_EQ(data[81], 181);
    f.PutWriteLength(30);
    EXPECT_EQ(f.WriteData().size(), 30u);
    f.WriteLength = 500; // stored directly
    EXPECT_EQ(f.WriteData().size(), 82u);
    f.WriteLength = -5;
    EXPECT_EQ(f.WriteData(), std::vector<uint8_t>{17});
}

} // namespace
