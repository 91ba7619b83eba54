#include "model/devicedocument.h"

#include "model/configfile.h"

#include <algorithm>
#include <utility>

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
    LoadConfigFile(file, modules, program, network, reserve);
    configKnown_ = true;
    moduleKnown_.fill(true);
    networkKnown_ = true;
    origin_ = origin;
    baseline_ = Image();
    NewHistory();
}

void DeviceDocument::SetBaseline(const DeviceImage& image) {
    baseline_ = image;
    Notify();
}

void DeviceDocument::TakeBaseline() {
    baseline_ = Image();
    Notify();
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

void DeviceDocument::BaselineModule(int m, std::span<const uint8_t> group) {
    baseline_.PutGroup(m, group);
    Notify();
}

void DeviceDocument::BaselineNetwork(std::span<const uint8_t> image) {
    // The block number byte stays; only what a write carries follows the device.
    std::vector<uint8_t> bytes(baseline_.Network().begin(), baseline_.Network().end());
    for (size_t i = 1; i < bytes.size() && i < image.size(); ++i)
        bytes[i] = image[i];
    baseline_.PutNetwork(bytes);
    Notify();
}

void DeviceDocument::CorrectRecords(const std::function<void(InputProgram&)>& fix) {
    fix(program);
    InputProgram base;
    for (int m = 0; m < DeviceImage::Groups; ++m)
        std::ranges::copy(baseline_.Group(m), base.Records + m * DeviceImage::GroupSize);
    fix(base);
    for (int m = 0; m < DeviceImage::Groups; ++m)
        baseline_.PutGroup(m, std::span<const uint8_t>(base.Records + m * DeviceImage::GroupSize,
                                                       DeviceImage::GroupSize));
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
