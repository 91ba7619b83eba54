// The F15 block editor's close checks on field texts of any content (pasted text passes no key
// filter): a result always comes back, only the edited block is written, the other block and
// the line settings byte stay as they were, and what was stored lies in its field's range.

#include "fuzzline.h"

#include "model/f15check.h"
#include "model/networkblocks.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider in(bytes, size);
    F15Fields fields;
    const int block = in.ConsumeIntegralInRange(0, 1);
    fields.slaveIndex = in.ConsumeIntegralInRange(-2, 40);
    fields.acknowledge = in.ConsumeBool();
    fields.resetFlag = in.ConsumeBool();
    fields.functionCode = in.ConsumeRandomLengthString(8);
    fields.inputCount = in.ConsumeRandomLengthString(8);
    fields.startAddress = in.ConsumeRandomLengthString(8);
    fields.dataCount = in.ConsumeRandomLengthString(8);
    for (std::string& s : fields.signalNumbers)
        s = in.ConsumeRandomLengthString(5);

    NetworkBlocks f15;
    for (int i = 0; i < 82; ++i)
        f15.Image[i] = uint8_t(in.ConsumeIntegral<uint8_t>());
    uint8_t before[82];
    std::memcpy(before, f15.Image, sizeof before);

    const F15Check check = CheckAndStoreF15(fields, f15, block);
    FUZZ_CHECK(check.failed || check.message.empty());
    FUZZ_CHECK(!check.restoreInputCount || check.marker == F15Check::Marker::InputCount);
    // Only the edited block's 40 bytes may change.
    const int first = 1 + 40 * block;
    for (int i = 0; i < 82; ++i)
        if (i < first || i >= first + 40)
            FUZZ_CHECK(f15.Image[i] == before[i]);
    if (!check.failed) {
        const int inputCount = f15.GetInputCount(block);
        FUZZ_CHECK(inputCount >= 1 && inputCount <= 32);
        FUZZ_CHECK(f15.GetDataCount(block) == inputCount);
        FUZZ_CHECK(f15.GetSlaveAddress(block) >= 1 && f15.GetSlaveAddress(block) <= 32);
        for (int k = 0; k < inputCount; ++k)
            FUZZ_CHECK(f15.GetSignal(block, k) <= 36);
        FUZZ_CHECK(f15.GetAcknowledge(block) == (fields.acknowledge ? 1 : 0));
    }
    return 0;
}
