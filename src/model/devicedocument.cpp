#include "model/devicedocument.h"

#include "model/configfile.h"

#include <algorithm>
#include <utility>

namespace {
// The parts of the document, for what holds them and what is unsaved.
constexpr int NetworkPart = DeviceImage::Groups;
constexpr int ConfigPart = NetworkPart + 1;
constexpr int LabelsPart = ConfigPart + 1;
constexpr int Parts = LabelsPart + 1;

bool SameBytes(std::span<const uint8_t> a, std::span<const uint8_t> b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

// The sections the operator edits, for telling a change made outside Edit.
std::vector<uint8_t> EditedSections(const DeviceImage& image) {
    const auto& bytes = image.Bytes();
    return std::vector<uint8_t>(bytes.begin() + ConfigFile::OffConfig, bytes.end());
}
} // namespace

DocumentOrigin DocumentOrigin::Device(int device, std::string port, std::string line) {
    DocumentOrigin o;
    o.kind = Kind::Device;
    o.device = device;
    o.port = std::move(port);
    o.line = std::move(line);
    return o;
}

DocumentOrigin DocumentOrigin::File(std::string path) {
    DocumentOrigin o;
    o.kind = Kind::File;
    o.path = std::move(path);
    return o;
}

DocumentOrigin DocumentOrigin::Backup(std::string path) {
    DocumentOrigin o = File(std::move(path));
    o.kind = Kind::Backup;
    return o;
}

DeviceImage DeviceDocument::Image() const {
    DeviceImage image;
    image.PutNewBusNumber(modules.NewBusNumber);
    image.PutConfig(modules.Config);
    for (int m = 0; m < DeviceImage::Groups; ++m)
        image.PutGroup(m, std::span<const uint8_t>(program.Records + m * DeviceImage::GroupSize,
                                                   DeviceImage::GroupSize));
    image.PutNetwork(network.Image);
    image.PutLabels(std::span<const uint8_t>(&modules.Label[0][0], DeviceImage::LabelsSize));
    return image;
}

void DeviceDocument::Load(const DeviceImage& image, const DocumentOrigin& origin) {
    const std::vector<uint8_t> file = image.ToFile();
    LoadConfigFile(file, modules, program, network);
    for (int m = 0; m < DeviceImage::Groups; ++m)
        CorrectValveInputs(m);
    configKnown_ = true;
    moduleKnown_.fill(true);
    networkKnown_ = true;
    origin_ = origin;
    baseline_ = Image();
    saved_.reset();
    if (origin.kind != DocumentOrigin::Kind::None && origin.kind != DocumentOrigin::Kind::Device)
        saved_ = baseline_;
    deviceHeldParts_ = 0;
    Settle();
    NewHistory();
}

void DeviceDocument::StartFromDevice(const DocumentOrigin& origin) {
    origin_ = origin;
    saved_.reset();
    deviceHeldParts_ = 0;
    baseline_ = Image();
    Settle();
    NewHistory();
}

void DeviceDocument::CorrectValveInputs(int m) {
    if (!correctsValveInputs || m < 0 || m >= modules.GetModuleCount() ||
        modules.ModuleType[m] != ModuleConfig::TypeMSU)
        return;
    for (int k = 2; k <= 4; ++k)
        program.PutNamur(m * (ModuleConfig::MaxInputs / ModuleConfig::MaxModules) + k, 0);
}

void DeviceDocument::ModuleRead(int m) {
    CorrectValveInputs(m);
    SetModuleKnown(m, true);
    DeviceHoldsModule(m, std::span<const uint8_t>(program.Records + m * DeviceImage::GroupSize,
                                                  DeviceImage::GroupSize));
    Settle();
}

void DeviceDocument::NetworkRead() {
    SetNetworkKnown(true);
    // A read brings the whole image, its block number byte too.
    if (origin_.kind == DocumentOrigin::Kind::Device)
        baseline_.PutNetwork(std::span<const uint8_t>(network.Image, DeviceImage::ImageSize));
    DeviceHoldsNetwork(network.Image);
    Settle();
}

void DeviceDocument::Saved(const std::string& path) {
    if (IsFileMode()) {
        origin_ = DocumentOrigin::File(path);
        baseline_ = Image();
    }
    saved_ = Image();
    Notify();
}

void DeviceDocument::DeviceMoved(int from, int to) {
    if (origin_.kind == DocumentOrigin::Kind::Device && origin_.device == from)
        origin_.device = to;
}

void DeviceDocument::NewHistory() {
    history.Clear();
    Notify();
}

void DeviceDocument::Notify() const {
    if (onChange)
        onChange();
}

void DeviceDocument::PutContent(const DeviceImage& image) {
    for (int m = 0; m < DeviceImage::Groups; ++m)
        std::ranges::copy(image.Group(m), program.Records + m * DeviceImage::GroupSize);
    std::ranges::copy(image.Network(), network.Image);
    std::ranges::copy(image.Labels(), &modules.Label[0][0]);
}

bool DeviceDocument::Apply(bool undo) {
    if (undo ? !history.CanUndo() : !history.CanRedo())
        return false;
    const EditHistory::Step& step = history.steps_[undo ? history.done_ - 1 : history.done_];
    const auto& from = (undo ? step.after : step.before).Bytes();
    const auto& to = (undo ? step.before : step.after).Bytes();
    auto bytes = Image().Bytes();
    // Only what the step left is taken back: a byte a read has replaced since keeps the read's.
    for (size_t i = 0; i < bytes.size(); ++i)
        if (from[i] != to[i] && bytes[i] == from[i])
            bytes[i] = to[i];
    PutContent(DeviceImage::FromBytes(bytes));
    Settle();
    if (undo)
        --history.done_;
    else
        ++history.done_;
    Notify();
    return true;
}

bool DeviceDocument::Undo() {
    return Apply(true);
}

bool DeviceDocument::Redo() {
    return Apply(false);
}

bool DeviceDocument::ModuleKnown(int m) const {
    return m >= 0 && m < DeviceImage::Groups && moduleKnown_[size_t(m)];
}

void DeviceDocument::SetConfigKnown(bool known) {
    configKnown_ = known;
    if (!known) {
        moduleKnown_.fill(false);
        networkKnown_ = false;
    }
}

void DeviceDocument::SetModuleKnown(int m, bool known) {
    if (m >= 0 && m < DeviceImage::Groups)
        moduleKnown_[size_t(m)] = known;
}

bool DeviceDocument::FittedModulesKnown() const {
    for (int m = 0; m < modules.GetModuleCount(); ++m)
        if (!ModuleKnown(m))
            return false;
    return true;
}

void DeviceDocument::DeviceHoldsModule(int m, std::span<const uint8_t> group) {
    if (origin_.kind == DocumentOrigin::Kind::Device) {
        baseline_.PutGroup(m, group);
    } else {
        deviceHeld_.PutGroup(m, group);
        deviceHeldParts_ |= 1u << m;
    }
    Notify();
}

void DeviceDocument::DeviceHoldsNetwork(std::span<const uint8_t> image) {
    // The block number byte stays; only what a write carries follows the device.
    DeviceImage& held = origin_.kind == DocumentOrigin::Kind::Device ? baseline_ : deviceHeld_;
    std::vector<uint8_t> bytes(held.Network().begin(), held.Network().end());
    for (size_t i = 1; i < bytes.size() && i < image.size(); ++i)
        bytes[i] = image[i];
    held.PutNetwork(bytes);
    if (&held == &deviceHeld_)
        deviceHeldParts_ |= 1u << NetworkPart;
    Notify();
}

void DeviceDocument::RevertModule(int m, const std::string& stepName) {
    Edit(stepName, [&] {
        std::ranges::copy(baseline_.Group(m), program.Records + m * DeviceImage::GroupSize);
    });
}

void DeviceDocument::RevertNetwork(const std::string& stepName) {
    // The block number byte is no data: it stays.
    Edit(stepName, [&] { std::ranges::copy(baseline_.Network().subspan(1), network.Image + 1); });
}

bool DeviceDocument::ModuleChanged(int m) const {
    if (m < 0 || m >= DeviceImage::Groups)
        return false;
    const auto base = baseline_.Group(m);
    return !std::equal(base.begin(), base.end(), program.Records + m * DeviceImage::GroupSize);
}

bool DeviceDocument::NetworkChanged() const {
    const auto base = baseline_.Network();
    return !std::equal(base.begin() + 1, base.end(), network.Image + 1);
}

bool DeviceDocument::LabelsChanged() const {
    const auto base = baseline_.Labels();
    return !std::equal(base.begin(), base.end(), &modules.Label[0][0]);
}

bool DeviceDocument::ConfigChanged() const {
    const auto base = baseline_.Config();
    return !std::equal(base.begin(), base.end(), modules.Config);
}

bool DeviceDocument::Changed() const {
    if (ConfigChanged() || NetworkChanged() || LabelsChanged())
        return true;
    for (int m = 0; m < DeviceImage::Groups; ++m)
        if (ModuleChanged(m))
            return true;
    return false;
}

bool DeviceDocument::Differs(const DeviceImage& image, int part) const {
    if (part < DeviceImage::Groups)
        return !SameBytes(image.Group(part),
                          std::span<const uint8_t>(program.Records + part * DeviceImage::GroupSize,
                                                   DeviceImage::GroupSize));
    if (part == NetworkPart)
        return !SameBytes(image.Network().subspan(1),
                          std::span<const uint8_t>(network.Image + 1, DeviceImage::ImageSize - 1));
    if (part == ConfigPart)
        return !SameBytes(image.Config(), modules.Config);
    return !SameBytes(image.Labels(),
                      std::span<const uint8_t>(&modules.Label[0][0], DeviceImage::LabelsSize));
}

std::vector<std::string> DeviceDocument::UnsavedWork() const {
    std::vector<std::string> lines;
    if (origin_.kind == DocumentOrigin::Kind::None)
        return lines;
    const bool device = origin_.kind == DocumentOrigin::Kind::Device;
    for (int part = 0; part < Parts; ++part) {
        const bool deviceHolds = part != LabelsPart && part != ConfigPart &&
                                 (deviceHeldParts_ >> part & 1u) && !Differs(deviceHeld_, part);
        if (!Differs(baseline_, part) || (saved_ && !Differs(*saved_, part)) || deviceHolds)
            continue;
        if (part == LabelsPart)
            lines.push_back("тексты входов не сохранены в файле");
        else if (part == ConfigPart)
            lines.push_back(device ? "конфигурация отличается от прибора"
                                   : "конфигурация не сохранена в файле");
        else if (part == NetworkPart)
            lines.push_back(device ? "сетевые блоки отличаются от прибора"
                                   : "сетевые блоки не сохранены в файле");
        else
            lines.push_back("модуль " + std::to_string(part + 1) +
                            (device ? " отличается от прибора" : " не сохранен в файле"));
    }
    return lines;
}

void DeviceDocument::Edit(std::string name, const std::function<void()>& change) {
    const bool outer = history.depth_ == 0;
    // Whatever changed the document since the last sanctioned change did it behind Edit's back.
    if (outer && ChangedOutsideEdit())
        ++history.strayChanges_;
    const DeviceImage before = Image();
    ++history.depth_;
    try {
        change();
    } catch (...) {
        --history.depth_;
        throw;
    }
    --history.depth_;
    if (!outer)
        return;
    history.Record(std::move(name), before, Image());
    Settle();
    Notify();
}

void DeviceDocument::ApplyPreset(TestPreset preset, const std::string& stepName) {
    Edit(stepName, [&] {
        program.ApplyPreset(preset, modules);
        for (int m = 0; m < DeviceImage::Groups; ++m)
            CorrectValveInputs(m);
    });
}

void DeviceDocument::Settle() {
    settled_ = EditedSections(Image());
}

bool DeviceDocument::ChangedOutsideEdit() const {
    return history.strayChanges_ > 0 || EditedSections(Image()) != settled_;
}
