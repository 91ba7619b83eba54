// RTU frames over a TCP gateway in transparent mode under the engine: replies in segments of any
// size, bytes beyond a read kept for the next one, late bytes dropped by the purge
// (gatewayfuzz.h).

#include "gatewayfuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    return FuzzGatewayExchanges(bytes, size, false);
}
