#include "model/deviceimage.h"

#include "model/moduleconfig.h"

#include <algorithm>

namespace {
constexpr int OffGroup(int m) {
    return ConfigFile::OffRecords + m * DeviceImage::GroupSize;
}
int ClampModule(int m) {
    return std::clamp(m, 0, DeviceImage::Groups - 1);
}
} // namespace

std::optional<DeviceImage> DeviceImage::FromFile(std::span<const uint8_t> bytes) {
    if (!ConfigFileProblem(bytes).empty())
        return std::nullopt;
    DeviceImage image;
    std::copy(bytes.begin(), bytes.begin() + ConfigFile::Size, image.bytes_.begin());
    return image;
}

std::vector<uint8_t> DeviceImage::ToFile() const {
    std::vector<uint8_t> file(bytes_.begin(), bytes_.end());
    // Zero bytes, as reading a device leaves the labels in the program: a back-up, a read saved
    // from the main window and one saved by lum08-cli are then the same file.
    if (!hasLabels_)
        std::fill(file.begin() + ConfigFile::OffLabels, file.end(), uint8_t(0));
    return file;
}

std::span<const uint8_t, DeviceImage::ConfigSize> DeviceImage::Config() const {
    return std::span<const uint8_t, ConfigSize>(bytes_.data() + ConfigFile::OffConfig, ConfigSize);
}

std::span<const uint8_t, DeviceImage::GroupSize> DeviceImage::Group(int module) const {
    return std::span<const uint8_t, GroupSize>(bytes_.data() + OffGroup(ClampModule(module)),
                                               GroupSize);
}

std::span<const uint8_t, DeviceImage::ImageSize> DeviceImage::Network() const {
    return std::span<const uint8_t, ImageSize>(bytes_.data() + ConfigFile::OffImage, ImageSize);
}

std::span<const uint8_t, DeviceImage::LabelsSize> DeviceImage::Labels() const {
    return std::span<const uint8_t, LabelsSize>(bytes_.data() + ConfigFile::OffLabels, LabelsSize);
}

void DeviceImage::PutConfig(std::span<const uint8_t> bytes) {
    const std::size_t n = std::min<std::size_t>(bytes.size(), ConfigSize);
    std::copy_n(bytes.begin(), n, bytes_.begin() + ConfigFile::OffConfig);
}

void DeviceImage::PutGroup(int module, std::span<const uint8_t> bytes) {
    const std::size_t n = std::min<std::size_t>(bytes.size(), GroupSize);
    std::copy_n(bytes.begin(), n, bytes_.begin() + OffGroup(ClampModule(module)));
}

void DeviceImage::PutNetwork(std::span<const uint8_t> bytes) {
    auto first = bytes_.begin() + ConfigFile::OffImage;
    std::fill(first, first + ImageSize, uint8_t(0));
    std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), ImageSize), first);
}

void DeviceImage::PutLabels(std::span<const uint8_t> bytes) {
    std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), LabelsSize),
                bytes_.begin() + ConfigFile::OffLabels);
}

int DeviceImage::ModuleCount() const {
    return std::min<int>(Config()[0], Groups);
}

std::string DeviceImage::ModificationCode() const {
    // The same digits the main window shows, from the model's own derivation.
    ModuleConfig moduleConfig;
    moduleConfig.PutConfig(Config());
    return moduleConfig.GetModificationCode();
}

WriteScope WriteScope::WholeDevice(int moduleCount) {
    WriteScope s;
    s.modules = (1u << std::clamp(moduleCount, 0, DeviceImage::Groups)) - 1u;
    s.network = true;
    s.config = true;
    return s;
}

WriteScope WriteScope::Module(int m) {
    WriteScope s;
    s.modules = 1u << ClampModule(m);
    return s;
}

WriteScope WriteScope::NetworkImage() {
    WriteScope s;
    s.network = true;
    return s;
}

WriteScope WriteScope::BusNumber() {
    WriteScope s;
    s.busNumber = true;
    return s;
}

bool SameInScope(const DeviceImage& a, const DeviceImage& b, const WriteScope& scope) {
    if (scope.config && !std::ranges::equal(a.Config(), b.Config()))
        return false;
    for (int m = 0; m < DeviceImage::Groups; ++m)
        if (scope.HasModule(m) && !std::ranges::equal(a.Group(m), b.Group(m)))
            return false;
    return !scope.network || std::ranges::equal(a.Network().subspan(1), b.Network().subspan(1));
}
