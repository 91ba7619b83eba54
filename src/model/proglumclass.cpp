#include "model/proglumclass.h"

#include "model/keyfilters.h"
#include "model/operator.h"
#include "model/servclass.h"

#include <algorithm>
#include <cstring>

namespace {

// Record layout: byte, mask, shift of each field.
struct Field {
    int byte;
    int mask;
    int shift;
};
constexpr Field Namur{0, 0x01, 0};
constexpr Field Kont{0, 0x02, 1};
constexpr Field Rele{0, 0x04, 2};
constexpr Field Color{0, 0x38, 3};
constexpr Field TipSign{0, 0xC0, 6};
constexpr Field Zader{1, 0x3F, 0};
constexpr Field Zvuk{1, 0x40, 6};
constexpr Field Arhiv{1, 0x80, 7};
constexpr Field ModPar{2, 0x07, 0};

constexpr uint8_t ClearedRecord[3] = {0x20, 0x00, 0x00};

constexpr int ColorRed = 4;
constexpr int ColorYellow = 6;
constexpr int ColorGreen = 2;
constexpr int SignWarning = 1;
constexpr int SignEmergency = 2;
constexpr int SignIndication = 3;
constexpr int DefaultDelay = 5;

bool InputInRange(int vh) {
    return vh >= 0 && vh < TProgLumClass::KolVhMax;
}
bool ModuleInRange(int mod) {
    return mod >= 0 && mod < TProgLumClass::KolModMax;
}

} // namespace

TProgLumClass::TProgLumClass() = default;

int TProgLumClass::GetBits(int vh, int byte, int mask, int shift) const {
    if (!InputInRange(vh))
        return 0;
    return (RecVh[vh * RecSize + byte] & mask) >> shift;
}

void TProgLumClass::PutBits(int vh, int byte, int mask, int shift, int value) {
    if (!InputInRange(vh))
        return;
    uint8_t& b = RecVh[vh * RecSize + byte];
    // Only the bits that fit the field are taken, so a wrong value never spills over.
    b = static_cast<uint8_t>((b & ~mask) | ((value & (mask >> shift)) << shift));
}

#define LUM_FIELD_ACCESSORS(Name)                                                                  \
    int TProgLumClass::Get##Name(int vh) const {                                                   \
        return GetBits(vh, Name.byte, Name.mask, Name.shift);                                      \
    }                                                                                              \
    void TProgLumClass::Put##Name(int vh, int value) {                                             \
        PutBits(vh, Name.byte, Name.mask, Name.shift, value);                                      \
    }

LUM_FIELD_ACCESSORS(Namur)
LUM_FIELD_ACCESSORS(Kont)
LUM_FIELD_ACCESSORS(Rele)
LUM_FIELD_ACCESSORS(Color)
LUM_FIELD_ACCESSORS(TipSign)
LUM_FIELD_ACCESSORS(Zader)
LUM_FIELD_ACCESSORS(Zvuk)
LUM_FIELD_ACCESSORS(Arhiv)
#undef LUM_FIELD_ACCESSORS

int TProgLumClass::GetModPar(int mod) const {
    if (!ModuleInRange(mod))
        return 0;
    return GetBits(mod * 6, ModPar.byte, ModPar.mask, ModPar.shift);
}

void TProgLumClass::PutModPar(int mod, int value) {
    if (ModuleInRange(mod))
        PutBits(mod * 6, ModPar.byte, ModPar.mask, ModPar.shift, value);
}

void TProgLumClass::PutLenMod(int byteCount) {
    LenMod = std::clamp(byteCount, LenModMin, LenModMax);
}

int TProgLumClass::GetLenMod() const {
    return std::clamp(LenMod, LenModMin, LenModMax);
}

int TProgLumClass::PutRecModReply(const uint8_t* reply, int replyLength) {
    constexpr int HeaderSize = 4; // address, function, byte count, module number
    constexpr int ReceiveError = 128;
    if (reply == nullptr || replyLength < HeaderSize + GroupSize)
        return ReceiveError;
    if (reply[2] < LenModMin)
        return ReceiveError;
    std::memcpy(RecMod, reply + HeaderSize, GroupSize);
    return 0;
}

void TProgLumClass::PutRecMod(std::span<const uint8_t, GroupSize> bytes) {
    std::copy(bytes.begin(), bytes.end(), RecMod);
}

void TProgLumClass::RecModToVh(int mod) {
    if (ModuleInRange(mod))
        std::memcpy(RecVh + mod * GroupSize, RecMod, GroupSize);
}

void TProgLumClass::VhToRecMod(int mod) {
    std::memset(RecMod, 0, GroupSize);
    if (ModuleInRange(mod))
        std::memcpy(RecMod, RecVh + mod * GroupSize, GroupSize);
}

void TProgLumClass::ClearRecVh(int first, int count) {
    const int begin = std::max(first, 0);
    const int end =
        count > 0 ? std::min<long long>(static_cast<long long>(first) + count, KolVhMax) : begin;
    for (int vh = begin; vh < end; ++vh)
        std::memcpy(RecVh + vh * RecSize, ClearedRecord, RecSize);
}

std::vector<uint8_t> TProgLumClass::ModWriteData(int mod) {
    VhToRecMod(mod);
    const int n = GetLenMod();
    std::vector<uint8_t> data;
    data.reserve(n);
    data.push_back(static_cast<uint8_t>(mod + 1));
    data.insert(data.end(), RecMod, RecMod + (n - 1));
    return data;
}

void TProgLumClass::SetAllFitted(const TServClass& serv, int byte, int mask, int shift, int value) {
    const int kolVh = serv.GetKolVh();
    for (int vh = 0; vh < kolVh; ++vh)
        PutBits(vh, byte, mask, shift, value);
}

void TProgLumClass::ApplyPreset(TestPreset preset, const TServClass& serv) {
    auto all = [&](const Field& f, int value) {
        SetAllFitted(serv, f.byte, f.mask, f.shift, value);
    };
    auto light = [&](int tipSign, int color) {
        all(TipSign, tipSign);
        all(Zvuk, 0);
        all(Kont, 0);
        all(Color, color);
    };
    switch (preset) {
    case TestPreset::Namur:
        all(Namur, 1);
        break;
    case TestPreset::DryContact:
        all(Namur, 0);
        break;
    case TestPreset::NormallyOpen:
        all(Kont, 1);
        break;
    case TestPreset::NormallyClosed:
        all(Kont, 0);
        break;
    case TestPreset::Red:
        light(SignEmergency, ColorRed);
        break;
    case TestPreset::Yellow:
        light(SignWarning, ColorYellow);
        break;
    case TestPreset::Green:
        light(SignIndication, ColorGreen);
        break;
    case TestPreset::DefaultDatabase:
        all(TipSign, SignEmergency);
        all(Zvuk, 1);
        all(Kont, 0);
        all(Color, ColorRed);
        all(Arhiv, 1);
        DefaultReleZader(serv);
        break;
    }
}

void TProgLumClass::DefaultReleZader(const TServClass& serv) {
    const int kolMod = serv.GetKolMod();
    for (int k = 0; k < kolMod; ++k) {
        const int tip = serv.TipMod[k];
        for (int j = 0; j < 6; ++j) {
            const bool relay =
                tip == TServClass::TipMLV || (tip == TServClass::TipMSU && (j == 3 || j == 4));
            if (relay) {
                PutZader(6 * k + j, DefaultDelay);
                PutRele(6 * k + j, 1);
            }
        }
        PutModPar(k, 0);
    }
}

void TProgLumClass::CreateDefaults(const TServClass& serv) {
    ClearRecVh(0, KolVhMax);
    const int kolVh = serv.GetKolVh();
    for (int vh = 0; vh < kolVh; ++vh) {
        PutTipSign(vh, SignEmergency);
        PutColor(vh, ColorRed);
        PutKont(vh, 1);
        PutZvuk(vh, 1);
        PutArhiv(vh, 1);
    }
    DefaultReleZader(serv);
}

bool TProgLumClass::AskCreate(Operator& op) const {
    if (!op.YesNo("Конфигурация не задана. Будете создавать?", "Подтверждение"))
        return true;
    if (Dostup != 1)
        op.Tell("Ваш уровень доступа не позволяет создавать схему", "Предупреждение",
                MsgIcon::Warning);
    return false;
}

int TProgLumClass::CheckValue(const std::string& text, int kind) {
    return ::CheckValue(text, kind);
}
