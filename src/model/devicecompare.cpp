#include "model/devicecompare.h"

#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "model/networkblocks.h"

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
    return code == 0 ? "нет" : ModuleConfig::ModuleCodeName(code);
}

std::string Hex(int v, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%0*X", digits, v);
    return buf;
}

// One field of an input record, read through the model's own accessors.
struct RecordField {
    const char* name;
    int (InputProgram::*get)(int) const;
    Names names; // empty: the number itself
    const char* unit;
};

const RecordField kRecordFields[] = {
    {"тип сигнала", &InputProgram::GetNamur, {"сухой контакт", "Namur"}, ""},
    {"тип контакта", &InputProgram::GetContact, {"НЗ", "НР"}, ""},
    {"реле", &InputProgram::GetRelay, {"нет", "есть"}, ""},
    {"цвет",
     &InputProgram::GetColor,
     {"нет", nullptr, "зеленый", nullptr, "красный", nullptr, "желтый"},
     ""},
    {"тип сигнализации", &InputProgram::GetAlarmType, {"нет", "пред", "авар", "индик"}, ""},
    {"задержка", &InputProgram::GetDelay, {}, " с"},
    {"звук", &InputProgram::GetSound, {"нет", "есть"}, ""},
    {"архив", &InputProgram::GetArchive, {"отключено", "включено"}, ""},
};

const Names kSpeeds = {"9600", "19200", "57600", "115200"};
const Names kParities = {"2 стоп-бита без контр. четности", "1 стоп-бит с контр. нечетности",
                         "1 стоп-бит с контр. четности", "1 стоп-бит без контр. четности"};

// Where a difference is: its words and its parts.
struct Where {
    std::string text;
    int module = 0;
    std::string input;
    int block = 0;
    Where(std::string t) : text(std::move(t)) {} // NOLINT: a plain place converts
    Where(const char* t) : text(t) {}            // NOLINT
    Where(std::string t, int m, std::string i = {}, int b = 0)
        : text(std::move(t)), module(m), input(std::move(i)), block(b) {}
};

class Lines {
public:
    explicit Lines(std::vector<Difference>& out) : out_(out) {}
    // unit follows the new value only: "задержка 5 → 10 с".
    void Add(const Where& where, const std::string& field, const std::string& a,
             const std::string& b, const std::string& unit = {}) {
        if (a == b)
            return;
        Difference d;
        d.text = where.text + ": " + field + (field.empty() ? "" : " ") + a + " → " + b + unit;
        d.where = where.text;
        d.module = where.module;
        d.input = where.input;
        d.block = where.block;
        d.field = field;
        // Each value with its unit, so that either side reads alone ("5 с", "10 с").
        d.first = a + unit;
        d.second = b + unit;
        out_.push_back(std::move(d));
    }

private:
    std::vector<Difference>& out_;
};

void LoadRecords(const DeviceImage& image, InputProgram& inputProgram) {
    for (int m = 0; m < DeviceImage::Groups; ++m) {
        inputProgram.PutModuleBuffer(image.Group(m));
        inputProgram.ModuleBufferToRecords(m);
    }
}

void LoadNetwork(const DeviceImage& image, NetworkBlocks& f15) {
    std::copy(image.Network().begin(), image.Network().end(), f15.Image);
}

std::string InputName(int m, int j) {
    return "DI_" + std::to_string(m + 1) + "_" + std::to_string(j + 1);
}

void CompareConfig(const DeviceImage& a, const DeviceImage& b, Lines& out) {
    out.Add("Количество модулей", "", std::to_string(a.Config()[0]), std::to_string(b.Config()[0]));
    for (int p = 0; p < ModuleConfig::SlotCount; ++p)
        out.Add("Адрес модуля " + std::to_string(p), "", ModuleName(a.Config()[size_t(p) + 1]),
                ModuleName(b.Config()[size_t(p) + 1]));
}

void CompareModule(const InputProgram& a, const InputProgram& b, int m, Lines& out) {
    const std::string module = "Модуль " + std::to_string(m + 1);
    out.Add({module, m + 1}, "параметр модуля", std::to_string(a.GetModuleParameter(m)),
            std::to_string(b.GetModuleParameter(m)));
    for (int j = 0; j < 6; ++j) {
        const int input = 6 * m + j;
        const Where where{module + ", вход " + InputName(m, j), m + 1, InputName(m, j)};
        for (const RecordField& f : kRecordFields) {
            const int va = (a.*f.get)(input);
            const int vb = (b.*f.get)(input);
            const bool named = !f.names.empty();
            out.Add(where, f.name, named ? Named(f.names, va) : std::to_string(va),
                    named ? Named(f.names, vb) : std::to_string(vb), f.unit);
        }
        // Byte 2 beyond the module parameter is kept as it came; a difference still counts.
        const int mask = j == 0 ? 0xF8 : 0xFF;
        out.Add(where, "прочие биты", Hex(a.Records[3 * input + 2] & mask, 2),
                Hex(b.Records[3 * input + 2] & mask, 2));
    }
}

void CompareLabels(const DeviceImage& a, const DeviceImage& b, int moduleCount, Lines& out) {
    ModuleConfig sa;
    ModuleConfig sb;
    for (int half = 0; half < 2; ++half) {
        sa.PutLabelBlock(std::span<const uint8_t, ModuleConfig::LabelBlockSize>(
            a.Labels().data() + half * ModuleConfig::LabelBlockSize, ModuleConfig::LabelBlockSize));
        sa.LabelBlockToInputs(half);
        sb.PutLabelBlock(std::span<const uint8_t, ModuleConfig::LabelBlockSize>(
            b.Labels().data() + half * ModuleConfig::LabelBlockSize, ModuleConfig::LabelBlockSize));
        sb.LabelBlockToInputs(half);
    }
    for (int input = 0; input < 6 * moduleCount; ++input)
        out.Add({"Модуль " + std::to_string(input / 6 + 1) + ", вход " +
                     InputName(input / 6, input % 6),
                 input / 6 + 1, InputName(input / 6, input % 6)},
                "надпись", "«" + Cp1251ToUtf8(sa.GetLabel(input)) + "»",
                "«" + Cp1251ToUtf8(sb.GetLabel(input)) + "»");
}

void CompareBlock(const NetworkBlocks& a, const NetworkBlocks& b, int n, Lines& out) {
    const Where where{"Блок Ф15 " + std::to_string(n + 1), 0, {}, n + 1};
    auto num = [&](const char* field, int (NetworkBlocks::*get)(int) const) {
        out.Add(where, field, std::to_string((a.*get)(n)), std::to_string((b.*get)(n)));
    };
    num("код функции", &NetworkBlocks::GetFunctionCode);
    num("количество входов", &NetworkBlocks::GetInputCount);
    num("адрес Slave", &NetworkBlocks::GetSlaveAddress);
    out.Add(where, "начальный адрес", Hex(a.GetStartAddress(n), 4), Hex(b.GetStartAddress(n), 4));
    num("количество данных", &NetworkBlocks::GetDataCount);
    const Names onOff = {"выкл", "вкл"};
    out.Add(where, "квитирование", Named(onOff, a.GetAcknowledge(n)),
            Named(onOff, b.GetAcknowledge(n)));
    out.Add(where, "сброс", Named(onOff, a.GetReset(n)), Named(onOff, b.GetReset(n)));
    const int flags = 1 + NetworkBlocks::BlockSize * n + 7;
    out.Add(where, "прочие биты флагов", Hex(a.GetByte(flags) & ~0x30, 2),
            Hex(b.GetByte(flags) & ~0x30, 2));
    for (int k = 0; k < NetworkBlocks::SignalCount; ++k)
        out.Add({where.text + ", вход " + std::to_string(k + 1), 0, std::to_string(k + 1), n + 1},
                "сигнал", std::to_string(a.GetSignal(n, k)), std::to_string(b.GetSignal(n, k)));
}

void CompareNetwork(const DeviceImage& ia, const DeviceImage& ib, Lines& out) {
    NetworkBlocks a;
    NetworkBlocks b;
    LoadNetwork(ia, a);
    LoadNetwork(ib, b);
    for (int n = 0; n < NetworkBlocks::BlockCount; ++n)
        CompareBlock(a, b, n, out);
    const std::string where = "Сеть RS-485";
    out.Add(where, "скорость", Named(kSpeeds, a.GetSpeedCode()), Named(kSpeeds, b.GetSpeedCode()));
    out.Add(where, "четность", "«" + Named(kParities, a.GetParityCode()) + "»",
            "«" + Named(kParities, b.GetParityCode()) + "»");
    const int s = NetworkBlocks::SettingsByte;
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
    for (Difference& d : CompareDeviceImagesInParts(a, b, scope))
        lines.push_back(std::move(d.text));
    return lines;
}

std::vector<Difference> CompareDeviceImagesInParts(const DeviceImage& a, const DeviceImage& b,
                                                   const CompareScope& scope) {
    std::vector<Difference> lines;
    Lines out(lines);
    if (scope.config)
        CompareConfig(a, b, out);
    const int moduleCount = std::min(a.ModuleCount(), b.ModuleCount());
    InputProgram la;
    InputProgram lb;
    LoadRecords(a, la);
    LoadRecords(b, lb);
    for (int m = 0; m < moduleCount; ++m)
        if ((scope.modules >> m) & 1u)
            CompareModule(la, lb, m, out);
    if (scope.labels && a.HasLabels() && b.HasLabels())
        CompareLabels(a, b, moduleCount, out);
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
