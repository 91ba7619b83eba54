#pragma once
// The F15 block editor's close checks as a plain function of the field texts: each value is
// written into the block the moment it is accepted, in the editor's order, and the first
// failure that ends the checks says where and why.

#include <array>
#include <string>

class NetworkBlocks;

// What the editor shows when the operator asks to close it.
struct F15Fields {
    std::string functionCode; // "Код функции    ModBus", decimal
    int slaveIndex = -1;      // position in the slave address list (address - 1), -1: none
    std::string inputCount;   // "Количество  входов блока", decimal
    std::string startAddress; // "Начальный адрес данных в запросе (Hex)"
    std::string dataCount;    // "Количество  данных в запросе  (Dec)"
    std::array<std::string, 32> signalNumbers; // the signal numbers of block inputs 1..32
    bool acknowledge = false;
    bool resetFlag = false;
};

struct F15Check {
    enum class Marker { None, FunctionCode, InputCount, StartAddress };
    bool failed = false;
    Marker marker = Marker::None;   // the field that gets the " Ошибка ввода " badge
    std::string message;            // a message to show, empty for none
    bool restoreInputCount = false; // the number of inputs field gets back the stored number
};

// Checks (a) to (g) of the block's fields, storing each accepted value into block 0 or 1.
F15Check CheckAndStoreF15(const F15Fields& fields, NetworkBlocks& f15, int block);

// The decimal number of a field, or -1 when it holds none (such a value fails every check).
long long F15Decimal(const std::string& text);
// Up to four hexadecimal digits (blanks around them allowed), empty reading as 0.
bool F15Hex(const std::string& text, int& value);
