#pragma once
// A serial-to-Ethernet device server in the cabinet in place of a serial port on the PC:
// "tcp://HOST:PORT" is its transparent mode (the RTU frames go through the connection as over
// the wire), "mbtcp://HOST:PORT" its Modbus TCP side (MBAP header, no CRC). Plain parsing, so
// that the line, the port dialog and the console program read the names alike.

#include <optional>
#include <string>

enum class GatewayKind {
    RtuOverTcp, // tcp://
    ModbusTcp,  // mbtcp://
};

struct GatewayAddress {
    GatewayKind kind = GatewayKind::RtuOverTcp;
    std::string host; // a name or an IPv4 address, or an IPv6 address without its brackets
    int port = 0;     // 1..65535
};

// Whether the name is meant for a gateway (it starts with tcp:// or mbtcp://, in any case),
// written right or not: speed, parity and stop bits do not apply to such a port.
bool IsGatewayName(const std::string& name);

// The gateway a name designates; nothing when it is no gateway's name or is written wrong.
std::optional<GatewayAddress> ParseGatewayAddress(const std::string& name);

// How the operator writes a gateway's address, for messages.
inline constexpr const char* GatewayNameForm = "tcp://УЗЕЛ:ПОРТ или mbtcp://УЗЕЛ:ПОРТ";
