// The configuration file loader fed files of any length and content. A file that is not 712
// bytes, or whose module count is not one a device has, must leave the model untouched; a loaded
// file saves back to the same bytes (all but byte 0, the bus number choice, which the file does not
// set); the model stays in its limits.

#include "fuzzline.h"

#include "model/configfile.h"
#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "model/networkblocks.h"

#include <algorithm>
#include <cstring>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    ModuleConfig serv;
    InputProgram lum;
    NetworkBlocks f15;
    // A model that is not the default one, so that a partial load would show.
    serv.NewBusNumber = 7;
    lum.Records[0] = 0x5A;
    f15.Image[5] = 0xA5;
    const std::vector<uint8_t> before = SaveConfigFile(serv, lum, f15);

    const bool loaded = LoadConfigFile(std::span<const uint8_t>(bytes, size), serv, lum, f15);
    // Loaded when the one file rule passes it.
    FUZZ_CHECK(loaded == ConfigFileProblem(std::span<const uint8_t>(bytes, size)).empty());
    FUZZ_CHECK(!loaded || size == size_t(ConfigFile::Size));
    const std::vector<uint8_t> after = SaveConfigFile(serv, lum, f15);
    FUZZ_CHECK(after.size() == size_t(ConfigFile::Size));
    if (!loaded) {
        FUZZ_CHECK(after == before);
        return 0;
    }
    FUZZ_CHECK(std::equal(after.begin() + 1, after.end(), bytes + 1));
    FUZZ_CHECK(serv.GetModuleCount() <= 6 && serv.GetInputCount() <= 36);
    for (int k = 0; k < 6; ++k)
        (void)serv.GetModuleRow(k);
    (void)serv.GetDesignation();
    for (int vh = 0; vh < 36; ++vh)
        (void)serv.GetLabel(vh), (void)serv.GetInputId(vh);

    // The created file of the same configuration opens whole.
    const std::vector<uint8_t> created =
        MakeCreatedConfigFile(std::span<const uint8_t, 17>(bytes + ConfigFile::OffConfig, 17));
    FUZZ_CHECK(created.size() == size_t(ConfigFile::Size));
    FUZZ_CHECK(LoadConfigFile(created, serv, lum, f15));
    return 0;
}
