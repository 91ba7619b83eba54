// The gateway address reader fed any text: what it takes is a host it can connect to and a port
// 1..65535, written back it reads the same, and every name it takes is a gateway's name.

#include "fuzzline.h"

#include "link/gatewayaddress.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string name(reinterpret_cast<const char*>(bytes), size);
    const auto address = ParseGatewayAddress(name);
    if (!address)
        return 0;
    FUZZ_CHECK(IsGatewayName(name));
    FUZZ_CHECK(address->port >= 1 && address->port <= 65535);
    FUZZ_CHECK(!address->host.empty() && address->host.size() <= 253);
    for (const char c : address->host)
        FUZZ_CHECK(c != '/' && c != '@' && c != ' ' && c != '[' && c != ']');
    const bool v6 = address->host.find(':') != std::string::npos;
    const std::string again =
        std::string(address->kind == GatewayKind::ModbusTcp ? "mbtcp://" : "tcp://") +
        (v6 ? "[" + address->host + "]" : address->host) + ":" + std::to_string(address->port);
    const auto reread = ParseGatewayAddress(again);
    FUZZ_CHECK(reread && reread->host == address->host && reread->port == address->port &&
               reread->kind == address->kind);
    return 0;
}
