// Bad input of every length: files from 0 to 800 bytes and replies of every byte count. The
// buffers are exactly as long as their content, so AddressSanitizer catches any access past
// them; the model is compared field by field with its state before.

#include "helper_modelsnapshot.h"
#include "model/configfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {

std::vector<uint8_t> RandomBytes(std::mt19937& rng, std::size_t n) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<uint8_t> v(n);
    for (auto& b : v)
        b = static_cast<uint8_t>(byte(rng));
    return v;
}

TEST(Robustness, FilesOfEveryLength) {
    std::mt19937 rng(800);
    ModuleConfig moduleConfig;
    InputProgram inputProgram;
    NetworkBlocks f15;
    const std::array<uint8_t, 17> config = {2, 1, 2};
    ASSERT_TRUE(LoadConfigFile(MakeCreatedConfigFile(config), moduleConfig, inputProgram, f15));
    for (std::size_t n = 0; n <= 800; ++n) {
        const std::vector<uint8_t> data = RandomBytes(rng, n);
        const ModuleConfig servBefore = moduleConfig;
        const InputProgram lumBefore = inputProgram;
        const NetworkBlocks f15Before = f15;
        const bool loaded = LoadConfigFile(std::span<const uint8_t>(data.data(), n), moduleConfig,
                                           inputProgram, f15);
        // Exactly the file's length, with a module count a device has, as many fitted slots.
        ASSERT_EQ(loaded, ConfigFileProblem(data).empty()) << n;
        if (n == 712 && data[1] <= 6) {
            std::vector<uint8_t> fitted = data;
            for (int slot = 0; slot < 16; ++slot)
                fitted[2 + size_t(slot)] = slot < data[1] ? 1 : 0;
            ASSERT_TRUE(ConfigFileProblem(fitted).empty()) << n;
        }
        if (!loaded) {
            ASSERT_TRUE(SameModel(moduleConfig, servBefore)) << n;
            ASSERT_TRUE(SameModel(inputProgram, lumBefore)) << n;
            ASSERT_TRUE(SameModel(f15, f15Before)) << n;
            continue;
        }
        ASSERT_LE(moduleConfig.ModuleCount, 6);
        // every fitted input's identifier and every label readable
        for (int input = 0; input < 36; ++input) {
            ASSERT_LE(moduleConfig.GetLabel(input).size(), 14u);
            ASSERT_EQ(moduleConfig.GetInputId(input).empty(), input >= moduleConfig.ModuleCount * 6)
                << input;
        }
        const std::vector<uint8_t> saved = SaveConfigFile(moduleConfig, inputProgram, f15);
        ASSERT_TRUE(std::equal(saved.begin() + 1, saved.end(), data.begin() + 1)) << n;
        // the presets and defaults stay inside the records whatever the file claimed
        inputProgram.ApplyPreset(TestPreset::DefaultDatabase, moduleConfig);
        inputProgram.CreateDefaults(moduleConfig);
        for (int k = 0; k < 6; ++k)
            (void)moduleConfig.GetModuleRow(k);
    }
}

// A reply frame of exactly its own length: address, function, byte count, data, CRC, or cut
// short at `length` bytes.
std::unique_ptr<uint8_t[]> Frame(int function, int byteCount, int length, std::mt19937& rng) {
    auto frame = std::make_unique<uint8_t[]>(length > 0 ? length : 1);
    const std::vector<uint8_t> noise = RandomBytes(rng, length);
    std::copy(noise.begin(), noise.end(), frame.get());
    if (length > 1)
        frame[1] = static_cast<uint8_t>(function);
    if (length > 2)
        frame[2] = static_cast<uint8_t>(byteCount);
    return frame;
}

TEST(Robustness, ModuleRepliesOfEveryByteCount) {
    std::mt19937 rng(68);
    InputProgram inputProgram;
    for (int count = 0; count <= 255; ++count) {
        for (int length : {count + 5, count + 3, 21, 22, 3, 0}) {
            auto frame = Frame(68, count, length, rng);
            std::memset(inputProgram.ModuleBuffer, 0x5C, sizeof inputProgram.ModuleBuffer);
            const int r = inputProgram.PutModuleReply(frame.get(), length);
            const bool complete = count >= 19 && length >= 22;
            ASSERT_EQ(r, complete ? 0 : 128) << count << " " << length;
            if (complete) {
                ASSERT_EQ(std::memcmp(inputProgram.ModuleBuffer, frame.get() + 4, 18), 0);
            } else {
                for (uint8_t b : inputProgram.ModuleBuffer)
                    ASSERT_EQ(b, 0x5C);
            }
        }
    }
}

TEST(Robustness, ConfigurationRepliesOfEveryByteCount) {
    std::mt19937 rng(17);
    for (int count = 0; count <= 255; ++count) {
        for (int length : {count + 5, count + 3, 19, 20, 0}) {
            ModuleConfig moduleConfig;
            const uint8_t before[17] = {1, 0, 1};
            moduleConfig.PutConfig(before);
            auto frame = Frame(17, count, length, rng);
            const bool taken = moduleConfig.PutConfigReply(17, frame.get(), length);
            ASSERT_EQ(taken, count == 17 && length >= 20) << count << " " << length;
            if (taken) {
                ASSERT_EQ(std::memcmp(moduleConfig.Config, frame.get() + 3, 17), 0);
                ASSERT_LE(moduleConfig.ModuleCount, 6);
            } else {
                ASSERT_EQ(std::memcmp(moduleConfig.Config, before, 17), 0);
                ASSERT_EQ(moduleConfig.ModuleCount, 1);
                ASSERT_EQ(moduleConfig.ModuleAddress[0], 1);
            }
        }
    }
}

TEST(Robustness, ImageRepliesOfEveryByteCount) {
    std::mt19937 rng(82);
    for (int count = 0; count <= 255; ++count) {
        for (int length : {count + 5, count + 3, 3, 2, 0}) {
            NetworkBlocks f15;
            std::memset(f15.Image, 0xE1, sizeof f15.Image);
            auto frame = Frame(68, count, length, rng);
            const bool taken = f15.LoadReply(68, frame.get(), length);
            ASSERT_EQ(taken, length >= 3);
            if (!taken) {
                ASSERT_EQ(f15.Image[0], 0xE1);
                continue;
            }
            const int copied = std::min({count, 82, length - 3});
            for (int i = 0; i < 82; ++i)
                ASSERT_EQ(f15.Image[i], i < copied ? frame[3 + i] : 0) << count << " " << i;
            ASSERT_EQ(f15.GetWriteLength(), std::clamp(count, 1, 82));
            ASSERT_EQ(f15.WriteData().size(), static_cast<std::size_t>(std::clamp(count, 1, 82)));
        }
    }
}

} // namespace
