#pragma once
// The input-processing program of one device: a packed 3-byte record per discrete input, the
// transfer buffer of one module group, the access level and the scheme editor's state words.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class Operator;
class ModuleConfig;

// The whole-device presets of the main window's test menu.
enum class TestPreset {
    Namur,           // "Namur"
    DryContact,      // "Сухой контакт"
    NormallyOpen,    // "Нормально разомкнутый"
    NormallyClosed,  // "Нормально замкнутый"
    Red,             // "Красный"
    Yellow,          // "Желтый"
    Green,           // "Зеленый"
    DefaultDatabase, // "БД по умолчанию" (hidden item)
};

class InputProgram {
public:
    static constexpr int MaxInputs = 36;
    static constexpr int MaxModules = 6;
    static constexpr int RecSize = 3;
    static constexpr int GroupSize = 18; // one module: six inputs of three bytes
    // A module write carries the module number and the 18 record bytes: fewer would leave
    // inputs unwritten, more would send bytes from beyond ModuleBuffer. Replies reporting fewer are
    // refused, and a reply reporting more is still written back as these 19.
    static constexpr int ModuleWriteLengthMin = GroupSize + 1;
    static constexpr int ModuleWriteLengthMax = GroupSize + 1;

    InputProgram();

    // Byte count of a module group write (function 69).
    int ModuleWriteLength = ModuleWriteLengthMax;
    uint8_t Records[MaxInputs * RecSize] = {};
    uint8_t ModuleBuffer[GroupSize] = {};

    // Bit fields of an input's record (input 0..35). Setters change only their own bits and
    // keep only the bits of the value that fit the field; an input out of range is ignored and
    // reads as 0.
    int GetNamur(int input) const;
    void PutNamur(int input, int value);
    int GetContact(int input) const;
    void PutContact(int input, int value);
    int GetRelay(int input) const;
    void PutRelay(int input, int value);
    int GetColor(int input) const;
    void PutColor(int input, int value);
    int GetAlarmType(int input) const;
    void PutAlarmType(int input, int value);
    int GetDelay(int input) const;
    void PutDelay(int input, int value);
    int GetSound(int input) const;
    void PutSound(int input, int value);
    int GetArchive(int input) const;
    void PutArchive(int input, int value);
    // Module parameter of module 0..5, kept in the first input of the module.
    int GetModuleParameter(int mod) const;
    void PutModuleParameter(int mod, int value);

    // ModuleWriteLength from the byte count of a module reply, kept within
    // ModuleWriteLengthMin..ModuleWriteLengthMax; the getter applies the same limits to a value
    // stored directly in the field.
    void PutModuleWriteLength(int byteCount);
    int GetModuleWriteLength() const;

    // Takes the 18 record bytes of a function-68 module reply (address, function, byte count,
    // module number, records...) into ModuleBuffer. replyLength is the number of valid bytes in
    // reply. A reply reporting fewer than 19 data bytes, or holding fewer than the 22 bytes read,
    // leaves ModuleBuffer as it was and gives 128 (receive error); 0 on success.
    int PutModuleReply(const uint8_t* reply, int replyLength);
    void PutModuleBuffer(std::span<const uint8_t, GroupSize> bytes);
    void ModuleBufferToRecords(int mod);
    void RecordsToModuleBuffer(int mod);
    // Cleared records (0x20, 0x00, 0x00) for inputs first .. first + count - 1, never past 35.
    void ClearRecords(int first, int count);
    // The data of a module group write: the module number mod + 1, then the first
    // GetModuleWriteLength() - 1 bytes of the group (fills ModuleBuffer from the records first).
    std::vector<uint8_t> ModuleWriteData(int mod);

    // Rewrites the records of all fitted inputs (ModuleCount x 6, never past input 35).
    void ApplyPreset(TestPreset preset, const ModuleConfig& moduleConfig);
    // Delay 5 and relay on every input of a "МЛВ", and on inputs 3 and 4 of a "МСЮ"; module
    // parameter 0 for every fitted module.
    void DefaultRelaysAndDelays(const ModuleConfig& moduleConfig);
    // The records of a newly created configuration file: all cleared, then the fitted inputs
    // get emergency alarm, red, normally open, sound, archiving and the default relays and delays.
    void CreateDefaults(const ModuleConfig& moduleConfig);

    // "Конфигурация не задана. Будете создавать?": true when the answer is No (the editor
    // closes); Yes at access level 0 tells why nothing can be created. Otherwise false.
    bool AskCreate(Operator& op, int accessLevel) const;

    // The range check of the dialogs' fields (model/keyfilters.h).
    static int CheckValue(const std::string& text, int kind);

private:
    int GetBits(int input, int byte, int mask, int shift) const;
    void PutBits(int input, int byte, int mask, int shift, int value);
    void SetAllFitted(const ModuleConfig& moduleConfig, int byte, int mask, int shift, int value);
};
