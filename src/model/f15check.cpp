#include "model/f15check.h"

#include "model/keyfilters.h"
#include "model/networkblocks.h"

namespace {
constexpr int F15FunctionCode = 15;
constexpr int SignalCount = 32;
constexpr int MaxNumSign = 36;

F15Check Failure(F15Check::Marker marker, std::string message = {}, bool restore = false) {
    return {true, marker, std::move(message), restore};
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
} // namespace

long long F15Decimal(const std::string& text) {
    long long value = -1;
    return ParseDecimal(text, value) ? value : -1;
}

bool F15Hex(const std::string& text, int& value) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    value = 0;
    if (last - first > 4)
        return false;
    for (size_t i = first; i < last; ++i) {
        const char c = text[i];
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return false;
        value = value * 16 + digit;
    }
    return true;
}

F15Check CheckAndStoreF15(const F15Fields& fields, NetworkBlocks& f15, int block) {
    F15Check result;
    // (a) the function code: a wrong one is marked and the other checks still run.
    const long long functionCode = F15Decimal(fields.functionCode);
    if (functionCode != 0 && functionCode != F15FunctionCode)
        result = Failure(F15Check::Marker::FunctionCode);
    else if (functionCode == F15FunctionCode)
        f15.PutFunctionCode(block, F15FunctionCode);
    // (b) the slave address.
    if (fields.slaveIndex < 0 || fields.slaveIndex >= 32) {
        f15.PutSlaveAddress(block, 0);
        return Failure(result.marker, "адрес Slave в локальной сети не задан");
    }
    f15.PutSlaveAddress(block, fields.slaveIndex + 1);
    // (c) the number of inputs.
    long long inputCount = 0;
    if (!ParseDecimal(fields.inputCount, inputCount) || inputCount == 0)
        return Failure(F15Check::Marker::InputCount, {}, true);
    if (inputCount < 1 || inputCount > SignalCount)
        return Failure(result.marker, "ошибка в количестве входов блока");
    f15.PutInputCount(block, int(inputCount));
    // (d) the start data address.
    int adr = 0;
    if (!F15Hex(fields.startAddress, adr))
        return Failure(F15Check::Marker::StartAddress);
    f15.PutStartAddress(block, adr);
    // (e) the data count: one datum per block input.
    if (F15Decimal(fields.dataCount) != inputCount)
        return Failure(result.marker, "ошибка в количестве данных в запросе");
    f15.PutDataCount(block, int(inputCount));
    // (f) the signals, (g) the switches.
    for (int k = 0; k < inputCount; ++k) {
        const long long value = F15Decimal(fields.signalNumbers[size_t(k)]);
        if (value < 0 || value > MaxNumSign)
            return Failure(result.marker,
                           "ошибка в адресе дискретного сигнала " + std::to_string(k + 1));
        f15.PutSignal(block, k, int(value));
    }
    f15.PutAcknowledge(block, fields.acknowledge ? 1 : 0);
    f15.PutReset(block, fields.resetFlag ? 1 : 0);
    return result;
}
