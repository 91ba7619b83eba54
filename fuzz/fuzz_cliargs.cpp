// lum08-cli's argument reader fed any words (the input split at zero bytes): a command line it
// takes is complete and within every limit; one it refuses says why; the command word and the
// JSON wish of a line that does not parse are read without fault.

#include "fuzzline.h"

#include "cli/cliargs.h"
#include "link/gatewayaddress.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    std::vector<std::string> words(1);
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] == 0)
            words.emplace_back();
        else
            words.back() += char(bytes[i]);
    }
    if (size == 0)
        words.clear();
    std::string error;
    const auto args = ParseCliArgs(words, &error);
    const std::string command = CommandWord(words);
    (void)AsksForJson(words);
    if (!args) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    if (args->help || args->version)
        return 0;
    static const std::set<std::string> commands = {"read", "write", "verify",
                                                   "diff", "scan",  "clock"};
    FUZZ_CHECK(commands.count(args->command) == 1);
    FUZZ_CHECK(command == args->command);
    FUZZ_CHECK(!args->devices.empty() && args->device == args->devices.front());
    for (int d : args->devices)
        FUZZ_CHECK(d >= 1 && d <= 31);
    FUZZ_CHECK(args->firstDevice >= 1 && args->firstDevice <= args->lastDevice &&
               args->lastDevice <= 31);
    FUZZ_CHECK(!args->speeds.empty());
    FUZZ_CHECK(args->parity == 'N' || args->parity == 'E' || args->parity == 'O');
    FUZZ_CHECK(args->stopBits == 1 || args->stopBits == 2);
    FUZZ_CHECK(args->timeoutSeconds >= 0 && args->timeoutSeconds <= 86400);
    const size_t files = args->command == "diff"                                 ? 2
                         : args->command == "write" || args->command == "verify" ? 1
                                                                                 : 0;
    FUZZ_CHECK(args->files.size() == files);
    if (NeedsPort(args->command)) {
        FUZZ_CHECK(!args->port.empty());
        FUZZ_CHECK(!IsGatewayName(args->port) || ParseGatewayAddress(args->port));
    }
    if (args->command == "read")
        FUZZ_CHECK(!args->out.empty());
    return 0;
}
