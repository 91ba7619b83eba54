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

bool IsIpv4(const std::string& text) {
    int parts = 0;
    size_t start = 0;
    for (;;) {
        const size_t dot = text.find('.', start);
        const std::string part = text.substr(start, dot == std::string::npos ? dot : dot - start);
        if (part.empty() || part.size() > 3 ||
            !std::all_of(part.begin(), part.end(),
                         [](unsigned char c) { return std::isdigit(c); }) ||
            std::stoi(part) > 255)
            return false;
        ++parts;
        if (dot == std::string::npos)
            return parts == 4;
        start = dot + 1;
    }
}

// The groups of one side of "::" (or of the whole address): hexadecimal groups of 1..4 digits,
// the last one may be an IPv4 address (two groups); -1 when written wrong.
int Ipv6Groups(const std::string& side, bool last) {
    if (side.empty())
        return 0;
    int groups = 0;
    size_t start = 0;
    for (;;) {
        const size_t colon = side.find(':', start);
        const std::string group =
            side.substr(start, colon == std::string::npos ? colon : colon - start);
        if (colon == std::string::npos && last && group.find('.') != std::string::npos)
            return IsIpv4(group) ? groups + 2 : -1;
        if (group.empty() || group.size() > 4 ||
            !std::all_of(group.begin(), group.end(),
                         [](unsigned char c) { return std::isxdigit(c); }))
            return -1;
        ++groups;
        if (colon == std::string::npos)
            return groups;
        start = colon + 1;
    }
}

// An IPv6 address as its text form allows: eight groups, or fewer around one "::". Anything
// else would only fail later, at the name lookup, as a host not found.
bool IsIpv6(const std::string& host) {
    if (host.size() < 2 || host.size() > 45)
        return false;
    const size_t gap = host.find("::");
    if (gap == std::string::npos)
        return Ipv6Groups(host, true) == 8;
    if (host.find("::", gap + 1) != std::string::npos)
        return false;
    const int before = Ipv6Groups(host.substr(0, gap), false);
    const int after = Ipv6Groups(host.substr(gap + 2), true);
    return before >= 0 && after >= 0 && before + after <= 7;
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
