#pragma once
// Everything about a device that is not its input-processing program: the bus numbers, the
// fitted modules, the input identifiers and the 14-character labels (raw Windows-1251 bytes;
// only the windows convert them).

#include <cstdint>
#include <span>
#include <string>

// The texts of one row of the main window's module table.
struct ModuleRowText {
    std::string address; // slot position, decimal
    std::string code;    // module code, hexadecimal
    std::string name;    // "МЛВ", "МСЮ" or empty (UTF-8)
    std::string range;   // "DI_2_1 - DI_2_6"
};

class ModuleConfig {
public:
    static constexpr int MaxInputs = 36;
    static constexpr int MaxModules = 6;
    static constexpr int SlotCount = 16;
    static constexpr int ConfigSize = 17;
    static constexpr int IdPieces = 11;
    static constexpr int LabelLength = 14;
    static constexpr int LabelBlockInputs = 18; // labels per block
    static constexpr int LabelBlockSize = LabelBlockInputs * LabelLength;
    static constexpr int TypeNone = 0;
    static constexpr int TypeMLV = 1; // "МЛВ"
    static constexpr int TypeMSU = 2; // "МСЮ"

    uint8_t NewBusNumber = 0;
    int CurrentModule = 0;
    int ModuleCount = 0;
    int BusNumber = 0;
    uint8_t Config[ConfigSize] = {};
    int ModuleType[MaxModules] = {};
    int ModuleAddress[MaxModules] = {};
    std::string InputId[MaxInputs][IdPieces];
    uint8_t Label[MaxInputs][LabelLength] = {};
    uint8_t LabelBlock[LabelBlockSize] = {};

    uint8_t GetNewBusNumber() const { return NewBusNumber; }
    void PutNewBusNumber(uint8_t n) { NewBusNumber = n; }
    int GetCurrentModule() const { return CurrentModule; }
    void PutCurrentModule(int n) { CurrentModule = n; }
    // The fitted modules, 0..6 whatever was stored in the field.
    int GetModuleCount() const;
    void PutModuleCount(int n);
    // The discrete inputs of the fitted modules, 0..36.
    int GetInputCount() const { return GetModuleCount() * 6; }

    // The configuration from a Report Slave ID reply (address, function, byte count, 17 bytes).
    // Taken only for function 17 with a byte count of 17 and at least 20 bytes in the reply;
    // returns whether it was taken.
    bool PutConfigReply(int function, const uint8_t* reply, int replyLength);
    // The configuration from 17 bare bytes, with the module list derived from it.
    void PutConfig(std::span<const uint8_t, ConfigSize> bytes);

    void ClearInputIds();
    void ClearLabels();
    // Identifier pieces "D", "I", "_", module, "_", input, four blanks for the fitted inputs.
    void MakeInputIds();
    std::string GetInputId(int input) const;
    // The identifier without the blanks that pad it to its column ("DI_2_1").
    std::string InputName(int input) const;

    // The label's bytes up to a zero byte, without trailing blanks.
    std::string GetLabel(int input) const;
    // Stores the first 14 bytes of the text, blank padded.
    void PutLabel(const std::string& bytes1251, int input);
    // "Дискр.сигн.001" .. "Дискр.сигн.036", in Windows-1251.
    void PutDefaultLabel(int input);
    void PutLabelBlock(std::span<const uint8_t, LabelBlockSize> bytes);
    // Labels of inputs 18 * half .. 18 * half + 17 from / into LabelBlock (half 0 or 1).
    void LabelBlockToInputs(int half);
    void InputsToLabelBlock(int half);

    // Display strings, UTF-8.
    std::string GetModificationCode() const; // the 16 module codes in decimal
    std::string GetDesignation() const;      // "ЛУМ-08-" and the modification code
    std::string GetInputCountText() const;   // number of discrete inputs
    // Row k of the module table; empty texts for a row beyond the fitted modules.
    ModuleRowText GetModuleRow(int k) const;
    static std::string ModuleTypeName(int tip);
    // The same, for any module code: "код N" for a code this program does not know.
    static std::string ModuleCodeName(int code);

    // The key filters of the dialogs' fields (model/keyfilters.h).
    static int KeyDec(int key, bool ctrl, const std::string& text);
    static int KeyHex(int key, bool ctrl, const std::string& text);

private:
    std::string IdPiecesText(int input, int pieces) const;
};
