#pragma once
// Everything about a device that is not its input-processing program: the bus numbers, the
// fitted modules, the input identifiers and the 14-character labels (raw Windows-1251 bytes;
// only the windows convert them), and the flags that say where the data came from.

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

class TServClass {
public:
    static constexpr int KolVhMax = 36;
    static constexpr int KolModMax = 6;
    static constexpr int KolSlot = 16;
    static constexpr int ConfigSize = 17;
    static constexpr int IdPieces = 11;
    static constexpr int TextLen = 14;
    static constexpr int TextBlockVh = 18; // labels per block
    static constexpr int TextBlockSize = TextBlockVh * TextLen;
    static constexpr int TipNone = 0;
    static constexpr int TipMLV = 1; // "МЛВ"
    static constexpr int TipMSU = 2; // "МСЮ"

    uint8_t NumUstrZ = 0;
    int NMod = 0;
    int KolMod = 0;
    int NumUstr = 0;
    uint8_t Config[ConfigSize] = {};
    int TipMod[KolModMax] = {};
    int AdrMod[KolModMax] = {};
    std::string IdVh[KolVhMax][IdPieces];
    uint8_t TextVh[KolVhMax][TextLen] = {};
    uint8_t TextBlock[TextBlockSize] = {};
    int FlagText = 0;
    int FlagFile = 0;
    int FlagChange = 0;
    int FlagOpenCur = 0;

    uint8_t GetNumUstrZ() const { return NumUstrZ; }
    void PutNumUstrZ(uint8_t n) { NumUstrZ = n; }
    int GetNMod() const { return NMod; }
    void PutNMod(int n) { NMod = n; }
    // The fitted modules, 0..6 whatever was stored in the field.
    int GetKolMod() const;
    void PutKolMod(int n);
    // The discrete inputs of the fitted modules, 0..36.
    int GetKolVh() const { return GetKolMod() * 6; }

    // The configuration from a Report Slave ID reply (address, function, byte count, 17 bytes).
    // Taken only for function 17 with a byte count of 17 and at least 20 bytes in the reply;
    // returns whether it was taken.
    bool PutConfigReply(int function, const uint8_t* reply, int replyLength);
    // The configuration from 17 bare bytes, with the module list derived from it.
    void PutConfig(std::span<const uint8_t, ConfigSize> bytes);

    void ClearIdVh();
    void ClearTextVh();
    // Identifier pieces "D", "I", "_", module, "_", input, four blanks for the fitted inputs.
    void MakeIdVh();
    std::string GetIdVh(int vh) const;

    // The label's bytes up to a zero byte, without trailing blanks.
    std::string GetTextVh(int vh) const;
    // Stores the first 14 bytes of the text, blank padded.
    void PutTextVh(const std::string& bytes1251, int vh);
    // "Дискр.сигн.001" .. "Дискр.сигн.036", in Windows-1251.
    void PutTextDefault(int vh);
    void PutTextBlock(std::span<const uint8_t, TextBlockSize> bytes);
    // Labels of inputs 18 * half .. 18 * half + 17 from / into TextBlock (half 0 or 1).
    void TextBlockToVh(int half);
    void VhToTextBlock(int half);

    // Display strings, UTF-8.
    std::string GetModifCode() const;   // the 16 module codes in decimal
    std::string GetDesignation() const; // "ЛУМ-08-" and the modification code
    std::string GetKolVhText() const;   // number of discrete inputs
    // Row k of the module table; empty texts for a row beyond the fitted modules.
    ModuleRowText GetModuleRow(int k) const;
    static std::string TipModName(int tip);
    // The same, for any module code: "код N" for a code this program does not know.
    static std::string ModuleCodeName(int code);

    // The key filters of the dialogs' fields (model/keyfilters.h).
    static int KeyDec(int key, bool ctrl, const std::string& text);
    static int KeyHex(int key, bool ctrl, const std::string& text);

private:
    std::string IdPiecesText(int vh, int pieces) const;
};
