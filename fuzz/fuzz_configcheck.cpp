// The strict check a file passes before lum08-cli writes it to a device, fed files of any length
// and content: a file it passes is exactly a configuration that opens and saves back to the same
// bytes; a file it refuses says why, and anything but 712 bytes is refused.

#include "fuzzline.h"

#include "model/configfile.h"
#include "model/deviceimage.h"

#include <algorithm>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::span<const uint8_t> file(bytes, size);
    const std::string problem = StrictConfigFileProblem(file);
    if (size != size_t(ConfigFile::Size))
        FUZZ_CHECK(!problem.empty());
    if (!problem.empty())
        return 0;
    const auto image = DeviceImage::FromFile(file);
    FUZZ_CHECK(image.has_value());
    const std::vector<uint8_t> saved = image->ToFile();
    FUZZ_CHECK(saved.size() == size);
    // The bus number byte is the one the program chooses itself on saving.
    FUZZ_CHECK(std::equal(saved.begin() + 1, saved.end(), bytes + 1));
    FUZZ_CHECK(StrictConfigFileProblem(saved).empty());
    return 0;
}
