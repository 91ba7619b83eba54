// Runs the fuzz targets over the files of their corpora, once each, without libFuzzer: the test
// suite's check that every input the fuzzer kept still passes. A property that fails traps.
//   fuzz_replay CORPUS-FOLDER    (one folder per target inside, named as the target)

#include "replaytargets.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    int failed = 0;
    for (const ReplayTarget& target : kReplayTargets) {
        const std::filesystem::path folder = std::filesystem::path(argv[1]) / target.name;
        size_t inputs = 0;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
            if (!entry.is_regular_file())
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<char> data((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
            static const uint8_t none = 0;
            target.run(data.empty() ? &none : reinterpret_cast<const uint8_t*>(data.data()),
                       data.size());
            ++inputs;
        }
        std::printf("%s: %zu inputs replayed\n", target.name, inputs);
        // Every target keeps a corpus: one without is one the fuzzer never ran.
        failed += inputs == 0 ? 1 : 0;
    }
    return failed == 0 ? 0 : 1;
}
