#pragma once
// The comparison of two device images in the operator's words: one line (UTF-8) per difference,
// "what the first image holds → what the second holds". Used by "Сверить с прибором", by the
// check after every write, by the back-up history and by lum08-cli.

#include "model/deviceimage.h"

#include <string>
#include <vector>

// What to compare. Labels are compared only when both images carry them (a device read does
// not); inputs only for the modules both configurations have.
struct CompareScope {
    bool config = true;
    unsigned modules = 0x3F; // bit m: module group m
    bool network = true;
    bool labels = true;

    static CompareScope Of(const WriteScope& write); // only what a write sends
};

// Lines in this order: module configuration ("Адрес модуля 3: МСЮ → нет", the address as the main
// window shows it), then per module its parameter and per input every field of the record ("Модуль
// 2, вход DI_2_3: задержка 5 → 10 с"), labels, the two network function blocks field by field and
// the network settings byte. Bits no field names are listed as "прочие биты" so that no byte
// difference goes unseen.
std::vector<std::string> CompareDeviceImages(const DeviceImage& a, const DeviceImage& b,
                                             const CompareScope& scope = {});

// One difference in parts, for a program that reads them (lum08-cli --json).
struct Difference {
    std::string text; // the whole line, as CompareDeviceImages gives it
    std::string where; // "Модуль 2, вход DI_2_3", "Блок Ф15 1", "Сеть RS-485", ...
    int module = 0;    // 1..6 for a module's parameter, input or label; 0 otherwise
    std::string input;  // "DI_2_3", or an F15 block's input "1".."n"; empty otherwise
    int block = 0;      // F15 block 1..2; 0 otherwise
    std::string field;  // "задержка"; empty for the configuration's own lines
    std::string first;  // what the first image holds, with the unit ("5 с")
    std::string second; // what the second holds ("10 с")
};
std::vector<Difference> CompareDeviceImagesInParts(const DeviceImage& a, const DeviceImage& b,
                                                   const CompareScope& scope = {});

// Windows-1251 bytes as UTF-8 (labels).
std::string Cp1251ToUtf8(const std::string& bytes);
