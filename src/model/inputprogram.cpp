#include "model/inputprogram.h"

#include "model/keyfilters.h"
#include "model/moduleconfig.h"
#include "model/operator.h"

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
constexpr Field Contact{0, 0x02, 1};
constexpr Field Relay{0, 0x04, 2};
constexpr Field Color{0, 0x38, 3};
constexpr Field AlarmType{0, 0xC0, 6};
constexpr Field Delay{1, 0x3F, 0};
constexpr Field Sound{1, 0x40, 6};
constexpr Field Archive{1, 0x80, 7};
constexpr Field ModuleParameter{2, 0x07, 0};

constexpr uint8_t ClearedRecord[3] = {0x20, 0x00, 0x00};

constexpr int ColorRed = 4;
constexpr int ColorYellow = 6;
constexpr int ColorGreen = 2;
constexpr int AlarmWarning = 1;
constexpr int AlarmEmergency = 2;
constexpr int AlarmIndication = 3;
constexpr int DefaultDelay = 5;

bool InputInRange(int input) {
    return input >= 0 && input < InputProgram::MaxInputs;
}
bool ModuleInRange(int mod) {
    return mod >= 0 && mod < InputProgram::MaxModules;
}

} // namespace

InputProgram::InputProgram() = default;

int InputProgram::GetBits(int input, int byte, int mask, int shift) const {
    if (!InputInRange(input))
        return 0;
    return (Records[input * RecSize + byte] & mask) >> shift;
}

void InputProgram::PutBits(int input, int byte, int mask, int shift, int value) {
    if (!InputInRange(input))
        return;
    uint8_t& b = Records[input * RecSize + byte];
    // Only the bits that fit the field are taken, so a wrong value never spills over.
    b = static_cast<uint8_t>((b & ~mask) | ((value & (mask >> shift)) << shift));
}

#define LUM_FIELD_ACCESSORS(Name)                                                                  \
    int InputProgram::Get##Name(int input) const {                                                 \
        return GetBits(input, Name.byte, Name.mask, Name.shift);                                   \
    }                                                                                              \
    void InputProgram::Put##Name(int input, int value) {                                           \
        PutBits(input, Name.byte, Name.mask, Name.shift, value);                                   \
    }

LUM_FIELD_ACCESSORS(Namur)
LUM_FIELD_ACCESSORS(Contact)
LUM_FIELD_ACCESSORS(Relay)
LUM_FIELD_ACCESSORS(Color)
LUM_FIELD_ACCESSORS(AlarmType)
LUM_FIELD_ACCESSORS(Delay)
LUM_FIELD_ACCESSORS(Sound)
LUM_FIELD_ACCESSORS(Archive)
#undef LUM_FIELD_ACCESSORS

int InputProgram::GetModuleParameter(int mod) const {
    if (!ModuleInRange(mod))
        return 0;
    return GetBits(mod * 6, ModuleParameter.byte, ModuleParameter.mask, ModuleParameter.shift);
}

void InputProgram::PutModuleParameter(int mod, int value) {
    if (ModuleInRange(mod))
        PutBits(mod * 6, ModuleParameter.byte, ModuleParameter.mask, ModuleParameter.shift, value);
}

void InputProgram::PutModuleWriteLength(int byteCount) {
    ModuleWriteLength = std::clamp(byteCount, ModuleWriteLengthMin, ModuleWriteLengthMax);
}

int InputProgram::GetModuleWriteLength() const {
    return std::clamp(ModuleWriteLength, ModuleWriteLengthMin, ModuleWriteLengthMax);
}

int InputProgram::PutModuleReply(const uint8_t* reply, int replyLength) {
    constexpr int HeaderSize = 4; // address, function, byte count, module number
    constexpr int ReceiveError = 128;
    if (reply == nullptr || replyLength < HeaderSize + GroupSize)
        return ReceiveError;
    if (reply[2] < ModuleWriteLengthMin)
        return ReceiveError;
    std::memcpy(ModuleBuffer, reply + HeaderSize, GroupSize);
    return 0;
}

void InputProgram::PutModuleBuffer(std::span<const uint8_t, GroupSize> bytes) {
    std::copy(bytes.begin(), bytes.end(), ModuleBuffer);
}

void InputProgram::ModuleBufferToRecords(int mod) {
    if (ModuleInRange(mod))
        std::memcpy(Records + mod * GroupSize, ModuleBuffer, GroupSize);
}

void InputProgram::RecordsToModuleBuffer(int mod) {
    std::memset(ModuleBuffer, 0, GroupSize);
    if (ModuleInRange(mod))
        std::memcpy(ModuleBuffer, Records + mod * GroupSize, GroupSize);
}

void InputProgram::ClearRecords(int first, int count) {
    const int begin = std::max(first, 0);
    const int end =
        count > 0 ? std::min<long long>(static_cast<long long>(first) + count, MaxInputs) : begin;
    for (int input = begin; input < end; ++input)
        std::memcpy(Records + input * RecSize, ClearedRecord, RecSize);
}

std::vector<uint8_t> InputProgram::ModuleWriteData(int mod) {
    RecordsToModuleBuffer(mod);
    const int n = GetModuleWriteLength();
    std::vector<uint8_t> data;
    data.reserve(n);
    data.push_back(static_cast<uint8_t>(mod + 1));
    data.insert(data.end(), ModuleBuffer, ModuleBuffer + (n - 1));
    return data;
}

void InputProgram::SetAllFitted(const ModuleConfig& moduleConfig, int byte, int mask, int shift,
                                int value) {
    const int inputCount = moduleConfig.GetInputCount();
    for (int input = 0; input < inputCount; ++input)
        PutBits(input, byte, mask, shift, value);
}

void InputProgram::ApplyPreset(TestPreset preset, const ModuleConfig& moduleConfig) {
    auto all = [&](const Field& f, int value) {
        SetAllFitted(moduleConfig, f.byte, f.mask, f.shift, value);
    };
    auto light = [&](int tipSign, int color) {
        all(AlarmType, tipSign);
        all(Sound, 0);
        all(Contact, 0);
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
        all(Contact, 1);
        break;
    case TestPreset::NormallyClosed:
        all(Contact, 0);
        break;
    case TestPreset::Red:
        light(AlarmEmergency, ColorRed);
        break;
    case TestPreset::Yellow:
        light(AlarmWarning, ColorYellow);
        break;
    case TestPreset::Green:
        light(AlarmIndication, ColorGreen);
        break;
    case TestPreset::DefaultDatabase:
        all(AlarmType, AlarmEmergency);
        all(Sound, 1);
        all(Contact, 0);
        all(Color, ColorRed);
        all(Archive, 1);
        DefaultRelaysAndDelays(moduleConfig);
        break;
    }
}

void InputProgram::DefaultRelaysAndDelays(const ModuleConfig& moduleConfig) {
    const int moduleCount = moduleConfig.GetModuleCount();
    for (int k = 0; k < moduleCount; ++k) {
        const int tip = moduleConfig.ModuleType[k];
        for (int j = 0; j < 6; ++j) {
            const bool relay = tip == ModuleConfig::TypeMLV ||
                               (tip == ModuleConfig::TypeMSU && (j == 3 || j == 4));
            if (relay) {
                PutDelay(6 * k + j, DefaultDelay);
                PutRelay(6 * k + j, 1);
            }
        }
        PutModuleParameter(k, 0);
    }
}

void InputProgram::CreateDefaults(const ModuleConfig& moduleConfig) {
    ClearRecords(0, MaxInputs);
    const int inputCount = moduleConfig.GetInputCount();
    for (int input = 0; input < inputCount; ++input) {
        PutAlarmType(input, AlarmEmergency);
        PutColor(input, ColorRed);
        PutContact(input, 1);
        PutSound(input, 1);
        PutArchive(input, 1);
    }
    DefaultRelaysAndDelays(moduleConfig);
}

bool InputProgram::AskCreate(Operator& op, int accessLevel) const {
    if (!op.YesNo("Конфигурация не задана. Будете создавать?", "Подтверждение"))
        return true;
    if (accessLevel != 1)
        op.Tell("Ваш уровень доступа не позволяет создавать схему", "Предупреждение",
                MsgIcon::Warning);
    return false;
}

int InputProgram::CheckValue(const std::string& text, int kind) {
    return ::CheckValue(text, kind);
}
