#include "model/moduleconfig.h"

#include "model/keyfilters.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// "Дискр.сигн.000" in Windows-1251.
constexpr uint8_t DefaultText[ModuleConfig::LabelLength] = {0xC4, 0xE8, 0xF1, 0xEA, 0xF0, '.', 0xF1,
                                                            0xE8, 0xE3, 0xED, '.',  '0',  '0', '0'};

bool InputInRange(int input) {
    return input >= 0 && input < ModuleConfig::MaxInputs;
}

} // namespace

int ModuleConfig::GetModuleCount() const {
    return std::clamp(ModuleCount, 0, MaxModules);
}

void ModuleConfig::PutModuleCount(int n) {
    ModuleCount = std::clamp(n, 0, MaxModules);
}

bool ModuleConfig::PutConfigReply(int function, const uint8_t* reply, int replyLength) {
    constexpr int HeaderSize = 3; // address, function, byte count
    if (function != 17 || reply == nullptr || replyLength < HeaderSize + ConfigSize)
        return false;
    if (reply[2] != ConfigSize)
        return false;
    PutConfig(std::span<const uint8_t, ConfigSize>(reply + HeaderSize, ConfigSize));
    return true;
}

void ModuleConfig::PutConfig(std::span<const uint8_t, ConfigSize> bytes) {
    std::copy(bytes.begin(), bytes.end(), Config);
    // The device holds at most six modules; a count or a list claiming more is cut to six.
    ModuleCount = std::min<int>(Config[0], MaxModules);
    std::fill(std::begin(ModuleAddress), std::end(ModuleAddress), 0);
    // Cleared as well, so that a count above the codes found never shows a stale module type.
    std::fill(std::begin(ModuleType), std::end(ModuleType), TypeNone);
    int j = 0;
    for (int p = 0; p < SlotCount && j < MaxModules; ++p) {
        if (Config[p + 1] != 0) {
            ModuleType[j] = Config[p + 1];
            ModuleAddress[j] = p;
            ++j;
        }
    }
}

void ModuleConfig::ClearInputIds() {
    for (auto& row : InputId)
        for (auto& piece : row)
            piece.clear();
}

void ModuleConfig::ClearLabels() {
    std::memset(Label, 0, sizeof Label);
}

void ModuleConfig::MakeInputIds() {
    const int moduleCount = GetModuleCount();
    for (int m = 0; m < moduleCount; ++m) {
        for (int j = 0; j < 6; ++j) {
            std::string* id = InputId[6 * m + j];
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

std::string ModuleConfig::IdPiecesText(int input, int pieces) const {
    std::string s;
    if (!InputInRange(input))
        return s;
    for (int p = 0; p < pieces; ++p)
        s += InputId[input][p];
    return s;
}

std::string ModuleConfig::GetInputId(int input) const {
    return IdPiecesText(input, 10);
}

std::string ModuleConfig::InputName(int input) const {
    std::string id = GetInputId(input);
    id.erase(id.find_last_not_of(' ') + 1);
    return id;
}

std::string ModuleConfig::GetLabel(int input) const {
    if (!InputInRange(input))
        return {};
    const uint8_t* t = Label[input];
    std::size_t n = 0;
    while (n < LabelLength && t[n] != 0)
        ++n;
    while (n > 0 && t[n - 1] == ' ')
        --n;
    return std::string(reinterpret_cast<const char*>(t), n);
}

void ModuleConfig::PutLabel(const std::string& bytes1251, int input) {
    if (!InputInRange(input))
        return;
    std::memset(Label[input], ' ', LabelLength);
    std::memcpy(Label[input], bytes1251.data(),
                std::min<std::size_t>(bytes1251.size(), LabelLength));
}

void ModuleConfig::PutDefaultLabel(int input) {
    if (!InputInRange(input))
        return;
    std::memcpy(Label[input], DefaultText, LabelLength);
    // The number i + 1 right-aligned over the trailing zeros.
    const std::string number = std::to_string(input + 1);
    std::memcpy(Label[input] + LabelLength - number.size(), number.data(), number.size());
}

void ModuleConfig::PutLabelBlock(std::span<const uint8_t, LabelBlockSize> bytes) {
    std::copy(bytes.begin(), bytes.end(), LabelBlock);
}

void ModuleConfig::LabelBlockToInputs(int half) {
    if (half != 0 && half != 1)
        return;
    std::memcpy(&Label[0][0] + LabelBlockSize * half, LabelBlock, LabelBlockSize);
}

void ModuleConfig::InputsToLabelBlock(int half) {
    std::memset(LabelBlock, 0, LabelBlockSize);
    if (half == 0 || half == 1)
        std::memcpy(LabelBlock, &Label[0][0] + LabelBlockSize * half, LabelBlockSize);
}

std::string ModuleConfig::GetModificationCode() const {
    std::string s;
    for (int p = 1; p <= SlotCount; ++p)
        s += std::to_string(Config[p]);
    return s;
}

std::string ModuleConfig::GetDesignation() const {
    return "ЛУМ-08-" + GetModificationCode();
}

std::string ModuleConfig::GetInputCountText() const {
    return std::to_string(GetInputCount());
}

std::string ModuleConfig::ModuleCodeName(int code) {
    const std::string name = ModuleTypeName(code);
    return name.empty() ? "код " + std::to_string(code) : name;
}

std::string ModuleConfig::ModuleTypeName(int tip) {
    switch (tip) {
    case TypeMLV:
        return "МЛВ";
    case TypeMSU:
        return "МСЮ";
    default:
        return {};
    }
}

ModuleRowText ModuleConfig::GetModuleRow(int k) const {
    ModuleRowText row;
    if (k < 0 || k >= GetModuleCount())
        return row;
    char code[16];
    std::snprintf(code, sizeof code, "%X", static_cast<unsigned>(ModuleType[k]));
    row.address = std::to_string(ModuleAddress[k]);
    row.code = code;
    row.name = ModuleTypeName(ModuleType[k]);
    row.range = IdPiecesText(6 * k, 6) + " - " + IdPiecesText(6 * k + 5, 6);
    return row;
}

int ModuleConfig::KeyDec(int key, bool ctrl, const std::string& text) {
    return ::KeyDec(key, ctrl, text);
}

int ModuleConfig::KeyHex(int key, bool ctrl, const std::string& text) {
    return ::KeyHex(key, ctrl, text);
}
