#pragma once
// Shared pieces of the network window tests: images with recognisable bytes, and reaching the
// network image and its reserve copy through the main window.

#include "guisupport/guiharness.h"
#include "model/labelclipboard.h"
#include "model/networkblocks.h"

#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

using NetImage = std::array<uint8_t, 82>;

inline QString U(const char* s) {
    return QString::fromUtf8(s);
}

// Byte i holds 0x80 + i (byte 0 the block number 17), so a moved or cleared byte shows.
inline NetImage PatternImage() {
    NetImage image{};
    image[0] = 17;
    for (int i = 1; i < 82; ++i)
        image[i] = uint8_t(0x80 + i);
    return image;
}

// PatternImage() after deleting block 0 or 1: all of it cleared but its flags byte.
inline NetImage PatternWithout(int block) {
    NetImage image = PatternImage();
    const int first = 1 + 40 * block;
    for (int i = first; i < first + 40; ++i)
        if (i != first + 7)
            image[i] = 0;
    return image;
}

inline NetImage ImageOf(const NetworkBlocks& f15) {
    NetImage image{};
    std::copy(f15.Image, f15.Image + 82, image.begin());
    return image;
}

inline NetImage ReserveOf(GuiHarness& h) {
    NetImage image{};
    const auto base = h.Main().Document().Baseline().Network();
    std::copy(base.begin(), base.end(), image.begin());
    return image;
}

// The image as if it had just been read from the device: the document and its baseline alike.
inline void LoadImage(GuiHarness& h, const NetImage& image) {
    DeviceDocument& doc = h.Main().Document();
    std::copy(image.begin(), image.end(), h.Main().Network().Image);
    doc.StartFromDevice(DocumentOrigin::Device(0, "FAKE", "9600 N 2"));
    doc.SetConfigKnown(true);
    doc.NetworkRead();
}

// Before a write the program reads the device for its back-up: the configuration, the emulator's
// two modules and the network image. After it, the image is read back.
constexpr size_t kBackupReads = 4;

// The device answers the back-up's reads and is silent from the write on.
inline void SilentAfterBackup(GuiHarness& h) {
    auto requests = std::make_shared<size_t>(0);
    h.Fake().SetResponder([&h, requests](const FakeLine::Bytes& request) {
        return ++*requests > kBackupReads ? FakeLine::Bytes{} : h.Device().Handle(request);
    });
}

// The frames the program wrote with the given function code, as they went on the line.
inline std::vector<std::vector<uint8_t>> FramesOf(GuiHarness& h, uint8_t function) {
    std::vector<std::vector<uint8_t>> frames;
    for (const auto& f : h.Fake().Written())
        if (f.size() > 1 && f[1] == function)
            frames.push_back(f);
    return frames;
}
