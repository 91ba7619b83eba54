#pragma once
// The configuration file: one complete device image in 712 bytes without header. The model
// turns itself into these bytes and loads from them; reading and replacing the file on disk is
// the windows' business.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class ModuleConfig;
class InputProgram;
class NetworkBlocks;

namespace ConfigFile {
constexpr int Size = 712;
constexpr int OffNewBusNumber = 0;
constexpr int OffConfig = 1;   // 17 bytes
constexpr int OffRecords = 18; // six groups of 18 bytes, module 0 first
constexpr int OffImage = 126;  // 82 bytes of the network image
constexpr int OffLabels = 208; // two halves of 252 bytes, inputs 0..17 then 18..35
} // namespace ConfigFile

// The 712 bytes of the current model. The module groups and label halves pass through ModuleBuffer
// and LabelBlock, which are left holding the last group and half.
std::vector<uint8_t> SaveConfigFile(ModuleConfig& moduleConfig, InputProgram& inputProgram,
                                    const NetworkBlocks& f15);

// A configuration file name as saving takes it: without an extension ".lum" is added; another
// extension than ".lum" gives an empty name. Only the file's own name counts, not a folder's.
std::string WithLumExtension(const std::string& name);

// Whether bytes are a configuration file, the one rule for every command that opens one:
// exactly 712 bytes, at most six modules, as many as fitted slots. Empty when they are;
// otherwise the reason in the operator's words ("718 байт вместо 712").
std::string ConfigFileProblem(std::span<const uint8_t> bytes);
// The slots (0..15) whose module code belongs to no module type this program knows. Such a
// file still opens: newer modules may exist.
std::vector<int> UnknownModuleSlots(std::span<const uint8_t> bytes);

// What a file must be to go to a device that nobody looks at first (the console program): a
// configuration file with at least one module, and only module codes this program knows.
std::string StrictConfigFileProblem(std::span<const uint8_t> bytes);

// Loads a file's bytes in the order of the open command: configuration, identifiers rebuilt,
// labels cleared, records, the network image, labels. Bytes that are no configuration file
// (ConfigFileProblem) are refused (false) with the model untouched.
bool LoadConfigFile(std::span<const uint8_t> bytes, ModuleConfig& moduleConfig,
                    InputProgram& inputProgram, NetworkBlocks& f15);

// The content of a newly created file for a configuration: byte 0 zero, the configuration,
// the default records of the fitted inputs, an empty network image and the default labels of
// all 36 inputs. Built aside: the model is replaced only by opening the file afterwards.
std::vector<uint8_t> MakeCreatedConfigFile(std::span<const uint8_t, 17> config);
