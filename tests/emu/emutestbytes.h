#pragma once
// Small helpers for writing expected frames in the tests: byte lists are joined by hand, CRC
// bytes included, exactly as they travel on the line.

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

inline Bytes Repeat(const Bytes& pattern, int times) {
    Bytes all;
    for (int i = 0; i < times; ++i)
        all.insert(all.end(), pattern.begin(), pattern.end());
    return all;
}

inline Bytes Count(int first, int n) {
    Bytes all;
    for (int i = 0; i < n; ++i)
        all.push_back(static_cast<uint8_t>(first + i));
    return all;
}

inline std::string Hex(const Bytes& bytes) {
    std::string text;
    char buf[4];
    for (uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X ", b);
        text += buf;
    }
    return text;
}
