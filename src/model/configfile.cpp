#include "model/configfile.h"

#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "model/networkblocks.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int Groups = InputProgram::MaxModules;
constexpr int GroupSize = InputProgram::GroupSize;
constexpr int Halves = 2;
constexpr int HalfSize = ModuleConfig::LabelBlockSize;

static_assert(ConfigFile::OffRecords == ConfigFile::OffConfig + ModuleConfig::ConfigSize);
static_assert(ConfigFile::OffImage == ConfigFile::OffRecords + Groups * GroupSize);
static_assert(ConfigFile::OffLabels == ConfigFile::OffImage + NetworkBlocks::ImageSize);
static_assert(ConfigFile::Size == ConfigFile::OffLabels + Halves * HalfSize);

void PutRecords(std::vector<uint8_t>& file, InputProgram& inputProgram) {
    for (int m = 0; m < Groups; ++m) {
        inputProgram.RecordsToModuleBuffer(m);
        std::copy(inputProgram.ModuleBuffer, inputProgram.ModuleBuffer + GroupSize,
                  file.begin() + ConfigFile::OffRecords + m * GroupSize);
    }
}

void PutLabels(std::vector<uint8_t>& file, ModuleConfig& moduleConfig) {
    for (int half = 0; half < Halves; ++half) {
        moduleConfig.InputsToLabelBlock(half);
        std::copy(moduleConfig.LabelBlock, moduleConfig.LabelBlock + HalfSize,
                  file.begin() + ConfigFile::OffLabels + half * HalfSize);
    }
}

} // namespace

std::vector<uint8_t> SaveConfigFile(ModuleConfig& moduleConfig, InputProgram& inputProgram,
                                    const NetworkBlocks& f15) {
    std::vector<uint8_t> file(ConfigFile::Size, 0);
    file[ConfigFile::OffNewBusNumber] = moduleConfig.NewBusNumber;
    std::copy(moduleConfig.Config, moduleConfig.Config + ModuleConfig::ConfigSize,
              file.begin() + ConfigFile::OffConfig);
    PutRecords(file, inputProgram);
    std::copy(f15.Image, f15.Image + NetworkBlocks::ImageSize, file.begin() + ConfigFile::OffImage);
    PutLabels(file, moduleConfig);
    return file;
}

std::string ConfigFileProblem(std::span<const uint8_t> bytes) {
    if (bytes.size() != static_cast<std::size_t>(ConfigFile::Size))
        return std::to_string(bytes.size()) + " байт вместо " + std::to_string(ConfigFile::Size);
    const int count = bytes[ConfigFile::OffConfig];
    if (count > ModuleConfig::MaxModules)
        return "модулей " + std::to_string(count) + ", а в приборе их от 1 до " +
               std::to_string(ModuleConfig::MaxModules);
    const auto codes = bytes.subspan(ConfigFile::OffConfig + 1, ModuleConfig::SlotCount);
    const auto fitted = std::count_if(codes.begin(), codes.end(), [](uint8_t c) { return c != 0; });
    if (fitted != count)
        return "модулей " + std::to_string(count) + ", а заполненных адресов модулей " +
               std::to_string(fitted);
    return {};
}

std::string StrictConfigFileProblem(std::span<const uint8_t> bytes) {
    if (std::string problem = ConfigFileProblem(bytes); !problem.empty())
        return problem;
    if (bytes[ConfigFile::OffConfig] == 0)
        return "модулей 0, а в приборе их от 1 до " + std::to_string(ModuleConfig::MaxModules);
    const auto codes = bytes.subspan(ConfigFile::OffConfig + 1, ModuleConfig::SlotCount);
    if (const auto unknown = UnknownModuleSlots(bytes); !unknown.empty())
        return "модуль неизвестного типа, код " + std::to_string(codes[size_t(unknown[0])]) +
               ", по адресу модуля " + std::to_string(unknown[0]);
    return {};
}

std::vector<int> UnknownModuleSlots(std::span<const uint8_t> bytes) {
    std::vector<int> slots;
    if (bytes.size() < static_cast<std::size_t>(ConfigFile::Size))
        return slots;
    for (int slot = 0; slot < 16; ++slot) {
        const int code = bytes[ConfigFile::OffConfig + 1 + slot];
        if (code != ModuleConfig::TypeNone && code != ModuleConfig::TypeMLV &&
            code != ModuleConfig::TypeMSU)
            slots.push_back(slot);
    }
    return slots;
}

bool LoadConfigFile(std::span<const uint8_t> bytes, ModuleConfig& moduleConfig,
                    InputProgram& inputProgram, NetworkBlocks& f15) {
    // Checked before anything is touched, so a refused file never leaves a half-loaded model.
    if (!ConfigFileProblem(bytes).empty())
        return false;
    const uint8_t* b = bytes.data();
    moduleConfig.PutConfig(std::span<const uint8_t, ModuleConfig::ConfigSize>(
        b + ConfigFile::OffConfig, ModuleConfig::ConfigSize));
    moduleConfig.ClearInputIds();
    moduleConfig.ClearLabels();
    moduleConfig.MakeInputIds();
    for (int m = 0; m < Groups; ++m) {
        inputProgram.PutModuleBuffer(std::span<const uint8_t, GroupSize>(
            b + ConfigFile::OffRecords + m * GroupSize, GroupSize));
        inputProgram.ModuleBufferToRecords(m);
    }
    std::memcpy(f15.Image, b + ConfigFile::OffImage, NetworkBlocks::ImageSize);
    f15.PutWriteLength(NetworkBlocks::ImageSize); // a file always holds the whole image
    for (int half = 0; half < Halves; ++half) {
        moduleConfig.PutLabelBlock(std::span<const uint8_t, HalfSize>(
            b + ConfigFile::OffLabels + half * HalfSize, HalfSize));
        moduleConfig.LabelBlockToInputs(half);
    }
    return true;
}

std::vector<uint8_t> MakeCreatedConfigFile(std::span<const uint8_t, 17> config) {
    ModuleConfig moduleConfig;
    InputProgram inputProgram;
    const NetworkBlocks emptyImage;
    moduleConfig.PutConfig(config);
    moduleConfig.ClearInputIds();
    moduleConfig.ClearLabels();
    for (int input = 0; input < ModuleConfig::MaxInputs; ++input)
        moduleConfig.PutDefaultLabel(input);
    inputProgram.CreateDefaults(moduleConfig);
    moduleConfig.NewBusNumber = 0;
    return SaveConfigFile(moduleConfig, inputProgram, emptyImage);
}

std::string WithLumExtension(const std::string& name) {
    const size_t slash = name.find_last_of("/\\");
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return name + ".lum";
    return name.substr(dot) == ".lum" ? name : std::string();
}
