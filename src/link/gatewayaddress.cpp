#include "link/gatewayaddress.h"

#include <algorithm>
#include <cctype>

namespace {

struct Scheme {
    const char* prefix;
    GatewayKind kind;
};

constexpr Scheme kSchemes[] = {{"tcp://", GatewayKind::RtuOverTcp},
                               {"mbtcp://", GatewayKind::ModbusTcp}};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

const Scheme* SchemeOf(const std::string& name) {
    const std::string lower = Lower(name);
    for (const Scheme& s : kSchemes)
        if (lower.rfind(s.prefix, 0) == 0)
            return &s;
    return nullptr;
}

// A host name of letters, digits, dots, hyphens and underscores, or an IPv4 address: no blanks,
// no path, no user part.
bool IsHostName(const std::string& host) {
    return !host.empty() && host.size() <= 253 && host.front() != '-' && host.front() != '.' &&
           std::all_of(host.begin(), host.end(), [](unsigned char c) {
               return std::isalnum(c) != 0 || c == '.' || c == '-' || c == '_';
           });
}

bool IsIpv6(const std::string& host) {
    return !host.empty() && std::count(host.begin(), host.end(), ':') >= 2 &&
           std::all_of(host.begin(), host.end(), [](unsigned char c) {
               return std::isxdigit(c) != 0 || c == ':' || c == '.';
           });
}

bool ParsePort(const std::string& text, int* port) {
    if (text.empty() || text.size() > 5 || text.front() == '0' ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return false;
    const int value = std::stoi(text);
    if (value < 1 || value > 65535)
        return false;
    *port = value;
    return true;
}

} // namespace

bool IsGatewayName(const std::string& name) {
    return SchemeOf(name) != nullptr;
}

std::optional<GatewayAddress> ParseGatewayAddress(const std::string& name) {
    const Scheme* scheme = SchemeOf(name);
    if (!scheme)
        return std::nullopt;
    const std::string rest = name.substr(std::string(scheme->prefix).size());
    GatewayAddress address;
    address.kind = scheme->kind;
    std::string portText;
    if (!rest.empty() && rest.front() == '[') {
        const size_t close = rest.find(']');
        if (close == std::string::npos || close + 1 >= rest.size() || rest[close + 1] != ':')
            return std::nullopt;
        address.host = rest.substr(1, close - 1);
        portText = rest.substr(close + 2);
        if (!IsIpv6(address.host))
            return std::nullopt;
    } else {
        const size_t colon = rest.rfind(':');
        if (colon == std::string::npos)
            return std::nullopt;
        address.host = rest.substr(0, colon);
        portText = rest.substr(colon + 1);
        if (!IsHostName(address.host))
            return std::nullopt;
    }
    if (!ParsePort(portText, &address.port))
        return std::nullopt;
    return address;
}
