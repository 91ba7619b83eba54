#pragma once
// The part of libFuzzer's input splitter that the fuzz targets use, taking the bytes in the same
// order (integers from the end, bytes and strings from the front), so that the corpus replays
// the same paths in a build with g++ and no libFuzzer.

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

class FuzzedDataProvider {
public:
    FuzzedDataProvider(const uint8_t* data, size_t size) : data_(data), remaining_(size) {}
    FuzzedDataProvider(const FuzzedDataProvider&) = delete;
    FuzzedDataProvider& operator=(const FuzzedDataProvider&) = delete;

    size_t remaining_bytes() const { return remaining_; }

    template <typename T> std::vector<T> ConsumeBytes(size_t count) {
        static_assert(sizeof(T) == 1, "bytes only");
        count = std::min(count, remaining_);
        std::vector<T> result(count);
        if (count > 0)
            std::memcpy(result.data(), data_, count);
        Advance(count);
        return result;
    }
    template <typename T> std::vector<T> ConsumeRemainingBytes() {
        return ConsumeBytes<T>(remaining_);
    }
    std::string ConsumeBytesAsString(size_t count) {
        count = std::min(count, remaining_);
        std::string result(reinterpret_cast<const char*>(data_), count);
        Advance(count);
        return result;
    }
    std::string ConsumeRemainingBytesAsString() { return ConsumeBytesAsString(remaining_); }
    // A backslash followed by anything but a backslash ends the string.
    std::string ConsumeRandomLengthString(size_t maxLength) {
        std::string result;
        for (size_t i = 0; i < maxLength && remaining_ != 0; ++i) {
            char next = static_cast<char>(data_[0]);
            Advance(1);
            if (next == '\\' && remaining_ != 0) {
                next = static_cast<char>(data_[0]);
                Advance(1);
                if (next != '\\')
                    break;
            }
            result += next;
        }
        return result;
    }
    std::string ConsumeRandomLengthString() { return ConsumeRandomLengthString(remaining_); }

    template <typename T> T ConsumeIntegral() {
        return ConsumeIntegralInRange(std::numeric_limits<T>::min(), std::numeric_limits<T>::max());
    }
    template <typename T> T ConsumeIntegralInRange(T min, T max) {
        static_assert(std::is_integral<T>::value && sizeof(T) <= sizeof(uint64_t), "integers");
        if (min > max)
            std::abort();
        const uint64_t range = static_cast<uint64_t>(max) - static_cast<uint64_t>(min);
        uint64_t result = 0;
        size_t offset = 0;
        while (offset < sizeof(T) * CHAR_BIT && (range >> offset) > 0 && remaining_ != 0) {
            --remaining_;
            result = (result << CHAR_BIT) | data_[remaining_];
            offset += CHAR_BIT;
        }
        if (range != std::numeric_limits<uint64_t>::max())
            result = result % (range + 1);
        return static_cast<T>(static_cast<uint64_t>(min) + result);
    }
    bool ConsumeBool() { return (1 & ConsumeIntegral<uint8_t>()) != 0; }

    template <typename T, size_t N> T PickValueInArray(const T (&array)[N]) {
        return array[ConsumeIntegralInRange<size_t>(0, N - 1)];
    }
    template <typename T> T PickValueInArray(std::initializer_list<const T> list) {
        return *(list.begin() + ConsumeIntegralInRange<size_t>(0, list.size() - 1));
    }

private:
    void Advance(size_t count) {
        data_ += count;
        remaining_ -= count;
    }

    const uint8_t* data_;
    size_t remaining_;
};
