#pragma once
// The input-processing program of one device: a packed 3-byte record per discrete input, the
// transfer buffer of one module group, the access level and the scheme editor's state words.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class Operator;
class TServClass;

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

class TProgLumClass {
public:
    static constexpr int KolVhMax = 36;
    static constexpr int KolModMax = 6;
    static constexpr int RecSize = 3;
    static constexpr int GroupSize = 18; // one module: six inputs of three bytes
    // A module write carries the module number and the 18 record bytes: fewer would leave
    // inputs unwritten, more would send bytes from beyond RecMod. Replies reporting fewer are
    // refused, and a reply reporting more is still written back as these 19.
    static constexpr int LenModMin = GroupSize + 1;
    static constexpr int LenModMax = GroupSize + 1;

    TProgLumClass();

    // Byte count of a module group write (function 69).
    int LenMod = LenModMax;
    uint8_t RecVh[KolVhMax * RecSize] = {};
    uint8_t RecMod[GroupSize] = {};
    int FlagScheme = 0;
    // Whether module m's records came from the device or a file. After a read that stopped
    // part-way the later modules still hold another configuration's records, which must not be
    // written over the device's own.
    bool RecKnown[6] = {};
    int FlagParol = 0;
    int Dostup = 0;
    // Scheme editor state.
    int KolPan = 0;
    int NVhSel = -1;
    int NPanSel = -1;
    int MarkPan[6] = {};
    int KolSel = 0;
    int FlagShow = 0;
    int FlagNoRead = 0;
    int FlagBuilt = 0;
    int FlagSchemeCopy = 0;

    // Bit fields of an input's record (input 0..35). Setters change only their own bits and
    // keep only the bits of the value that fit the field; an input out of range is ignored and
    // reads as 0.
    int GetNamur(int vh) const;
    void PutNamur(int vh, int value);
    int GetKont(int vh) const;
    void PutKont(int vh, int value);
    int GetRele(int vh) const;
    void PutRele(int vh, int value);
    int GetColor(int vh) const;
    void PutColor(int vh, int value);
    int GetTipSign(int vh) const;
    void PutTipSign(int vh, int value);
    int GetZader(int vh) const;
    void PutZader(int vh, int value);
    int GetZvuk(int vh) const;
    void PutZvuk(int vh, int value);
    int GetArhiv(int vh) const;
    void PutArhiv(int vh, int value);
    // Module parameter of module 0..5, kept in the first input of the module.
    int GetModPar(int mod) const;
    void PutModPar(int mod, int value);

    // LenMod from the byte count of a module reply, kept within LenModMin..LenModMax; the
    // getter applies the same limits to a value stored directly in the field.
    void PutLenMod(int byteCount);
    int GetLenMod() const;

    // Takes the 18 record bytes of a function-68 module reply (address, function, byte count,
    // module number, records...) into RecMod. replyLength is the number of valid bytes in reply.
    // A reply reporting fewer than 19 data bytes, or holding fewer than the 22 bytes read, leaves
    // RecMod as it was and gives 128 (receive error); 0 on success.
    int PutRecModReply(const uint8_t* reply, int replyLength);
    void PutRecMod(std::span<const uint8_t, GroupSize> bytes);
    void RecModToVh(int mod);
    void VhToRecMod(int mod);
    // Cleared records (0x20, 0x00, 0x00) for inputs first .. first + count - 1, never past 35.
    void ClearRecVh(int first, int count);
    // The data of a module group write: the module number mod + 1, then the first
    // GetLenMod() - 1 bytes of the group (fills RecMod from the records first).
    std::vector<uint8_t> ModWriteData(int mod);

    // Rewrites the records of all fitted inputs (KolMod x 6, never past input 35).
    void ApplyPreset(TestPreset preset, const TServClass& serv);
    // Delay 5 and relay on every input of a "МЛВ", and on inputs 3 and 4 of a "МСЮ"; module
    // parameter 0 for every fitted module.
    void DefaultReleZader(const TServClass& serv);
    // The records of a newly created configuration file: all cleared, then the fitted inputs
    // get emergency alarm, red, normally open, sound, archiving and the default relays and delays.
    void CreateDefaults(const TServClass& serv);

    // "Конфигурация не задана. Будете создавать?": true when the answer is No (the editor
    // closes); Yes at access level 0 tells why nothing can be created. Otherwise false.
    bool AskCreate(Operator& op) const;

    // The range check of the dialogs' fields (model/keyfilters.h).
    static int CheckValue(const std::string& text, int kind);

private:
    int GetBits(int vh, int byte, int mask, int shift) const;
    void PutBits(int vh, int byte, int mask, int shift, int value);
    void SetAllFitted(const TServClass& serv, int byte, int mask, int shift, int value);
};
