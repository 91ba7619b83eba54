// The network image loader (a function-68 reply of any length and byte count) and the image's
// accessors: the image holds at most 82 bytes, a write never carries more than that, and
// nothing beyond what the reply holds is copied.

#include "fuzzline.h"

#include "model/networkblocks.h"

#include <algorithm>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider in(bytes, size);
    const int function = in.ConsumeBool() ? 68 : in.ConsumeIntegral<uint8_t>();
    const std::vector<uint8_t> reply = in.ConsumeRemainingBytes<uint8_t>();

    NetworkBlocks f15;
    std::memset(f15.Image, 0xEE, sizeof f15.Image);
    const bool taken =
        f15.LoadReply(function, reply.empty() ? nullptr : reply.data(), int(reply.size()));
    if (!taken) {
        FUZZ_CHECK(function != 68 || reply.size() < 3);
        FUZZ_CHECK(f15.Image[0] == 0xEE && f15.Image[81] == 0xEE);
        return 0;
    }
    FUZZ_CHECK(function == 68);
    const int held = std::min<int>({reply[2], 82, int(reply.size()) - 3});
    FUZZ_CHECK(std::equal(f15.Image, f15.Image + held, reply.begin() + 3));
    FUZZ_CHECK(std::all_of(f15.Image + held, f15.Image + 82, [](uint8_t b) { return b == 0; }));
    const std::vector<uint8_t> write = f15.WriteData();
    FUZZ_CHECK(!write.empty() && write.size() <= 82 && write[0] == 17);

    // Every accessor over the loaded image, and a round trip of each writable field.
    for (int block = -1; block <= 2; ++block) {
        (void)f15.GetFunctionCode(block), (void)f15.GetInputCount(block),
            (void)f15.GetSlaveAddress(block);
        (void)f15.GetStartAddress(block), (void)f15.GetDataCount(block);
        (void)f15.GetAcknowledge(block), (void)f15.GetReset(block);
        for (int k = -1; k <= 32; ++k)
            (void)f15.GetSignal(block, k);
    }
    const int block = in.ConsumeIntegralInRange(0, 1);
    const int value = reply.size() > 4 ? reply[3] | (reply[4] << 8) : 0;
    f15.PutStartAddress(block, value);
    FUZZ_CHECK(f15.GetStartAddress(block) == value);
    const int flags = f15.GetByte(3 + 40 * block);
    f15.PutAcknowledge(block, 1);
    f15.PutReset(block, 0);
    FUZZ_CHECK(f15.GetAcknowledge(block) == 1 && f15.GetReset(block) == 0);
    (void)flags;
    f15.DeleteBlock(block);
    FUZZ_CHECK(f15.GetFunctionCode(block) == 0 && f15.GetDataCount(block) == 0);
    (void)f15.GetSpeedCode(), (void)f15.GetParityCode();
    return 0;
}
