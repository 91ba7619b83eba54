#include "model/servclass.h"

#include "model/keyfilters.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// "Дискр.сигн.000" in Windows-1251.
constexpr uint8_t DefaultText[TServClass::TextLen] = {0xC4, 0xE8, 0xF1, 0xEA, 0xF0, '.', 0xF1,
                                                      0xE8, 0xE3, 0xED, '.',  '0',  '0', '0'};

bool InputInRange(int vh) {
    return vh >= 0 && vh < TServClass::KolVhMax;
}

} // namespace

int TServClass::GetKolMod() const {
    return std::clamp(KolMod, 0, KolModMax);
}

void TServClass::PutKolMod(int n) {
    KolMod = std::clamp(n, 0, KolModMax);
}

bool TServClass::PutConfigReply(int function, const uint8_t* reply, int replyLength) {
    constexpr int HeaderSize = 3; // address, function, byte count
    if (function != 17 || reply == nullptr || replyLength < HeaderSize + ConfigSize)
        return false;
    if (reply[2] != ConfigSize)
        return false;
    PutConfig(std::span<const uint8_t, ConfigSize>(reply + HeaderSize, ConfigSize));
    return true;
}

void TServClass::PutConfig(std::span<const uint8_t, ConfigSize> bytes) {
    std::copy(bytes.begin(), bytes.end(), Config);
    // The device holds at most six modules; a count or a list claiming more is cut to six.
    KolMod = std::min<int>(Config[0], KolModMax);
    std::fill(std::begin(AdrMod), std::end(AdrMod), 0);
    // Cleared as well, so that a count above the codes found never shows a stale module type.
    std::fill(std::begin(TipMod), std::end(TipMod), TipNone);
    int j = 0;
    for (int p = 0; p < KolSlot && j < KolModMax; ++p) {
        if (Config[p + 1] != 0) {
            TipMod[j] = Config[p + 1];
            AdrMod[j] = p;
            ++j;
        }
    }
}

void TServClass::ClearIdVh() {
    for (auto& row : IdVh)
        for (auto& piece : row)
            piece.clear();
}

void TServClass::ClearTextVh() {
    std::memset(TextVh, 0, sizeof TextVh);
}

void TServClass::MakeIdVh() {
    const int kolMod = GetKolMod();
    for (int m = 0; m < kolMod; ++m) {
        for (int j = 0; j < 6; ++j) {
            std::string* id = IdVh[6 * m + j];
            id[0] = "D";
            id[1] = "I";
            id[2] = "_";
            id[3] = std::to_string(m + 1);
            id[4] = "_";
            id[5] = std::to_string(j + 1);
            for (int p = 6; p < 10; ++p)
                id[p] = " ";
        }
    }
}

std::string TServClass::IdPiecesText(int vh, int pieces) const {
    std::string s;
    if (!InputInRange(vh))
        return s;
    for (int p = 0; p < pieces; ++p)
        s += IdVh[vh][p];
    return s;
}

std::string TServClass::GetIdVh(int vh) const {
    return IdPiecesText(vh, 10);
}

std::string TServClass::GetTextVh(int vh) const {
    if (!InputInRange(vh))
        return {};
    const uint8_t* t = TextVh[vh];
    std::size_t n = 0;
    while (n < TextLen && t[n] != 0)
        ++n;
    while (n > 0 && t[n - 1] == ' ')
        --n;
    return std::string(reinterpret_cast<const char*>(t), n);
}

void TServClass::PutTextVh(const std::string& bytes1251, int vh) {
    if (!InputInRange(vh))
        return;
    std::memset(TextVh[vh], ' ', TextLen);
    std::memcpy(TextVh[vh], bytes1251.data(), std::min<std::size_t>(bytes1251.size(), TextLen));
}

void TServClass::PutTextDefault(int vh) {
    if (!InputInRange(vh))
        return;
    std::memcpy(TextVh[vh], DefaultText, TextLen);
    // The number i + 1 right-aligned over the trailing zeros.
    const std::string number = std::to_string(vh + 1);
    std::memcpy(TextVh[vh] + TextLen - number.size(), number.data(), number.size());
}

void TServClass::PutTextBlock(std::span<const uint8_t, TextBlockSize> bytes) {
    std::copy(bytes.begin(), bytes.end(), TextBlock);
}

void TServClass::TextBlockToVh(int half) {
    if (half != 0 && half != 1)
        return;
    std::memcpy(&TextVh[0][0] + TextBlockSize * half, TextBlock, TextBlockSize);
}

void TServClass::VhToTextBlock(int half) {
    std::memset(TextBlock, 0, TextBlockSize);
    if (half == 0 || half == 1)
        std::memcpy(TextBlock, &TextVh[0][0] + TextBlockSize * half, TextBlockSize);
}

std::string TServClass::GetModifCode() const {
    std::string s;
    for (int p = 1; p <= KolSlot; ++p)
        s += std::to_string(Config[p]);
    return s;
}

std::string TServClass::GetDesignation() const {
    return "ЛУМ-08-" + GetModifCode();
}

std::string TServClass::GetKolVhText() const {
    return std::to_string(GetKolVh());
}

std::string TServClass::ModuleCodeName(int code) {
    const std::string name = TipModName(code);
    return name.empty() ? "код " + std::to_string(code) : name;
}

std::string TServClass::TipModName(int tip) {
    switch (tip) {
    case TipMLV:
        return "МЛВ";
    case TipMSU:
        return "МСЮ";
    default:
        return {};
    }
}

ModuleRowText TServClass::GetModuleRow(int k) const {
    ModuleRowText row;
    if (k < 0 || k >= GetKolMod())
        return row;
    char code[16];
    std::snprintf(code, sizeof code, "%X", static_cast<unsigned>(TipMod[k]));
    row.address = std::to_string(AdrMod[k]);
    row.code = code;
    row.name = TipModName(TipMod[k]);
    row.range = IdPiecesText(6 * k, 6) + " - " + IdPiecesText(6 * k + 5, 6);
    return row;
}

int TServClass::KeyDec(int key, bool ctrl, const std::string& text) {
    return ::KeyDec(key, ctrl, text);
}

int TServClass::KeyHex(int key, bool ctrl, const std::string& text) {
    return ::KeyHex(key, ctrl, text);
}
