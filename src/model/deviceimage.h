#pragma once
// A device image: the configuration content of one device (module configuration, the six
// 18-byte record groups, the 82-byte network image, the labels) held apart from the model, so
// that a device can be read, kept, compared and saved without touching what the operator edits.
// It keeps the bytes in the configuration file's own layout (model/configfile.h), so turning it
// into a file or into the model is the file's own code.

#include "model/configfile.h"
#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "model/networkblocks.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

class DeviceImage {
public:
    // The block sizes are the views' own.
    static constexpr int ConfigSize = ModuleConfig::ConfigSize;
    static constexpr int GroupSize = InputProgram::GroupSize;
    static constexpr int Groups = InputProgram::MaxModules;
    static constexpr int ImageSize = NetworkBlocks::ImageSize;
    static constexpr int LabelsSize = ModuleConfig::MaxInputs * ModuleConfig::LabelLength;

    // A configuration file's bytes; nothing for what is no configuration file (too short, or
    // bytes that are plainly something else).
    static std::optional<DeviceImage> FromFile(std::span<const uint8_t> bytes);
    // The 712 bytes of a configuration file. An image without labels gives zero labels.
    std::vector<uint8_t> ToFile() const;

    // A device carries no labels: an image read from one says so, and comparisons skip them.
    bool HasLabels() const { return hasLabels_; }
    void SetHasLabels(bool has) { hasLabels_ = has; }

    // Sections, in the file's layout.
    std::span<const uint8_t, ConfigSize> Config() const;
    std::span<const uint8_t, GroupSize> Group(int module) const; // module 0..5
    std::span<const uint8_t, ImageSize> Network() const;
    std::span<const uint8_t, LabelsSize> Labels() const;
    void PutConfig(std::span<const uint8_t> bytes);            // up to 17 bytes
    void PutGroup(int module, std::span<const uint8_t> bytes); // up to 18 bytes
    void PutNetwork(std::span<const uint8_t> bytes);           // up to 82, the rest zero
    void PutLabels(std::span<const uint8_t> bytes);            // up to 504 label bytes
    void PutNewBusNumber(uint8_t n) { bytes_[ConfigFile::OffNewBusNumber] = n; }

    // Fitted modules (configuration byte 0, at most six) and the 16-digit modification code.
    int ModuleCount() const;
    std::string ModificationCode() const;

    const std::array<uint8_t, ConfigFile::Size>& Bytes() const { return bytes_; }
    static DeviceImage FromBytes(const std::array<uint8_t, ConfigFile::Size>& bytes) {
        DeviceImage image;
        image.bytes_ = bytes;
        return image;
    }

private:
    std::array<uint8_t, ConfigFile::Size> bytes_{};
    bool hasLabels_ = true;
};

// What a write sends: some module groups and perhaps the network image. Verifying and the
// back-up decision look only at this part of an image.
struct WriteScope {
    unsigned modules = 0; // bit m: module group m (0..5)
    bool network = false;
    bool config = false;    // the write first checks the device has this module configuration
    bool busNumber = false; // the device's bus number (block 99), to the document's new number

    static WriteScope
    WholeDevice(int moduleCount);    // F10: every fitted module and the network image
    static WriteScope Module(int m); // one module group, m 0..5
    static WriteScope NetworkImage();
    static WriteScope BusNumber();
    bool HasModule(int m) const { return (modules >> m) & 1u; }
};

// Whether the two images hold the same bytes in what the scope writes (the network image from
// byte 1 on: byte 0 is the block number, which every write replaces by 17).
bool SameInScope(const DeviceImage& a, const DeviceImage& b, const WriteScope& scope);
