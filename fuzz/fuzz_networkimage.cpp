// The network image loader (a function-68 reply of any length and byte count) and the image's
// accessors: the image holds at most 82 bytes, a write never carries more than that, and
// nothing beyond what the reply holds is copied.

#include "fuzzline.h"

#include "model/progf15class.h"

#include <algorithm>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider in(bytes, size);
    const int function = in.ConsumeBool() ? 68 : in.ConsumeIntegral<uint8_t>();
    const std::vector<uint8_t> reply = in.ConsumeRemainingBytes<uint8_t>();

    TProgF15Class f15;
    std::memset(f15.BufF15, 0xEE, sizeof f15.BufF15);
    const bool taken =
        f15.LoadReply(function, reply.empty() ? nullptr : reply.data(), int(reply.size()));
    if (!taken) {
        FUZZ_CHECK(function != 68 || reply.size() < 3);
        FUZZ_CHECK(f15.BufF15[0] == 0xEE && f15.BufF15[81] == 0xEE);
        return 0;
    }
    FUZZ_CHECK(function == 68);
    const int held = std::min<int>({reply[2], 82, int(reply.size()) - 3});
    FUZZ_CHECK(std::equal(f15.BufF15, f15.BufF15 + held, reply.begin() + 3));
    FUZZ_CHECK(std::all_of(f15.BufF15 + held, f15.BufF15 + 82, [](uint8_t b) { return b == 0; }));
    const std::vector<uint8_t> write = f15.WriteData();
    FUZZ_CHECK(!write.empty() && write.size() <= 82 && write[0] == 17);

    // Every accessor over the loaded image, and a round trip of each writable field.
    for (int block = -1; block <= 2; ++block) {
        (void)f15.GetKodF(block), (void)f15.GetKolVh(block), (void)f15.GetAdrSlave(block);
        (void)f15.GetAdrBegDat(block), (void)f15.GetKolDat(block);
        (void)f15.GetKvit(block), (void)f15.GetSbros(block);
        for (int k = -1; k <= 32; ++k)
            (void)f15.GetNumSign(block, k);
    }
    const int block = in.ConsumeIntegralInRange(0, 1);
    const int value = reply.size() > 4 ? reply[3] | (reply[4] << 8) : 0;
    f15.PutAdrBegDat(block, value);
    FUZZ_CHECK(f15.GetAdrBegDat(block) == value);
    const int flags = f15.GetByte(3 + 40 * block);
    f15.PutKvit(block, 1);
    f15.PutSbros(block, 0);
    FUZZ_CHECK(f15.GetKvit(block) == 1 && f15.GetSbros(block) == 0);
    (void)flags;
    f15.DeleteBlock(block);
    FUZZ_CHECK(f15.GetKodF(block) == 0 && f15.GetKolDat(block) == 0);
    (void)f15.GetSkor(), (void)f15.GetParit();
    return 0;
}
