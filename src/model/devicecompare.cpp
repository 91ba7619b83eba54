#include "model/devicecompare.h"

#include "model/progf15class.h"
#include "model/proglumclass.h"
#include "model/servclass.h"

#include <algorithm>
#include <cstdio>

namespace {

using Names = std::vector<const char*>;

std::string Named(const Names& names, int v) {
    if (v >= 0 && v < int(names.size()) && names[size_t(v)] != nullptr)
        return names[size_t(v)];
    return "код " + std::to_string(v);
}

std::string ModuleName(int code) {
    return code == 0 ? "нет" : TServClass::ModuleCodeName(code);
}

std::string Hex(int v, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%0*X", digits, v);
    return buf;
}

// One field of an input record, read through the model's own accessors.
struct RecordField {
    const char* name;
    int (TProgLumClass::*get)(int) const;
    Names names; // empty: the number itself
    const char* unit;
};

const RecordField kRecordFields[] = {
    {"тип сигнала", &TProgLumClass::GetNamur, {"сухой контакт", "Namur"}, ""},
    {"тип контакта", &TProgLumClass::GetKont, {"НЗ", "НР"}, ""},
    {"реле", &TProgLumClass::GetRele, {"нет", "есть"}, ""},
    {"цвет",
     &TProgLumClass::GetColor,
     {"нет", nullptr, "зеленый", nullptr, "красный", nullptr, "желтый"},
     ""},
    {"тип сигнализации", &TProgLumClass::GetTipSign, {"нет", "пред", "авар", "индик"}, ""},
    {"задержка", &TProgLumClass::GetZader, {}, " с"},
    {"звук", &TProgLumClass::GetZvuk, {"нет", "есть"}, ""},
    {"архив", &TProgLumClass::GetArhiv, {"отключено", "включено"}, ""},
};

const Names kSpeeds = {"9600", "19200", "57600", "115200"};
const Names kParities = {"2 стоп-бита без контр. четности", "1 стоп-бит с контр. нечетности",
                         "1 стоп-бит с контр. четности", "1 стоп-бит без контр. четности"};

class Lines {
public:
    explicit Lines(std::vector<std::string>& out) : out_(out) {}
    // unit follows the new value only: "задержка 5 → 10 с".
    void Add(const std::string& where, const std::string& field, const std::string& a,
             const std::string& b, const std::string& unit = {}) {
        if (a != b)
            out_.push_back(where + ": " + field + (field.empty() ? "" : " ") + a + " → " + b +
                           unit);
    }

private:
    std::vector<std::string>& out_;
};

void LoadRecords(const DeviceImage& image, TProgLumClass& lum) {
    for (int m = 0; m < DeviceImage::Groups; ++m) {
        lum.PutRecMod(image.Group(m));
        lum.RecModToVh(m);
    }
}

void LoadNetwork(const DeviceImage& image, TProgF15Class& f15) {
    std::copy(image.Network().begin(), image.Network().end(), f15.BufF15);
}

std::string InputName(int m, int j) {
    return "DI_" + std::to_string(m + 1) + "_" + std::to_string(j + 1);
}

void CompareConfig(const DeviceImage& a, const DeviceImage& b, Lines& out) {
    out.Add("Количество модулей", "", std::to_string(a.Config()[0]), std::to_string(b.Config()[0]));
    for (int p = 0; p < TServClass::KolSlot; ++p)
        out.Add("Слот " + std::to_string(p), "", ModuleName(a.Config()[size_t(p) + 1]),
                ModuleName(b.Config()[size_t(p) + 1]));
}

void CompareModule(const TProgLumClass& a, const TProgLumClass& b, int m, Lines& out) {
    const std::string module = "Модуль " + std::to_string(m + 1);
    out.Add(module, "параметр модуля", std::to_string(a.GetModPar(m)),
            std::to_string(b.GetModPar(m)));
    for (int j = 0; j < 6; ++j) {
        const int vh = 6 * m + j;
        const std::string where = module + ", вход " + InputName(m, j);
        for (const RecordField& f : kRecordFields) {
            const int va = (a.*f.get)(vh);
            const int vb = (b.*f.get)(vh);
            const bool named = !f.names.empty();
            out.Add(where, f.name, named ? Named(f.names, va) : std::to_string(va),
                    named ? Named(f.names, vb) : std::to_string(vb), f.unit);
        }
        // Byte 2 beyond the module parameter is kept as it came; a difference still counts.
        const int mask = j == 0 ? 0xF8 : 0xFF;
        out.Add(where, "прочие биты", Hex(a.RecVh[3 * vh + 2] & mask, 2),
                Hex(b.RecVh[3 * vh + 2] & mask, 2));
    }
}

void CompareLabels(const DeviceImage& a, const DeviceImage& b, int kolMod, Lines& out) {
    TServClass sa;
    TServClass sb;
    for (int half = 0; half < 2; ++half) {
        sa.PutTextBlock(std::span<const uint8_t, TServClass::TextBlockSize>(
            a.Labels().data() + half * TServClass::TextBlockSize, TServClass::TextBlockSize));
        sa.TextBlockToVh(half);
        sb.PutTextBlock(std::span<const uint8_t, TServClass::TextBlockSize>(
            b.Labels().data() + half * TServClass::TextBlockSize, TServClass::TextBlockSize));
        sb.TextBlockToVh(half);
    }
    for (int vh = 0; vh < 6 * kolMod; ++vh)
        out.Add("Модуль " + std::to_string(vh / 6 + 1) + ", вход " + InputName(vh / 6, vh % 6),
                "надпись", "«" + Cp1251ToUtf8(sa.GetTextVh(vh)) + "»",
                "«" + Cp1251ToUtf8(sb.GetTextVh(vh)) + "»");
}

void CompareBlock(const TProgF15Class& a, const TProgF15Class& b, int n, Lines& out) {
    const std::string where = "Блок Ф15 " + std::to_string(n + 1);
    auto num = [&](const char* field, int (TProgF15Class::*get)(int) const) {
        out.Add(where, field, std::to_string((a.*get)(n)), std::to_string((b.*get)(n)));
    };
    num("код функции", &TProgF15Class::GetKodF);
    num("количество входов", &TProgF15Class::GetKolVh);
    num("адрес Slave", &TProgF15Class::GetAdrSlave);
    out.Add(where, "начальный адрес", Hex(a.GetAdrBegDat(n), 4), Hex(b.GetAdrBegDat(n), 4));
    num("количество данных", &TProgF15Class::GetKolDat);
    const Names onOff = {"выкл", "вкл"};
    out.Add(where, "квитирование", Named(onOff, a.GetKvit(n)), Named(onOff, b.GetKvit(n)));
    out.Add(where, "сброс", Named(onOff, a.GetSbros(n)), Named(onOff, b.GetSbros(n)));
    const int flags = 1 + TProgF15Class::BlockSize * n + 7;
    out.Add(where, "прочие биты флагов", Hex(a.GetByte(flags) & ~0x30, 2),
            Hex(b.GetByte(flags) & ~0x30, 2));
    for (int k = 0; k < TProgF15Class::KolSign; ++k)
        out.Add(where + ", вход " + std::to_string(k + 1), "сигнал",
                std::to_string(a.GetNumSign(n, k)), std::to_string(b.GetNumSign(n, k)));
}

void CompareNetwork(const DeviceImage& ia, const DeviceImage& ib, Lines& out) {
    TProgF15Class a;
    TProgF15Class b;
    LoadNetwork(ia, a);
    LoadNetwork(ib, b);
    for (int n = 0; n < TProgF15Class::KolBlock; ++n)
        CompareBlock(a, b, n, out);
    const std::string where = "Сеть RS-485";
    out.Add(where, "скорость", Named(kSpeeds, a.GetSkor()), Named(kSpeeds, b.GetSkor()));
    out.Add(where, "четность", "«" + Named(kParities, a.GetParit()) + "»",
            "«" + Named(kParities, b.GetParit()) + "»");
    const int s = TProgF15Class::SettingsByte;
    out.Add(where, "прочие биты настройки", Hex(a.GetByte(s) & 0xF0, 2),
            Hex(b.GetByte(s) & 0xF0, 2));
}

} // namespace

CompareScope CompareScope::Of(const WriteScope& write) {
    CompareScope s;
    s.config = false;
    s.modules = write.modules;
    s.network = write.network;
    s.labels = false;
    return s;
}

std::vector<std::string> CompareDeviceImages(const DeviceImage& a, const DeviceImage& b,
                                             const CompareScope& scope) {
    std::vector<std::string> lines;
    Lines out(lines);
    if (scope.config)
        CompareConfig(a, b, out);
    const int kolMod = std::min(a.KolMod(), b.KolMod());
    TProgLumClass la;
    TProgLumClass lb;
    LoadRecords(a, la);
    LoadRecords(b, lb);
    for (int m = 0; m < kolMod; ++m)
        if ((scope.modules >> m) & 1u)
            CompareModule(la, lb, m, out);
    if (scope.labels && a.HasLabels() && b.HasLabels())
        CompareLabels(a, b, kolMod, out);
    if (scope.network)
        CompareNetwork(a, b, out);
    return lines;
}

std::string Cp1251ToUtf8(const std::string& bytes) {
    // 0x80..0xBF: the punctuation and the few letters outside the contiguous Cyrillic range.
    static const char16_t kHigh[64] = {
        0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
        0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
        0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
        0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
        0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};
    std::string out;
    for (unsigned char c : bytes) {
        const unsigned u = c < 0x80 ? c : c < 0xC0 ? kHigh[c - 0x80] : 0x0410u + (c - 0xC0u);
        if (u < 0x80) {
            out += char(u);
        } else if (u < 0x800) {
            out += char(0xC0 | (u >> 6));
            out += char(0x80 | (u & 0x3F));
        } else {
            out += char(0xE0 | (u >> 12));
            out += char(0x80 | ((u >> 6) & 0x3F));
            out += char(0x80 | (u & 0x3F));
        }
    }
    return out;
}
