#include "model/configfile.h"

#include "model/progf15class.h"
#include "model/proglumclass.h"
#include "model/reservblocks.h"
#include "model/servclass.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int Groups = TProgLumClass::KolModMax;
constexpr int GroupSize = TProgLumClass::GroupSize;
constexpr int Halves = 2;
constexpr int HalfSize = TServClass::TextBlockSize;

static_assert(ConfigFile::OffRecords == ConfigFile::OffConfig + TServClass::ConfigSize);
static_assert(ConfigFile::OffImage == ConfigFile::OffRecords + Groups * GroupSize);
static_assert(ConfigFile::OffLabels == ConfigFile::OffImage + TProgF15Class::ImageSize);
static_assert(ConfigFile::Size == ConfigFile::OffLabels + Halves * HalfSize);

void PutRecords(std::vector<uint8_t>& file, TProgLumClass& lum) {
    for (int m = 0; m < Groups; ++m) {
        lum.VhToRecMod(m);
        std::copy(lum.RecMod, lum.RecMod + GroupSize,
                  file.begin() + ConfigFile::OffRecords + m * GroupSize);
    }
}

void PutLabels(std::vector<uint8_t>& file, TServClass& serv) {
    for (int half = 0; half < Halves; ++half) {
        serv.VhToTextBlock(half);
        std::copy(serv.TextBlock, serv.TextBlock + HalfSize,
                  file.begin() + ConfigFile::OffLabels + half * HalfSize);
    }
}

} // namespace

std::vector<uint8_t> SaveConfigFile(TServClass& serv, TProgLumClass& lum,
                                    const TProgF15Class& f15) {
    std::vector<uint8_t> file(ConfigFile::Size, 0);
    file[ConfigFile::OffNumUstrZ] = serv.NumUstrZ;
    std::copy(serv.Config, serv.Config + TServClass::ConfigSize,
              file.begin() + ConfigFile::OffConfig);
    PutRecords(file, lum);
    std::copy(f15.BufF15, f15.BufF15 + TProgF15Class::ImageSize,
              file.begin() + ConfigFile::OffImage);
    PutLabels(file, serv);
    return file;
}

ConfigFileCheck CheckConfigFile(std::span<const uint8_t> bytes) {
    if (bytes.size() < static_cast<std::size_t>(ConfigFile::Size))
        return ConfigFileCheck::Short;
    // Any 712 bytes would load; a module count beyond what a device carries shows they are
    // something else.
    if (bytes[ConfigFile::OffConfig] > TServClass::KolModMax)
        return ConfigFileCheck::NotConfig;
    return ConfigFileCheck::Ok;
}

std::vector<int> UnknownModuleSlots(std::span<const uint8_t> bytes) {
    std::vector<int> slots;
    if (bytes.size() < static_cast<std::size_t>(ConfigFile::Size))
        return slots;
    for (int slot = 0; slot < 16; ++slot) {
        const int code = bytes[ConfigFile::OffConfig + 1 + slot];
        if (code != TServClass::TipNone && code != TServClass::TipMLV && code != TServClass::TipMSU)
            slots.push_back(slot);
    }
    return slots;
}

bool LoadConfigFile(std::span<const uint8_t> bytes, TServClass& serv, TProgLumClass& lum,
                    TProgF15Class& f15, TReservBlocksClass& reserv) {
    // Checked before anything is touched, so a refused file never leaves a half-loaded model.
    if (CheckConfigFile(bytes) != ConfigFileCheck::Ok)
        return false;
    const uint8_t* b = bytes.data();
    serv.PutConfig(std::span<const uint8_t, TServClass::ConfigSize>(b + ConfigFile::OffConfig,
                                                                    TServClass::ConfigSize));
    serv.ClearIdVh();
    serv.ClearTextVh();
    serv.MakeIdVh();
    for (int m = 0; m < Groups; ++m) {
        lum.PutRecMod(std::span<const uint8_t, GroupSize>(
            b + ConfigFile::OffRecords + m * GroupSize, GroupSize));
        lum.RecModToVh(m);
        lum.RecKnown[m] = true;
    }
    std::memcpy(reserv.ReservRecVh, lum.RecVh, sizeof reserv.ReservRecVh);
    std::memcpy(f15.BufF15, b + ConfigFile::OffImage, TProgF15Class::ImageSize);
    f15.PutLenF15(TProgF15Class::ImageSize); // a file always holds the whole image
    std::memcpy(reserv.ReservF15, f15.BufF15, sizeof reserv.ReservF15);
    for (int half = 0; half < Halves; ++half) {
        serv.PutTextBlock(std::span<const uint8_t, HalfSize>(
            b + ConfigFile::OffLabels + half * HalfSize, HalfSize));
        serv.TextBlockToVh(half);
    }
    return true;
}

std::vector<uint8_t> MakeCreatedConfigFile(std::span<const uint8_t, 17> config) {
    TServClass serv;
    TProgLumClass lum;
    const TProgF15Class emptyImage;
    serv.PutConfig(config);
    serv.ClearIdVh();
    serv.ClearTextVh();
    for (int vh = 0; vh < TServClass::KolVhMax; ++vh)
        serv.PutTextDefault(vh);
    lum.CreateDefaults(serv);
    serv.NumUstrZ = 0;
    return SaveConfigFile(serv, lum, emptyImage);
}

std::string WithLumExtension(const std::string& name) {
    const size_t slash = name.find_last_of("/\\");
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return name + ".lum";
    return name.substr(dot) == ".lum" ? name : std::string();
}
