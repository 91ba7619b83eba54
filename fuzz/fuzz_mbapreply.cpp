// Modbus TCP reply framing under the engine: MBAP frames of any shape, for this transaction or
// an earlier one, whole or cut into segments of any size (gatewayfuzz.h).

#include "gatewayfuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    return FuzzGatewayExchanges(bytes, size, true);
}
