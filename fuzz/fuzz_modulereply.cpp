// The module block loader (function 68, blocks 1..6) and the configuration loader (function 17)
// fed replies of any length and byte count: a refused reply changes nothing, a taken one fills
// exactly the 18 record bytes, and the derived module list stays within six modules of 16 slots.

#include "fuzzline.h"

#include "model/inputprogram.h"
#include "model/moduleconfig.h"

#include <algorithm>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider in(bytes, size);
    const int mod = in.ConsumeIntegralInRange(0, 5);
    const int function = in.ConsumeBool() ? 17 : in.ConsumeIntegral<uint8_t>();
    const std::vector<uint8_t> reply = in.ConsumeRemainingBytes<uint8_t>();
    const uint8_t* data = reply.empty() ? nullptr : reply.data();
    const int length = int(reply.size());

    InputProgram lum;
    std::memset(lum.ModuleBuffer, 0xEE, sizeof lum.ModuleBuffer);
    const int code = lum.PutModuleReply(data, length);
    if (code == 0) {
        FUZZ_CHECK(length >= 22 && reply[2] >= 19);
        FUZZ_CHECK(std::equal(lum.ModuleBuffer, lum.ModuleBuffer + 18, reply.begin() + 4));
        lum.PutModuleWriteLength(reply[2]);
        lum.ModuleBufferToRecords(mod);
        const std::vector<uint8_t> write = lum.ModuleWriteData(mod);
        FUZZ_CHECK(write.size() == 19 && write[0] == mod + 1);
        FUZZ_CHECK(std::equal(write.begin() + 1, write.end(), reply.begin() + 4));
    } else {
        FUZZ_CHECK(code == 128);
        FUZZ_CHECK(std::all_of(lum.ModuleBuffer, lum.ModuleBuffer + 18,
                               [](uint8_t b) { return b == 0xEE; }));
    }

    ModuleConfig serv;
    const bool taken = serv.PutConfigReply(function, data, length);
    FUZZ_CHECK(taken == (function == 17 && length >= 20 && reply[2] == 17));
    FUZZ_CHECK(serv.GetModuleCount() <= 6);
    if (taken) {
        FUZZ_CHECK(std::equal(serv.Config, serv.Config + 17, reply.begin() + 3));
        serv.MakeInputIds();
        for (int k = 0; k < 6; ++k) {
            FUZZ_CHECK(serv.ModuleAddress[k] >= 0 && serv.ModuleAddress[k] < 16);
            (void)serv.GetModuleRow(k);
        }
        (void)serv.GetDesignation(), (void)serv.GetModificationCode(),
            (void)serv.GetInputCountText();
        lum.ApplyPreset(TestPreset::Red, serv);
        lum.DefaultRelaysAndDelays(serv);
        lum.CreateDefaults(serv);
    }
    return 0;
}
